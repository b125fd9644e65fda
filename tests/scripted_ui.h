#pragma once

#include "platform/platform_ui.h"

#include <QQueue>

// Stands in for the person at the screen: records every message box and
// dialog request, and answers from scripted queues (OK, and "" for the
// dialog, when nothing is scripted). Installs itself while it lives.
class ScriptedUi : public PlatformUi {
public:
    struct Message {
        QString text;
        int style;
        QString title;
    };

    ScriptedUi();
    ~ScriptedUi() override;

    int messageBox(const QString &text, int style, const QString &title) override;
    QString openFileDialog(const OpenFileRequest &request) override;
    QStringList loadedForms() const override { return forms; }

    QList<Message> messages;
    QList<OpenFileRequest> dialogs;
    QQueue<int> answers;
    QQueue<QString> dialogAnswers;
    QStringList forms;
};
