#include "file_type_shot.h"

#include <QAbstractItemView>
#include <QComboBox>
#include <QFileDialog>
#include <QPainter>

#include "ui/ui_internal.h"

bool ShootFileTypeList(const FileDialogRecord& box, const std::string& folder,
                       const std::string& pngPath) {
    QStringList types;
    for (const FileFilter& f : box.filters) {
        QString pattern = f.pattern.empty() ? QStringLiteral("*") : ui::ToQString(f.pattern);
        types << ui::ToQString(f.description) + QStringLiteral(" (") + pattern + QLatin1Char(')');
    }
    // The box goes with the page that owns it, as the toolkit wants its windows to go.
    auto* dialog = new QFileDialog(ui::ToWidget(TopDialog()));
    dialog->setOption(QFileDialog::DontUseNativeDialog);
    dialog->setAcceptMode(box.save ? QFileDialog::AcceptSave : QFileDialog::AcceptOpen);
    dialog->setNameFilters(types);
    dialog->setDirectory(QString::fromStdString(folder));
    dialog->show();
    auto* list = dialog->findChild<QComboBox*>(QStringLiteral("fileTypeCombo"));
    if (list == nullptr || !WaitUntil([&] { return dialog->isVisible(); })) return false;
    list->showPopup();
    QWidget* popup = list->view()->window();
    if (!WaitUntil([&] { return popup->isVisible(); })) return false;
    ProcessPendingEvents();

    // The open list reaches below the box; the picture holds both.
    const QRect boxRect(dialog->mapToGlobal(QPoint(0, 0)), dialog->size());
    const QRect listRect(popup->mapToGlobal(QPoint(0, 0)), popup->size());
    const QRect whole = boxRect.united(listRect);
    QPixmap shot(whole.size());
    shot.fill(dialog->palette().color(QPalette::Window));
    QPainter painter(&shot);
    painter.drawPixmap(boxRect.topLeft() - whole.topLeft(), dialog->grab());
    painter.drawPixmap(listRect.topLeft() - whole.topLeft(), popup->grab());
    painter.end();
    const bool written = shot.save(QString::fromStdString(pngPath), "PNG");
    list->hidePopup();
    dialog->reject();
    ProcessPendingEvents();
    return written;
}
