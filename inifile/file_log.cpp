#include "file_log.h"

#include <cerrno>
#include <cstring>
#include <unistd.h>

Q_LOGGING_CATEGORY(lcFile, "larkspur.file")

bool removeFileOrWarn(const QByteArray &nativePath)
{
    if (::unlink(nativePath.constData()) == 0 || errno == ENOENT)
        return true;
    const int error = errno;
    qCWarning(lcFile) << "could not remove" << nativePath << "-" << std::strerror(error);
    return false;
}
