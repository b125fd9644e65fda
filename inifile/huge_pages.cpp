#include "huge_pages.h"

#include <QLoggingCategory>

#include <cerrno>
#include <cstdint>
#include <cstring>
#include <sys/mman.h>

namespace {
Q_LOGGING_CATEGORY(lcFile, "larkspur.file")
}

void adviseHugePages(void *data, std::size_t size)
{
    if (size < kHugePageBytes)
        return;
    // madvise takes whole 4 KiB pages; the kernel uses huge pages only for
    // the aligned 2 MiB stretches inside, so rounding inwards loses nothing.
    constexpr std::uintptr_t kPage = 4096;
    const auto begin = (reinterpret_cast<std::uintptr_t>(data) + kPage - 1) & ~(kPage - 1);
    const auto end = (reinterpret_cast<std::uintptr_t>(data) + size) & ~(kPage - 1);
    if (::madvise(reinterpret_cast<void *>(begin), end - begin, MADV_HUGEPAGE) == 0)
        return;
    const int error = errno;
    // Kernels without transparent huge pages refuse; the buffer works all the
    // same, only slower to fill. Said once, not on every load.
    static bool said = false;
    if (!said) {
        said = true;
        qCWarning(lcFile) << "huge pages refused, large files load more slowly:" << std::strerror(error);
    }
}
