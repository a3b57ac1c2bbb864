#include "shell/program.h"

#include <string>

#include "platform/ui/application.h"
#include "platform/ui/dialog.h"
#include "platform/ui/resources.h"
#include "platform/ui/shell.h"
#include "platform/ui/single_instance.h"
#include "shell/main_panel.h"
#include "shell/program_pictures.h"
#include "shell/program_sms_tree.h"

namespace {

constexpr int kTitleString = 1;
constexpr int kClassNameString = 2;
constexpr std::size_t kStringBufferChars = 100;

}  // namespace

int RunProgram(int argc, char** argv) {
    UiApplication application(argc, argv);
    LoadProgramPictures();
    SHInitExtraControls();
    const std::u16string title = LoadString(kTitleString, kStringBufferChars - 1);
    const std::u16string className = LoadString(kClassNameString, kStringBufferChars - 1);

    // Asked before the frame exists, so a second start never shows a screen of its own. A copy
    // that cannot register itself still runs; only a running copy's answer stops it.
    if (ClaimSingleInstance(className) == InstanceClaim::AlreadyRunning) return 0;
    HWND frame = CreateFrameWindow(title);
    if (frame == nullptr) return 0;
    const std::string images = ResourceDir() + "/images/velloro_";
    SetProgramIcon({images + "16.png", images + "32.png", images + "48.png"});

    DialogBoxParam(kMainPanelTemplate, frame, MainPanelProc, 0);
    ClearProgramSmsTree();
    return 0;
}
