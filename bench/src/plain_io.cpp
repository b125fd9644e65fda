// plain-io: the I/O floor the parsers are measured against.
//
//   plain-io read FILE      read the whole file into memory, count lines
//   plain-io rewrite FILE   read it, then write the same bytes back in place
//
// Counting newlines forces every byte to be touched, so the compiler cannot
// skip the work and the page cache cost is paid the same way a parser pays it.
// "rewrite" is the floor for any command that saves the whole file.

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <vector>

namespace {

bool readAll(const char *path, std::vector<char> &data)
{
    std::FILE *in = std::fopen(path, "rb");
    if (!in)
        return false;
    std::fseek(in, 0, SEEK_END);
    const long size = std::ftell(in);
    std::fseek(in, 0, SEEK_SET);
    data.resize(static_cast<std::size_t>(size < 0 ? 0 : size));
    const std::size_t got = std::fread(data.data(), 1, data.size(), in);
    std::fclose(in);
    data.resize(got);
    return true;
}

} // namespace

int main(int argc, char **argv)
{
    if (argc != 3 || (std::strcmp(argv[1], "read") != 0 && std::strcmp(argv[1], "rewrite") != 0)) {
        std::fprintf(stderr, "usage: %s read|rewrite FILE\n", argv[0]);
        return 2;
    }
    std::vector<char> data;
    if (!readAll(argv[2], data)) {
        std::fprintf(stderr, "plain-io: cannot read %s: %s\n", argv[2], std::strerror(errno));
        return 1;
    }
    const long long lines = std::count(data.begin(), data.end(), '\n');
    if (std::strcmp(argv[1], "rewrite") == 0) {
        std::FILE *out = std::fopen(argv[2], "wb");
        if (!out || std::fwrite(data.data(), 1, data.size(), out) != data.size() || std::fclose(out) != 0) {
            std::fprintf(stderr, "plain-io: cannot write %s: %s\n", argv[2], std::strerror(errno));
            return 1;
        }
    }
    std::printf("bytes=%zu lines=%lld\n", data.size(), lines);
    return 0;
}
