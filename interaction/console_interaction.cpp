#include "console_interaction.h"

#include <cstdio>

ConsoleInteraction::ConsoleInteraction(QString programName) : m_programName(std::move(programName)) {}

Answer ConsoleInteraction::messageBox(const QString &text, MessageButtons buttons, MessageIcon, const QString &)
{
    QString line = text;
    line.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
    const QByteArray out = (m_programName + QStringLiteral(": ") + line + QLatin1Char('\n')).toLocal8Bit();
    std::fwrite(out.constData(), 1, size_t(out.size()), stderr);
    std::fflush(stderr);
    return buttons == MessageButtons::YesNo ? Answer::No : Answer::Ok;
}

QString ConsoleInteraction::openFileDialog(const OpenFileRequest &)
{
    return QString();
}
