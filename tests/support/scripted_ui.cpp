#include "scripted_ui.h"

#include "console_interaction.h"

namespace {
ScriptedUi *g_current = nullptr;
}

ScriptedUi::ScriptedUi() : m_previous(g_current)
{
    g_current = this;
}

ScriptedUi::~ScriptedUi()
{
    g_current = m_previous;
}

ScriptedUi *ScriptedUi::current()
{
    return g_current;
}

Interaction &ScriptedUi::currentOrConsole()
{
    static ConsoleInteraction console(QStringLiteral("test"));
    return g_current ? static_cast<Interaction &>(*g_current) : console;
}

Answer ScriptedUi::messageBox(const QString &text, MessageButtons buttons, MessageIcon icon, const QString &title)
{
    messages.append({text, buttons, icon, title});
    return answers.isEmpty() ? Answer::Ok : answers.dequeue();
}

QString ScriptedUi::openFileDialog(const OpenFileRequest &request)
{
    dialogs.append(request);
    return dialogAnswers.isEmpty() ? QString() : dialogAnswers.dequeue();
}
