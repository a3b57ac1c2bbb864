#include "app/program.h"

#include <optional>
#include <string>

#include "app/main_panel.h"
#include "app/program_pictures.h"
#include "app/resource_ids.h"
#include "platform/phone/phone_check.h"
#include "platform/text.h"
#include "ui/application.h"
#include "ui/dialog.h"
#include "ui/message_box.h"
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
    // A chosen phone that is missing or foreign is named at once, not met later as a SIM or
    // store fault; only the default phone is made on first use.
    if (std::string problem = CheckCurrentPhone(PhoneUse::Read); !problem.empty()) {
        MessageBox(nullptr, Utf8ToUtf16(problem), std::nullopt, MB_ICONEXCLAMATION);
        return 1;
    }
    HWND frame = CreateFrameWindow(title);
    if (frame == nullptr) return 0;
    const std::string images = ResourceDir() + "/images/velloro_";
    SetProgramIcon({images + "16.png", images + "32.png", images + "48.png"});

    DialogBoxParam(kMainPanelTemplate, frame, MainPanelProc, 0);
    return 0;
}
