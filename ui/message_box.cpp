#include "ui/message_box.h"

#include <QDialogButtonBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QStyle>
#include <QVBoxLayout>
#include <algorithm>

#include "ui/application.h"
#include "ui/ui_internal.h"

namespace ui {
namespace {

// Space left between a box and the phone screen's edges.
constexpr int kScreenMargin = 12;

QStyle::StandardPixmap IconOf(std::uint32_t icon) {
    switch (icon) {
        case MB_ICONERROR:
            return QStyle::SP_MessageBoxCritical;
        case MB_ICONQUESTION:
            return QStyle::SP_MessageBoxQuestion;
        case MB_ICONEXCLAMATION:
            return QStyle::SP_MessageBoxWarning;
        default:
            return QStyle::SP_MessageBoxInformation;
    }
}

}  // namespace

MessageBoxWidget::MessageBoxWidget(const MessageBoxRecord& record, QWidget* parent)
    : QDialog(parent) {
    setWindowTitle(ToQString(record.caption));
    const QFont font = SystemFont();
    setFont(font);
    // The phone's screen, not the desktop, is what a box must fit and centre on.
    const QRect screen = parent != nullptr
                             ? QRect(parent->mapToGlobal(QPoint(0, 0)), parent->size())
                             : QRect(0, 0, 480, 640);
    const int maxWidth = std::max(120, screen.width() - 2 * kScreenMargin);

    auto* text = new QLabel(ToQString(record.text), this);  // owned by the box
    text->setObjectName("text");
    text->setWordWrap(true);
    text->setFont(font);
    text->setTextInteractionFlags(Qt::TextSelectableByMouse);
    auto* row = new QHBoxLayout;
    const int iconSize = style()->pixelMetric(QStyle::PM_MessageBoxIconSize, nullptr, this);
    if (record.icon != 0) {
        auto* icon = new QLabel(this);
        const int size = iconSize;
        icon->setPixmap(style()->standardIcon(IconOf(record.icon), nullptr, this).pixmap(size));
        icon->setAlignment(Qt::AlignTop);
        row->addWidget(icon);
    }
    row->addWidget(text, 1);

    auto* buttons = new QDialogButtonBox(this);
    if (record.buttons == MB_YESNO) {
        yes_ = buttons->addButton(QDialogButtonBox::Yes);
        no_ = buttons->addButton(QDialogButtonBox::No);
    } else {
        ok_ = buttons->addButton(QDialogButtonBox::Ok);
    }
    buttons->setCenterButtons(true);
    for (QAbstractButton* b : buttons->buttons())
        b->setFont(font);
    connect(buttons, &QDialogButtonBox::clicked, this, [this](QAbstractButton* b) {
        done(b == yes_ ? IDYES : b == no_ ? IDNO : IDOK);
    });

    auto* layout = new QVBoxLayout(this);
    layout->addLayout(row);
    layout->addWidget(buttons);
    layout->setSizeConstraint(QLayout::SetFixedSize);
    const int frame = layout->contentsMargins().left() + layout->contentsMargins().right();
    text->setMaximumWidth(maxWidth - frame - (record.icon != 0 ? iconSize + row->spacing() : 0));
    adjustSize();
    move(screen.center() - QPoint(width() / 2, height() / 2));
}

QAbstractButton* MessageBoxWidget::Button(int answer) const {
    return answer == IDYES ? yes_ : answer == IDNO ? no_ : ok_;
}

std::unique_ptr<MessageBoxWidget> MakeMessageBox(const MessageBoxRecord& record) {
    return std::make_unique<MessageBoxWidget>(record, HasScreen() ? Screen() : nullptr);
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

    const std::unique_ptr<ui::MessageBoxWidget> box = ui::MakeMessageBox(record);
    const int pressed = box->exec();
    if (record.buttons == MB_YESNO) return pressed == IDYES ? IDYES : IDNO;
    return IDOK;
}
