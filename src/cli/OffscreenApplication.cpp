#include "cli/OffscreenApplication.h"

#include <cstdio>

namespace {

// Before the application object exists: the platform is chosen then.
int& ChooseOffscreen(int& argc)
{
    qputenv("QT_QPA_PLATFORM", "offscreen");
    qInstallMessageHandler([](QtMsgType type, const QMessageLogContext&, const QString& message) {
        if (type == QtCriticalMsg || type == QtFatalMsg)
            std::fprintf(stderr, "%s\n", qPrintable(message));
    });
    return argc;
}

} // namespace

OffscreenApplication::OffscreenApplication() : application_(ChooseOffscreen(argc_), argv_)
{
}
