#pragma once

// Every message box and file dialog of the program goes through the current
// UserDialogs object, so that tests can answer dialogs and record messages
// without a modal window blocking them (see tests/support/ScriptedDialogs.h).

#include <QString>

class QWidget;

// One file dialog: caption, initial directory, filter in the program's
// "Description|patterns|Description|patterns" notation, default extension
// (without a dot, appended to a name without one in a save dialog) and
// proposed name.
struct FileDialogRequest {
    QString Caption{};
    QString Directory{};
    QString Filter{};
    QString DefaultExtension{};
    QString FileName{};
};

class UserDialogs {
public:
    virtual ~UserDialogs() = default;
    virtual void ShowError(QWidget* parent, const QString& message);
    virtual void ShowMessage(QWidget* parent, const QString& message);
    // A question before something that cannot be taken back (a write to the
    // plant, the end of a run): true when the user answers Yes. No is the
    // default button, so a stray Enter or Esc answers No.
    virtual bool Ask(QWidget* parent, const QString& question);
    // The chosen file name, or an empty string when the dialog was cancelled.
    virtual QString SaveFileName(QWidget* parent, const FileDialogRequest& request);
    virtual QString OpenFileName(QWidget* parent, const FileDialogRequest& request);
    // Opens a saved document in the desktop's application for its kind;
    // false when none could be started.
    virtual bool OpenDocument(QWidget* parent, const QString& fileName);
};

// The dialogs in use: the real ones unless a test has installed others.
UserDialogs& Dialogs();
// Installs `dialogs` (not owned); nullptr returns to the real dialogs.
void SetDialogs(UserDialogs* dialogs);

// "Desc|*.a|All files|*.*" as a Qt name filter list ("Desc (*.a);;All files (*)").
QString QtNameFilters(const QString& filter);

// `fileName` with ".ext" appended when it has no extension and ext is given.
QString WithDefaultExtension(const QString& fileName, const QString& extension);
