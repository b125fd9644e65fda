#include "app_error.h"

#include <cerrno>
#include <cstring>

AppError::AppError(qint32 number, QString source, QString description)
    : m_number(number), m_source(std::move(source)), m_description(std::move(description)),
      m_what(m_description.toStdString())
{}

static qint32 runtimeNumberFor(int errnoValue)
{
    switch (errnoValue) {
    case ENOENT:
        return RuntimeError::FileNotFound;
    case ENOTDIR:
        return RuntimeError::PathNotFound;
    case EACCES:
    case EPERM:
    case EROFS:
    case ETXTBSY:
        return RuntimeError::PermissionDenied;
    case ENOSPC:
    case EDQUOT:
        return RuntimeError::DiskFull;
    case ENOMEM:
        return RuntimeError::OutOfMemory;
    default:
        return RuntimeError::PathFileAccess;
    }
}

void throwFileError(int errnoValue, const QString &path, const QString &source)
{
    const QString text = QString::fromLocal8Bit(std::strerror(errnoValue));
    throw AppError(runtimeNumberFor(errnoValue), source, text + QStringLiteral(": ") + path);
}

void throwObjectNotSet(const QString &source)
{
    throw AppError(RuntimeError::ObjectNotSet, source,
                   QStringLiteral("Object variable or With block variable not set"));
}
