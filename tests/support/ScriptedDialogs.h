#pragma once

// Dialogs for GUI tests: records every message and question, answers file
// dialogs from a queue (an empty answer is a cancelled dialog) and questions
// from another (No, the default button, when it is empty). Installed for the
// lifetime of the object.

#include "base/UserDialogs.h"

#include <QStringList>

#include <deque>

class ScriptedDialogs : public UserDialogs {
public:
    ScriptedDialogs() { SetDialogs(this); }
    ~ScriptedDialogs() override { SetDialogs(nullptr); }
    ScriptedDialogs(const ScriptedDialogs&) = delete;
    ScriptedDialogs& operator=(const ScriptedDialogs&) = delete;

    QStringList Errors;
    QStringList Messages;
    std::deque<QString> FileAnswers;       // consumed by both kinds of file dialog
    std::deque<FileDialogRequest> FileRequests;  // what the program asked
    QStringList Questions;
    std::deque<bool> AskAnswers;
    QStringList OpenedDocuments;                 // documents handed to the desktop
    bool DocumentApplication = true;             // whether one is there to open them

    void ShowError(QWidget*, const QString& message) override { Errors << message; }
    void ShowMessage(QWidget*, const QString& message) override { Messages << message; }
    bool Ask(QWidget*, const QString& question) override
    {
        Questions << question;
        if (AskAnswers.empty())
            return false;
        const bool answer = AskAnswers.front();
        AskAnswers.pop_front();
        return answer;
    }
    QString SaveFileName(QWidget*, const FileDialogRequest& request) override
    {
        const QString answer = Answer(request);
        return answer.isEmpty() ? answer : WithDefaultExtension(answer, request.DefaultExtension);
    }
    QString OpenFileName(QWidget*, const FileDialogRequest& request) override { return Answer(request); }
    bool OpenDocument(QWidget*, const QString& fileName) override
    {
        OpenedDocuments << fileName;
        return DocumentApplication;
    }

private:
    QString Answer(const FileDialogRequest& request)
    {
        FileRequests.push_back(request);
        if (FileAnswers.empty())
            return {};
        QString answer = FileAnswers.front();
        FileAnswers.pop_front();
        return answer;
    }
};
