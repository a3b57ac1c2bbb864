#include "app/program.h"

#include <string>

#include "app/main_panel.h"
#include "app/program_pictures.h"
#include "app/program_sms_tree.h"
#include "app/resource_ids.h"
#include "ui/application.h"
#include "ui/dialog.h"
#include "ui/resources.h"
#include "ui/shell.h"
#include "ui/single_instance.h"

namespace {

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
