#include "platform/command_line.h"

namespace {
QString &commandText() {
    static QString text;
    return text;
}
} // namespace

QString Command() {
    return commandText();
}

void setCommand(const QString &text) {
    commandText() = text;
}
