#pragma once

#include <cstddef>

// The size of the kernel's large pages on x86-64, the unit in which
// huge_pages.cpp asks for them.
inline constexpr std::size_t kHugePageBytes = std::size_t(2) << 20;

// Asks the kernel to back the whole 2 MiB pages inside `size` bytes at `data`
// with huge pages. A large file read at once, or the records made from it,
// touch every 4 KiB page once, and on virtual machines each of those first
// touches costs the kernel more than the work done on the page. Smaller
// buffers are left alone; where the kernel cannot oblige, nothing changes.
void adviseHugePages(void *data, std::size_t size);

// The same for the room a container has reserved (QByteArray, QList,
// std::vector), best asked for before it is filled.
template <typename Container>
void adviseHugePages(Container &container)
{
    adviseHugePages(container.data(), std::size_t(container.capacity()) * sizeof(*container.data()));
}
