#include "app/VarkolWindows.h"

#include <QApplication>
#include <QIcon>
#include <QLibraryInfo>
#include <QLocale>
#include <QTimer>
#include <QTranslator>

namespace {

// Waits for the first paint event of its window, then hands the work to the
// event loop once and goes.
class FirstPaintWatch : public QObject {
public:
    FirstPaintWatch(QWidget& window, std::function<void()> work)
        : QObject(&window), Work(std::move(work))
    {
        window.installEventFilter(this);
        QTimer::singleShot(1000, this, [this] { Run(); });
    }

protected:
    bool eventFilter(QObject* watched, QEvent* event) override
    {
        if (event->type() == QEvent::Paint)
            QTimer::singleShot(0, this, [this] { Run(); });
        return QObject::eventFilter(watched, event);
    }

private:
    void Run()
    {
        if (!Work)
            return;
        const std::function<void()> work = std::move(Work);
        Work = nullptr;
        deleteLater();
        work();
    }

    std::function<void()> Work;
};

} // namespace

void AfterFirstPaint(QWidget& window, std::function<void()> work)
{
    new FirstPaintWatch(window, std::move(work));
}

VarkolWindows CreateVarkolWindows(Podatki& store, OpcServer& server, OpcServerBrowser& browser)
{
    VarkolWindows windows = CreateMainWindow(store, server, browser);
    CreateAuxiliaryWindows(windows, store, server);
    return windows;
}

VarkolWindows CreateMainWindow(Podatki& store, OpcServer& server, OpcServerBrowser& browser)
{
    QApplication::setApplicationName(QStringLiteral("Varkol"));
    // The desktop entry the windows belong to, and the icon it shows.
    QGuiApplication::setDesktopFileName(QStringLiteral("varkol"));
    VarkolWindows windows;
    windows.Form1 = std::make_unique<TForm1>(store, server, browser);
    QIcon icon;
    for (const int size : {32, 64, 256})
        icon.addFile(QStringLiteral(":/icons/varkol-%1.png").arg(size), QSize(size, size));
    QApplication::setWindowIcon(icon);
    return windows;
}

void CreateAuxiliaryWindows(VarkolWindows& windows, Podatki& store, OpcServer& server)
{
    // The auxiliary windows are top-level windows of their own, not children
    // of the main window, so that each window's controls are found by name
    // within that window only.
    windows.Eksperiment = std::make_unique<TEksperiment>(store, server);
    windows.Form_SamodNastav = std::make_unique<TForm_SamodNastav>();
    windows.Form_Histogram = std::make_unique<TForm_Histogram>();
    windows.Form_Obdelava_Large = std::make_unique<TForm_Obdelava_Large>();
    windows.Form1->AttachWindows(windows.Eksperiment.get(), windows.Form_SamodNastav.get(),
                                 windows.Form_Histogram.get(), windows.Form_Obdelava_Large.get());
}

void InstallSlovenianTranslations(QApplication& app)
{
    // Qt's own dialogs (file dialogs, message-box buttons) in Slovenian; the
    // translator lives as long as the application.
    auto* translator = new QTranslator(&app);
    if (translator->load(QLocale(QLocale::Slovenian, QLocale::Slovenia), QStringLiteral("qt"),
                         QStringLiteral("_"), QLibraryInfo::path(QLibraryInfo::TranslationsPath)))
        QApplication::installTranslator(translator);
}
