#include "app/MainWindowPlace.h"

#include "app/Glavna.h"
#include "base/WindowPlace.h"

#include <QGuiApplication>
#include <QScreen>
#include <QSettings>
#include <QTabWidget>

namespace {

const QString PositionKey = QStringLiteral("MainWindow/Position");
const QString SizeKey = QStringLiteral("MainWindow/Size");
const QString MaximizedKey = QStringLiteral("MainWindow/Maximized");
const QString PageKey = QStringLiteral("MainWindow/Page");

QList<QRect> AvailableScreens()
{
    QList<QRect> areas;
    for (const QScreen* screen : QGuiApplication::screens())
        areas.append(screen->availableGeometry());
    return areas;
}

} // namespace

void SaveWindowPlace(const TForm1& form, QSettings& settings)
{
    // The position is the frame's, as move() takes it; a maximised window
    // keeps the place it goes back to.
    const QPoint frame = form.geometry().topLeft() - form.pos();
    const QRect normal = form.isMaximized() ? form.normalGeometry() : form.geometry();
    settings.setValue(PositionKey, normal.topLeft() - frame);
    settings.setValue(SizeKey, normal.size());
    settings.setValue(MaximizedKey, form.isMaximized());
    settings.setValue(PageKey, form.PageControl1->currentIndex());
}

void RestoreWindowPlace(TForm1& form, const QSettings& settings)
{
    const QPoint position = settings.value(PositionKey).toPoint();
    const QSize size = settings.value(SizeKey).toSize();
    if (settings.contains(PositionKey) && size.isValid()) {
        const QRect placed = PlaceWithinScreens(QRect(position, size), AvailableScreens());
        form.resize(placed.size());
        form.move(placed.topLeft());
    } else if (const QScreen* screen = QGuiApplication::primaryScreen()) {
        form.resize(form.size().boundedTo(screen->availableSize()));
    }
    if (settings.value(MaximizedKey).toBool())
        form.setWindowState(form.windowState() | Qt::WindowMaximized);
    bool ok = false;
    const int page = settings.value(PageKey).toInt(&ok);
    if (ok && page >= 0 && page < form.PageControl1->count())
        form.PageControl1->setCurrentIndex(page);
}
