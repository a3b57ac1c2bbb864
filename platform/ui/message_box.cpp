#include "platform/ui/message_box.h"

#include <QMessageBox>

#include "platform/ui/application.h"
#include "platform/ui/ui_internal.h"

int MessageBox(HWND, std::u16string_view text, std::optional<std::u16string_view> caption,
               std::uint32_t flags) {
    EnsureApplication();
    MessageBoxRecord record;
    record.text = std::u16string(text);
    record.caption = std::u16string(caption.value_or(kDefaultMessageBoxCaption));
    record.icon = flags & MB_ICONMASK;
    record.buttons = flags & MB_TYPEMASK;
    if (const std::optional<int> answer = ui::DriverAnswerMessageBox(record)) return *answer;

    const bool yesNo = record.buttons == MB_YESNO;
    QMessageBox::Icon icon = QMessageBox::NoIcon;
    switch (record.icon) {
        case MB_ICONERROR:
            icon = QMessageBox::Critical;
            break;
        case MB_ICONQUESTION:
            icon = QMessageBox::Question;
            break;
        case MB_ICONEXCLAMATION:
            icon = QMessageBox::Warning;
            break;
        case MB_ICONINFORMATION:
            icon = QMessageBox::Information;
            break;
        default:
            break;
    }
    QWidget* parent = ui::HasScreen() ? ui::Screen() : nullptr;
    QMessageBox box(icon, ui::ToQString(record.caption), ui::ToQString(text),
                    yesNo ? (QMessageBox::Yes | QMessageBox::No) : QMessageBox::Ok, parent);
    box.setFont(ui::SystemFont());
    const int pressed = box.exec();
    if (yesNo) return pressed == QMessageBox::Yes ? IDYES : IDNO;
    return IDOK;
}
