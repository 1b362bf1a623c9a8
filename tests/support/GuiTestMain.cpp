#include "experiment/RecordJournal.h"

#include <QApplication>
#include <QSettings>
#include <QStandardPaths>
#include <QTemporaryDir>

#include <cstdlib>

#include <gtest/gtest.h>

// GUI tests run offscreen unless a platform is chosen; controls are found by
// their objectName and driven as a user would.
int main(int argc, char** argv)
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QStandardPaths::setTestModeEnabled(true);
    QApplication app(argc, argv);
    // The journals of the runs this program carries out, removed at its end.
    const QTemporaryDir journals;
    RecordJournal::SetDefaultFolder(journals.path());
    // The user's settings (remembered OPC UA endpoints) of each test program
    // stay its own: parallel tests never see each other's.
    QTemporaryDir settings;
    QSettings::setPath(QSettings::NativeFormat, QSettings::UserScope, settings.path());
    QSettings::setPath(QSettings::IniFormat, QSettings::UserScope, settings.path());
    testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
