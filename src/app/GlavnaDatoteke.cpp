// Files named on the command line (or handed over by the desktop): each is
// opened on its page as that page's load button would open it.

#include "app/Glavna.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTabWidget>

namespace {

enum class FileKind { Measurements, Model, Controller, Settings };

FileKind KindOf(const QString& fileName)
{
    const QString suffix = QFileInfo(fileName).suffix().toLower();
    if (suffix == QLatin1String("vkm"))
        return FileKind::Model;
    if (suffix == QLatin1String("vkc"))
        return FileKind::Controller;
    if (suffix == QLatin1String("vkx"))
        return FileKind::Settings;
    if (suffix == QLatin1String("vkd") || suffix == QLatin1String("txt") ||
        suffix == QLatin1String("dat"))
        return FileKind::Measurements;
    // Another name: the first line tells, as it tells the desktop's file
    // types; anything else is read as measurements (a foreign export).
    QFile file(fileName);
    if (file.open(QIODevice::ReadOnly)) {
        const QByteArray first = file.readLine(64).trimmed();
        if (first == "VARKOL Model")
            return FileKind::Model;
        if (first == "VARKOL Controller")
            return FileKind::Controller;
    }
    return FileKind::Measurements;
}

} // namespace

void TForm1::OpenFiles(const QStringList& fileNames)
{
    for (const QString& name : fileNames) {
        const QString fileName = QDir::current().absoluteFilePath(name);
        QWidget* page = nullptr;
        void (TForm1::*load)(const QString&) = nullptr;
        switch (KindOf(fileName)) {
        case FileKind::Measurements:
            page = ObdTab;
            load = &TForm1::LoadDataFile;
            break;
        case FileKind::Model:
            page = ModTab;
            load = &TForm1::LoadModelFile;
            break;
        case FileKind::Controller:
            page = RegTab;
            load = &TForm1::LoadControllerFile;
            break;
        case FileKind::Settings:
            page = EkspTab;
            load = &TForm1::LoadSettingsFile;
            break;
        }
        // A file that fails shows its message; the others are opened still.
        if (Guard(this, [this, load, &fileName] { (this->*load)(fileName); }))
            PageControl1->setCurrentWidget(page);
    }
}
