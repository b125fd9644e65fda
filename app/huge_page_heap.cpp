#include "huge_page_heap.h"

#include <cstdlib>
#include <cstring>
#include <string>
#include <unistd.h>

namespace {
// Set for the restarted process, so that it never restarts again even if
// the C library ignored the setting.
const char kMarker[] = "LARKSPUR_HEAP_TUNED";
// Huge pages for the heap; blocks up to 32 MiB (the most the library allows)
// come from the heap too, instead of separate small-page mappings.
const char kTunables[] = "glibc.malloc.hugetlb=1:glibc.malloc.mmap_threshold=33554432";
} // namespace

void restartWithHugePageHeap(char **argv)
{
    if (std::getenv(kMarker))
        return;
    const char *current = std::getenv("GLIBC_TUNABLES");
    if (current && std::strstr(current, "glibc.malloc."))
        return;
    std::string tunables = current && *current ? std::string(current) + ':' : std::string();
    tunables += kTunables;
    if (setenv("GLIBC_TUNABLES", tunables.c_str(), 1) != 0 || setenv(kMarker, "1", 1) != 0)
        return;
    execv("/proc/self/exe", argv);
    // Still here: the restart failed; go on with the ordinary heap.
    unsetenv(kMarker);
    if (current)
        setenv("GLIBC_TUNABLES", current, 1);
    else
        unsetenv("GLIBC_TUNABLES");
}
