#include "app/about_box.h"

#include <string>

#include "app/dialog_helpers.h"
#include "app/program_pictures.h"
#include "app/resource_ids.h"
#include "dialog_math/dialog_math.h"
#include "platform/text.h"
#include "ui/dialog.h"
#include "ui/drawing.h"
#include "ui/shell.h"

namespace {

constexpr WPARAM kMenuKeyIndex = 1;
constexpr LRESULT kClosedResult = 16;

void DrawPlaced(DeviceContext& surface, std::u16string_view text, const TextPlacement& placement) {
    RECT rect = placement.rect;
    surface.DrawText(text, rect, placement.format);
}

void Paint(HWND dialog) {
    DeviceContext dc = BeginPaint(dialog);
    const ProgramPictures& pictures = Pictures();
    if (!pictures.AllLoaded()) return;
    const RECT client = GetClientRect(dialog);
    const AboutBoxLayout layout = LayOutAboutBox(client.Width(), client.Height(),
                                                 dc.GetTextMetrics().tmHeight, pictures.Sizes());
    DeviceContext surface = CreateCompatibleSurface(dc, layout.surfaceWidth, layout.surfaceHeight);
    if (!surface.valid()) return;
    surface.StretchBlt(layout.bodyFill, pictures.bodyFill);
    surface.StretchBlt(layout.headerFill, pictures.headerFill);
    surface.BitBlt(layout.banner.left, layout.banner.top, pictures.banner);
    const Font bold = CreateBoldFont();
    surface.SelectFont(&bold);
    DrawPlaced(surface, u"Velloro", layout.title);
    DrawPlaced(surface, kVersionText, layout.version);
    // A failed wrap leaves the address on one line, cut at the edges.
    std::u16string address(LimitedText(kWebAddress, kWrapBufferChars));
    WrapTextToWidth(surface, address, layout.address.rect, nullptr);
    DrawPlaced(surface, address, layout.address);
    dc.BitBlt(0, 0, layout.surfaceWidth, layout.surfaceHeight, surface);
}

}  // namespace

LRESULT AboutBoxProc(HWND dialog, std::uint32_t message, WPARAM wParam, LPARAM) {
    switch (message) {
        case WM_INITDIALOG:
            SHInitDialog(dialog, SHIDIF_STANDARD);
            if (HWND bar = SHCreateMenuBar(dialog, kDialogMenuBar); bar != nullptr) {
                SendMessage(bar, TB_DELETEBUTTON, kMenuKeyIndex, 0);
            }
            SHSetNavBarText(dialog, u"About");
            return TRUE;
        case WM_PAINT:
            Paint(dialog);
            return FALSE;
        case WM_COMMAND:
            if (const int id = LOWORD(wParam); id == 1 || id == kDoneKey) {
                EndDialog(dialog, id);
                return TRUE;
            }
            return FALSE;
        case WM_CLOSE:
            EndDialog(dialog, kClosedResult);
            return TRUE;
    }
    return FALSE;
}
