#pragma once

// The one guard around every GUI handler: a failure is shown to the user in a
// message box (through Dialogs()) and abandons the handler; no exception ever
// crosses the Qt event loop. Use it as
//
//     connect(button, &QPushButton::clicked, this, [this] { Guard(this, [this] { Button2Click(); }); });

#include "base/UserDialogs.h"

#include <QString>

#include <exception>
#include <utility>

class QWidget;

template <typename Handler>
bool Guard(QWidget* parent, Handler&& handler)
{
    try {
        std::forward<Handler>(handler)();
        return true;
    } catch (const std::exception& e) {
        Dialogs().ShowError(parent, QString::fromUtf8(e.what()));
    } catch (...) {
        Dialogs().ShowError(parent, QStringLiteral("Nepričakovana napaka."));
    }
    return false;
}
