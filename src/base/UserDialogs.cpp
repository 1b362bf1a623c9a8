#include "base/UserDialogs.h"

#include <QDesktopServices>
#include <QFileDialog>
#include <QFileInfo>
#include <QMessageBox>
#include <QStringList>
#include <QUrl>

namespace {

UserDialogs realDialogs;
UserDialogs* current = nullptr;

QString RunFileDialog(QWidget* parent, const FileDialogRequest& request,
                      QFileDialog::AcceptMode mode)
{
    QFileDialog dialog(parent, request.Caption, request.Directory);
    dialog.setAcceptMode(mode);
    dialog.setFileMode(mode == QFileDialog::AcceptSave ? QFileDialog::AnyFile
                                                       : QFileDialog::ExistingFile);
    if (!request.Filter.isEmpty())
        dialog.setNameFilters(QtNameFilters(request.Filter).split(QStringLiteral(";;")));
    if (!request.FileName.isEmpty())
        dialog.selectFile(request.FileName);
    // Wide enough for the name, size, type and date columns.
    dialog.resize(900, 560);
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty())
        return {};
    // An existing file is opened under its own name; only a new file gets
    // the default extension.
    const QString chosen = dialog.selectedFiles().constFirst();
    return mode == QFileDialog::AcceptSave ? WithDefaultExtension(chosen, request.DefaultExtension)
                                           : chosen;
}

} // namespace

void UserDialogs::ShowError(QWidget* parent, const QString& message)
{
    QMessageBox::critical(parent, QStringLiteral("Varkol"), message);
}

void UserDialogs::ShowMessage(QWidget* parent, const QString& message)
{
    QMessageBox::information(parent, QStringLiteral("Varkol"), message);
}

bool UserDialogs::Ask(QWidget* parent, const QString& question)
{
    QMessageBox box(QMessageBox::Question, QStringLiteral("Varkol"), question,
                    QMessageBox::Yes | QMessageBox::No, parent);
    box.setDefaultButton(QMessageBox::No);
    box.setEscapeButton(QMessageBox::No);
    return box.exec() == QMessageBox::Yes;
}

QString UserDialogs::SaveFileName(QWidget* parent, const FileDialogRequest& request)
{
    return RunFileDialog(parent, request, QFileDialog::AcceptSave);
}

QString UserDialogs::OpenFileName(QWidget* parent, const FileDialogRequest& request)
{
    return RunFileDialog(parent, request, QFileDialog::AcceptOpen);
}

bool UserDialogs::OpenDocument(QWidget*, const QString& fileName)
{
    return QDesktopServices::openUrl(QUrl::fromLocalFile(fileName));
}

UserDialogs& Dialogs()
{
    return current ? *current : realDialogs;
}

void SetDialogs(UserDialogs* dialogs)
{
    current = dialogs;
}

QString QtNameFilters(const QString& filter)
{
    const QStringList parts = filter.split(u'|');
    QStringList filters;
    for (qsizetype i = 0; i + 1 < parts.size(); i += 2) {
        QStringList patterns = parts[i + 1].split(u';', Qt::SkipEmptyParts);
        for (QString& pattern : patterns) {
            pattern = pattern.trimmed();
            if (pattern == QStringLiteral("*.*"))
                pattern = QStringLiteral("*");
        }
        // A description that names its patterns already, "Data (*.a)",
        // would show them twice: its own list gives way to the real one.
        QString description = parts[i].trimmed();
        if (description.endsWith(u')')) {
            const qsizetype open = description.lastIndexOf(u'(');
            if (open > 0)
                description = description.left(open).trimmed();
        }
        filters << description + QStringLiteral(" (") + patterns.join(u' ') + u')';
    }
    return filters.join(QStringLiteral(";;"));
}

QString WithDefaultExtension(const QString& fileName, const QString& extension)
{
    if (fileName.isEmpty() || extension.isEmpty() || !QFileInfo(fileName).suffix().isEmpty())
        return fileName;
    return fileName + u'.' + extension;
}
