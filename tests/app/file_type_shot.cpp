#include "file_type_shot.h"

#include <QAbstractItemView>
#include <QComboBox>
#include <QPainter>

#include "ui/ui_internal.h"

bool ShootFileTypeList(const FileDialogRecord& box, const std::string& pngPath) {
    if (!ui::HasScreen()) return false;
    QWidget* screen = ui::Screen();
    // The list as the toolkit's file box shows it, over the page that asked for the box. A window
    // destroyed before exit upsets the toolkit's exit order (see the test driver's message boxes),
    // so the list stays with the screen, which takes it along when it goes.
    auto* list = new QComboBox(screen);
    for (const FileFilter& f : box.filters) {
        QString pattern = f.pattern.empty() ? QStringLiteral("*") : ui::ToQString(f.pattern);
        list->addItem(ui::ToQString(f.description) + QStringLiteral(" (") + pattern +
                      QLatin1Char(')'));
    }
    list->setGeometry(10, screen->height() / 3, screen->width() - 20, list->sizeHint().height());
    list->show();
    list->showPopup();
    QWidget* popup = list->view()->window();
    if (!WaitUntil([&] { return popup->isVisible(); })) return false;
    ProcessPendingEvents();

    QPixmap shot = screen->grab();
    QPainter painter(&shot);
    painter.drawPixmap(screen->mapFromGlobal(popup->mapToGlobal(QPoint(0, 0))), popup->grab());
    painter.end();
    const bool written = shot.save(QString::fromStdString(pngPath), "PNG");
    list->hidePopup();
    list->hide();
    ProcessPendingEvents();
    return written;
}
