// inih-driver: the "fastest plausible parser" baseline.
//
//   inih-driver load FILE
//
// inih streams the file line by line through a callback and keeps nothing,
// so its time is close to the floor for parsing INI at all; anything an
// editor does on top (building a document it can modify and write back)
// shows up as the distance from this number.

#include <cstdio>
#include <cstring>
#include <ini.h>
#include <string>

namespace {

struct Counts {
    long long sections = 0;
    long long keys = 0;
    std::string currentSection;
    bool seenAny = false;
};

int onPair(void *user, const char *section, const char * /*name*/, const char * /*value*/)
{
    auto *counts = static_cast<Counts *>(user);
    // The Debian build does not report empty sections, so a section counts when
    // its first key arrives; the generated files never have empty sections.
    if (!counts->seenAny || counts->currentSection != section) {
        counts->currentSection = section;
        counts->seenAny = true;
        ++counts->sections;
    }
    ++counts->keys;
    return 1;
}

} // namespace

int main(int argc, char **argv)
{
    if (argc != 3 || std::strcmp(argv[1], "load") != 0) {
        std::fprintf(stderr, "usage: %s load FILE\n", argv[0]);
        return 2;
    }
    Counts counts;
    const int rc = ini_parse(argv[2], onPair, &counts);
    if (rc < 0) {
        std::fprintf(stderr, "inih-driver: cannot open %s\n", argv[2]);
        return 1;
    }
    if (rc > 0) {
        std::fprintf(stderr, "inih-driver: parse error at line %d\n", rc);
        return 1;
    }
    std::printf("sections=%lld keys=%lld\n", counts.sections, counts.keys);
    return 0;
}
