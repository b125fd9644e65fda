#pragma once

#include <QString>

// The user's own data folder: $XDG_DATA_HOME when it holds an absolute path,
// otherwise ~/.local/share; "" when there is no home folder to put it in
// ($HOME unset, relative or the root). Read anew on every call.
QString userDataHome();

// The paths below are only meaningful while userDataHome() is not empty.

// The user's desktop entries.
QString userApplicationsDir();
// The user's MIME database, and the package in it that declares our types.
QString userMimeDir();
QString mimePackagePath();
