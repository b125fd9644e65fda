#include "program_icon.h"

QIcon programIcon()
{
    QIcon icon;
    for (const int size : {16, 32, 48, 64, 128})
        icon.addFile(QStringLiteral(":/icons/larkspur-%1.png").arg(size), QSize(size, size));
    return icon;
}
