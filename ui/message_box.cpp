#include "ui/message_box.h"

#include <QMessageBox>

#include "ui/application.h"
#include "ui/ui_internal.h"

namespace ui {

std::unique_ptr<QMessageBox> MakeMessageBox(const MessageBoxRecord& record) {
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
    QWidget* parent = HasScreen() ? Screen() : nullptr;
    auto box = std::make_unique<QMessageBox>(
        icon, ToQString(record.caption), ToQString(record.text),
        yesNo ? (QMessageBox::Yes | QMessageBox::No) : QMessageBox::Ok, parent);
    box->setFont(SystemFont());
    return box;
}

}  // namespace ui

int MessageBox(HWND, std::u16string_view text, std::optional<std::u16string_view> caption,
               std::uint32_t flags) {
    EnsureApplication();
    MessageBoxRecord record;
    record.text = std::u16string(text);
    record.caption = std::u16string(caption.value_or(kDefaultMessageBoxCaption));
    record.icon = flags & MB_ICONMASK;
    record.buttons = flags & MB_TYPEMASK;
    if (const std::optional<int> answer = ui::DriverAnswerMessageBox(record)) return *answer;

    const std::unique_ptr<QMessageBox> box = ui::MakeMessageBox(record);
    const int pressed = box->exec();
    if (record.buttons == MB_YESNO) return pressed == QMessageBox::Yes ? IDYES : IDNO;
    return IDOK;
}
