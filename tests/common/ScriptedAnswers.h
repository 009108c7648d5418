#pragma once

// Stand-ins for the user at the program's dialogs: each answers with the next
// scripted answer and keeps what it was asked, so tests see exactly what the
// user would have seen. Header only; the test links the program's libraries.

#include "platform/FileDlg.h"
#include "platform/InputBox.h"
#include "platform/MsgBox.h"

#include <QList>

class ScriptedMessages
{
public:
    ScriptedMessages()
    {
        MsgBox::setHandler([this](const MsgBox::Request &request) {
            asked.append(request);
            return answers.isEmpty() ? MsgBox::Answer::Cancel : answers.takeFirst();
        });
    }
    ~ScriptedMessages() { MsgBox::setHandler({}); }
    ScriptedMessages(const ScriptedMessages &) = delete;
    ScriptedMessages &operator=(const ScriptedMessages &) = delete;

    QList<MsgBox::Answer> answers; // Cancel once they run out
    QList<MsgBox::Request> asked;
};

class ScriptedFiles
{
public:
    ScriptedFiles()
    {
        FileDlg::setHandler([this](const FileDlg::Request &request) {
            asked.append(request);
            return answers.isEmpty() ? FileDlg::Answer{} : answers.takeFirst();
        });
    }
    ~ScriptedFiles() { FileDlg::setHandler({}); }
    ScriptedFiles(const ScriptedFiles &) = delete;
    ScriptedFiles &operator=(const ScriptedFiles &) = delete;

    // The user chooses path (with the first filter selected).
    void choose(const QString &path) { answers.append(FileDlg::Answer{true, path, 0}); }
    void cancel() { answers.append(FileDlg::Answer{}); }

    QList<FileDlg::Answer> answers; // cancelled once they run out
    QList<FileDlg::Request> asked;
};

class ScriptedInput
{
public:
    explicit ScriptedInput(const QString &answer)
    {
        InputBox::setHandler([this, answer](const InputBox::Request &request) {
            asked.append(request);
            return answer;
        });
    }
    // The answers one after another, then a cancel (no text).
    explicit ScriptedInput(const QStringList &answers)
    {
        InputBox::setHandler([this, queue = answers](const InputBox::Request &request) mutable {
            asked.append(request);
            return queue.isEmpty() ? QString() : queue.takeFirst();
        });
    }
    ~ScriptedInput() { InputBox::setHandler({}); }
    ScriptedInput(const ScriptedInput &) = delete;
    ScriptedInput &operator=(const ScriptedInput &) = delete;

    QList<InputBox::Request> asked;
};
