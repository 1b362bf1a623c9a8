// The main window comes back where it was left, within the screens.

#include "app/MainWindowPlace.h"
#include "support/MainWindowFixture.h"

#include <QGuiApplication>
#include <QScreen>
#include <QSettings>
#include <QTabWidget>
#include <QTemporaryDir>

namespace {

class MainWindowPlaceTest : public MainWindowFixture {
protected:
    QTemporaryDir dir;
    QSettings settings{dir.filePath(QStringLiteral("varkol.conf")), QSettings::IniFormat};
};

TEST_F(MainWindowPlaceTest, PositionSizeAndPageComeBack)
{
    form->move(30, 20);
    form->resize(640, 480);
    form->PageControl1->setCurrentIndex(4);
    SaveWindowPlace(*form, settings);

    form->move(200, 100);
    form->resize(500, 400);
    form->PageControl1->setCurrentIndex(0);
    RestoreWindowPlace(*form, settings);
    EXPECT_EQ(form->pos(), QPoint(30, 20));
    EXPECT_EQ(form->size(), QSize(640, 480));
    EXPECT_EQ(form->PageControl1->currentIndex(), 4);
}

TEST_F(MainWindowPlaceTest, APlaceOffTheScreensComesBackOnOne)
{
    settings.setValue(QStringLiteral("MainWindow/Position"), QPoint(5000, 4000));
    settings.setValue(QStringLiteral("MainWindow/Size"), QSize(6000, 300));
    settings.setValue(QStringLiteral("MainWindow/Page"), 99); // no such page
    RestoreWindowPlace(*form, settings);
    const QRect screen = QGuiApplication::primaryScreen()->availableGeometry();
    EXPECT_TRUE(screen.contains(QRect(form->pos(), form->size())))
        << form->x() << "," << form->y() << " " << form->width() << "x" << form->height();
    EXPECT_EQ(form->PageControl1->currentIndex(), 0);
}

} // namespace
