#pragma once
// What every GUI test starts from: a private runtime folder, the application, a usable font,
// a test driver, and a screen of the default size.

#include <gtest/gtest.h>
#include <sys/stat.h>

#include <QFontDatabase>
#include <QStringList>
#include <cstdlib>
#include <string>
#include <vector>

#include "ui/application.h"
#include "ui/controls.h"
#include "ui/dialog.h"
#include "ui/shell.h"
#include "ui/test_driver.h"
#include "test_support.h"

inline bool Ticked(HWND tree, HTREEITEM item) {
    return TreeGetItemState(tree, item, TVIS_STATEIMAGEMASK) == kStateTicked;
}

class GuiTest : public ::testing::Test {
  protected:
    void SetUp() override {
        ::chmod(runtime_.path().c_str(), 0700);
        ::setenv("XDG_RUNTIME_DIR", runtime_.path().c_str(), 1);
        EnsureApplication();
        // Without a font every text measures zero and layouts silently collapse.
        ASSERT_TRUE(QFontDatabase::families().contains(QStringLiteral("DejaVu Sans")))
            << "install fonts-dejavu-core";
        driver_ = std::make_unique<TestDriver>();
        SetScreenSize(480, 640);
    }
    void TearDown() override {
        CloseHelpViewer();
        driver_.reset();
    }

    TestDriver& driver() { return *driver_; }
    std::vector<std::u16string> BoxTexts() const {
        std::vector<std::u16string> texts;
        for (const MessageBoxRecord& box : driver_->messageBoxes)
            texts.push_back(box.text);
        return texts;
    }
    // child's window rectangle in parent's client coordinates
    static RECT InClient(HWND parent, HWND child) {
        const RECT r = GetWindowRect(child);
        const POINT o = ClientToScreen(parent, {0, 0});
        return {r.left - o.x, r.top - o.y, r.right - o.x, r.bottom - o.y};
    }

    static std::string ScreenshotPath(const std::string& name) {
        const char* dir = std::getenv("VELLORO_SCREENSHOT_DIR");
        return std::string(dir != nullptr ? dir : VELLORO_SCREENSHOT_DIR) + "/" + name;
    }

    TempDir runtime_;

  private:
    std::unique_ptr<TestDriver> driver_;
};
