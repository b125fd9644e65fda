#pragma once

#include <QByteArray>
#include <QLoggingCategory>

// Messages about reading and writing files ("larkspur.file").
Q_DECLARE_LOGGING_CATEGORY(lcFile)

// Removes the file `nativePath` names. Where that fails for any reason but
// its being gone already, the name stays and a warning says so: the callers
// have nothing better to do about it. False when the name stays.
bool removeFileOrWarn(const QByteArray &nativePath);
