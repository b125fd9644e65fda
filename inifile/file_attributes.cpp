#include "file_attributes.h"

#include "file_log.h"

#include <QByteArrayView>

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <sys/xattr.h>

namespace {

// The POSIX ACL of a file, kept by the kernel as an extended attribute.
constexpr char kAccessAcl[] = "system.posix_acl_access";

// The value of the extended attribute `name` of the descriptor; errno, or 0.
int attributeValue(int fd, const char *name, QByteArray &value)
{
    for (;;) {
        const ssize_t size = ::fgetxattr(fd, name, nullptr, 0);
        if (size < 0)
            return errno;
        value.resize(qsizetype(size));
        const ssize_t got = ::fgetxattr(fd, name, value.data(), size_t(size));
        if (got >= 0) {
            value.truncate(qsizetype(got));
            return 0;
        }
        // It grew between the two calls.
        if (errno != ERANGE)
            return errno;
    }
}

} // namespace

int copyAttributes(int from, int to, const QByteArray &name)
{
    QByteArray names;
    ssize_t size = from < 0 ? 0 : ::flistxattr(from, nullptr, 0);
    while (size > 0) {
        names.resize(qsizetype(size));
        const ssize_t got = ::flistxattr(from, names.data(), size_t(size));
        if (got >= 0 || errno != ERANGE) {
            size = got;
            break;
        }
        size = ::flistxattr(from, nullptr, 0);
    }
    // A file system without extended attributes has none to copy.
    if (size < 0 && errno != ENOTSUP)
        return errno;
    names.truncate(qsizetype(std::max<ssize_t>(size, 0)));
    bool hadAcl = false;
    QByteArray value;
    QByteArray present;
    for (const QByteArrayView attribute : names.split('\0')) {
        if (attribute.isEmpty())
            continue;
        const QByteArray key = attribute.toByteArray();
        hadAcl = hadAcl || key == kAccessAcl;
        int err = attributeValue(from, key.constData(), value);
        // The new file may have it already (a security label given by the
        // system's policy): then nothing needs to be allowed.
        if (!err && (attributeValue(to, key.constData(), present) != 0 || present != value)
            && ::fsetxattr(to, key.constData(), value.constData(), size_t(value.size()), 0) != 0)
            err = errno;
        if (err) {
            qCWarning(lcFile) << "the attribute" << key << "of" << name
                              << "cannot be given to a new file, so it is rewritten in place:" << std::strerror(err);
            return err;
        }
    }
    if (!hadAcl && ::fremovexattr(to, kAccessAcl) != 0 && errno != ENODATA && errno != ENOTSUP) {
        const int err = errno;
        qCWarning(lcFile) << "a new file for" << name
                          << "keeps the ACL of its folder, so it is rewritten in place:" << std::strerror(err);
        return err;
    }
    return 0;
}
