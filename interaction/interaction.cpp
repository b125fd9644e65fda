#include "interaction.h"

#include "app_error.h"

int Interaction::MsgBox(const QString &text, int style, const QString &title)
{
    return messageBox(text, style, title.isEmpty() ? kAppTitle : title);
}

void Interaction::reportError(const AppError &error)
{
    MsgBox(QString::number(error.number()) + QStringLiteral(" - ") + error.description(), vbCritical);
}
