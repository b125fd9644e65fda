#include "app_error.h"

#include <cerrno>
#include <cstring>

int errorNumber(ErrorKind kind)
{
    switch (kind) {
    case ErrorKind::InvalidArgument:
        return 5;
    case ErrorKind::OutOfMemory:
        return 7;
    case ErrorKind::OutOfRange:
        return 9;
    case ErrorKind::BadFileName:
        return 52;
    case ErrorKind::FileNotFound:
        return 53;
    case ErrorKind::DiskFull:
        return 61;
    case ErrorKind::PermissionDenied:
        return 70;
    case ErrorKind::PathFileAccess:
        return 75;
    case ErrorKind::PathNotFound:
        return 76;
    case ErrorKind::ObjectNotSet:
        return 91;
    case ErrorKind::ElementNotFound:
        return 35601;
    case ErrorKind::KeyNotUnique:
        return 35602;
    case ErrorKind::InvalidKey:
        return 35603;
    case ErrorKind::Store:
        return 3000;
    case ErrorKind::LoadFailed:
        // 0x800403E8, shown as the signed 32-bit value it has always been.
        return int(qint32(0x800403E8u));
    }
    Q_UNREACHABLE();
    return 0;
}

AppError::AppError(ErrorKind kind, QString description)
    : m_kind(kind), m_description(std::move(description)), m_what(m_description.toStdString())
{}

static ErrorKind kindOfErrno(int errnoValue)
{
    switch (errnoValue) {
    case ENOENT:
        return ErrorKind::FileNotFound;
    case ENOTDIR:
        return ErrorKind::PathNotFound;
    case EACCES:
    case EPERM:
    case EROFS:
    case ETXTBSY:
        return ErrorKind::PermissionDenied;
    case ENOSPC:
    case EDQUOT:
        return ErrorKind::DiskFull;
    case ENOMEM:
        return ErrorKind::OutOfMemory;
    default:
        return ErrorKind::PathFileAccess;
    }
}

void throwFileError(int errnoValue, const QString &path)
{
    const QString text = QString::fromLocal8Bit(std::strerror(errnoValue));
    throw AppError(kindOfErrno(errnoValue), text + QStringLiteral(": ") + path);
}

void throwObjectNotSet()
{
    throw AppError(ErrorKind::ObjectNotSet, QStringLiteral("Object variable or With block variable not set"));
}
