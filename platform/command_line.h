#pragma once

#include <QString>

// The program's argument text: everything after the program's name, as one
// string. main() records it once at start-up.
QString Command();
void setCommand(const QString &text);
