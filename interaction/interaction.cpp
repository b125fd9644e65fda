#include "interaction.h"

#include "app_error.h"

void Interaction::tell(const QString &text, MessageIcon icon, const QString &title)
{
    messageBox(text, MessageButtons::Ok, icon, title.isEmpty() ? kAppTitle : title);
}

bool Interaction::ask(const QString &text, MessageIcon icon, const QString &title)
{
    return messageBox(text, MessageButtons::YesNo, icon, title.isEmpty() ? kAppTitle : title) == Answer::Yes;
}

void Interaction::reportError(const AppError &error)
{
    tell(QString::number(errorNumber(error.kind())) + QStringLiteral(" - ") + error.description(),
         MessageIcon::Critical);
}
