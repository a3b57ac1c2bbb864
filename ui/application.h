#pragma once
// The GUI toolkit's application object. The program makes one in main; tests call
// EnsureApplication once.

#include <memory>
#include <string>

class UiApplication {
  public:
    UiApplication(int& argc, char** argv);
    ~UiApplication();
    UiApplication(const UiApplication&) = delete;
    UiApplication& operator=(const UiApplication&) = delete;

  private:
    struct Data;
    std::unique_ptr<Data> data_;
};

// Makes the application object if there is none yet (kept until the process ends).
void EnsureApplication();

// Where resources/ is: $VELLORO_RESOURCE_DIR, else the installed share/velloro beside the
// program, else the source tree's.
std::string ResourceDir();
