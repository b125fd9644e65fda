#include "scripted_ui.h"

ScriptedUi::ScriptedUi()
{
    setPlatformUi(this);
}

ScriptedUi::~ScriptedUi()
{
    setPlatformUi(nullptr);
}

int ScriptedUi::messageBox(const QString &text, int style, const QString &title)
{
    messages.append({text, style, title});
    return answers.isEmpty() ? vbOK : answers.dequeue();
}

QString ScriptedUi::openFileDialog(const OpenFileRequest &request)
{
    dialogs.append(request);
    return dialogAnswers.isEmpty() ? QString() : dialogAnswers.dequeue();
}
