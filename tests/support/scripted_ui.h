#pragma once

#include "interaction.h"

#include <QQueue>

// Stands in for the person at the screen: records every message box and
// dialog request, and answers from scripted queues (OK, and "" for the
// dialog, when nothing is scripted). The newest one alive is current(), so
// that helpers which start windows for a test hand them the test's own.
class ScriptedUi : public Interaction {
public:
    struct Message {
        QString text;
        MessageButtons buttons;
        MessageIcon icon;
        QString title;
    };

    ScriptedUi();
    ~ScriptedUi() override;
    ScriptedUi(const ScriptedUi &) = delete;
    ScriptedUi &operator=(const ScriptedUi &) = delete;

    // The newest ScriptedUi alive; nullptr when there is none.
    static ScriptedUi *current();
    // current(), or when there is none, one that writes to stderr.
    static Interaction &currentOrConsole();

    Answer messageBox(const QString &text, MessageButtons buttons, MessageIcon icon, const QString &title) override;
    QString openFileDialog(const OpenFileRequest &request) override;

    QList<Message> messages;
    QList<OpenFileRequest> dialogs;
    QQueue<Answer> answers;
    QQueue<QString> dialogAnswers;

private:
    ScriptedUi *m_previous;
};
