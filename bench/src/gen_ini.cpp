// gen-ini: writes a large, realistic-looking INI file for the benchmarks.
//
//   gen-ini LINES OUT [SEED [SHAPE]]
//
// SHAPE is one of the shapes real files have:
//   mixed       sections of 5-50 keys whose names rarely repeat (the default)
//   shared      sections of 5-40 keys, all named from the same 48 words, as
//               when every section has its "enabled", "path", "name"...
//   onesection  one section holding every key
//   duplicates  sections of 10-50 keys named from 6 names each, so that
//               most names appear several times in their section
//
// The output must be identical on every machine and every compiler, so that
// numbers measured on different days compare the same bytes. That is why the
// random numbers come from a hand-written splitmix64 and never go through
// <random> distributions, whose results differ between standard libraries.
//
// On success it prints KEY=VALUE lines (shell-friendly) describing the file,
// including the last section and key, which the bench addresses because a
// lookup of the last key cannot stop early, and the value a lookup of that
// key finds (the first of its name in the section).

#include <array>
#include <cerrno>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace {

struct Rng {
    std::uint64_t state;

    std::uint64_t next()
    {
        std::uint64_t z = (state += 0x9e3779b97f4a7c15ULL);
        z = (z ^ (z >> 30)) * 0xbf58476d1ce4e5b9ULL;
        z = (z ^ (z >> 27)) * 0x94d049bb133111ebULL;
        return z ^ (z >> 31);
    }

    // Inclusive range; the modulo bias is irrelevant at these sizes.
    int between(int lo, int hi) { return lo + static_cast<int>(next() % static_cast<std::uint64_t>(hi - lo + 1)); }

    // Uniform in [0, 1).
    double unit() { return static_cast<double>(next() >> 11) * 0x1.0p-53; }
};

constexpr std::array<std::string_view, 48> kKeyWords = {
    "cache",  "size",    "max",    "min",    "timeout", "retry",   "count",  "path",     "user",    "name",
    "enable", "disable", "log",    "level",  "port",    "host",    "buffer", "limit",    "queue",   "depth",
    "color",  "font",    "width",  "height", "mode",    "default", "backup", "interval", "threads", "pool",
    "proxy",  "server",  "client", "index",  "format",  "locale",  "theme",  "window",   "scale",   "delay",
    "output", "input",   "file",   "dir",    "mirror",  "channel", "token",  "filter"};

// Values deliberately avoid ';', '#', '=' and ':' so every parser under test
// (inih treats " ;" as an inline comment, SimpleIni does not) sees the same
// key/value pairs and the count cross-check between drivers stays exact.
constexpr std::array<std::string_view, 40> kValueWords = {"alpha",       "beta",      "gamma",
                                                          "delta",       "on",        "off",
                                                          "true",        "false",     "/usr/local/share",
                                                          "/home/admin", "1024",      "65535",
                                                          "0.75",        "utf-8",     "en_US",
                                                          "localhost",   "127.0.0.1", "example.org/path",
                                                          "Lorem",       "ipsum",     "dolor",
                                                          "sit",         "amet",      "consectetur",
                                                          "quick",       "brown",     "fox",
                                                          "jumps",       "over",      "lazy",
                                                          "dog",         "v2.14.3",   "release",
                                                          "debug",       "x86_64",    "none",
                                                          "auto",        "ff8800",    "42",
                                                          "(default)"};

constexpr std::array<std::string_view, 12> kCommentWords = {"settings", "for", "the", "module", "below",  "see",
                                                            "manual",   "do",  "not", "edit",   "legacy", "TODO"};

// Value lengths are skewed towards short ones because real configuration
// values are mostly short flags and numbers, with the odd long path or list.
// The blend is tuned so the 1M-line file averages ~49 bytes a line (~49 MB),
// the size the load and memory figures are tracked at; changing it changes
// every number, so leave it alone unless re-baselining. Plain arithmetic, no
// pow(), so no libm difference can move a length by one.
int valueLength(Rng &rng)
{
    const double u = rng.unit();
    return 5 + static_cast<int>(75.0 * (0.48 * u + 0.52 * u * u) + 0.5);
}

void appendValue(std::string &line, Rng &rng)
{
    const int target = valueLength(rng);
    std::string value;
    value.reserve(static_cast<std::size_t>(target) + 32);
    while (static_cast<int>(value.size()) < target) {
        if (!value.empty())
            value.push_back(' ');
        value.append(kValueWords[rng.next() % kValueWords.size()]);
    }
    value.resize(static_cast<std::size_t>(target));
    // Parsers trim values; a trailing blank would make "what was stored" ambiguous.
    while (!value.empty() && value.back() == ' ')
        value.back() = 'x';
    line.append(value);
}

std::string makeKey(Rng &rng, int indexInSection)
{
    std::string key(kKeyWords[rng.next() % kKeyWords.size()]);
    key.push_back('_');
    key.append(kKeyWords[rng.next() % kKeyWords.size()]);
    key.push_back('_');
    // The position suffix keeps keys unique inside a section without a lookup table.
    key.append(std::to_string(indexInSection));
    return key;
}

void appendComment(std::string &line, Rng &rng)
{
    line.append("; ");
    const int words = rng.between(2, 10);
    for (int i = 0; i < words; ++i) {
        if (i)
            line.push_back(' ');
        line.append(kCommentWords[rng.next() % kCommentWords.size()]);
    }
}

enum class Shape { Mixed, Shared, OneSection, Duplicates };

struct ShapeRules {
    const char *name;
    Shape shape;
    int minKeys;
    int maxKeys;
};

constexpr std::array<ShapeRules, 4> kShapes = {{
    {"mixed", Shape::Mixed, 5, 50},
    {"shared", Shape::Shared, 5, 40},
    {"onesection", Shape::OneSection, 1, 1 << 30},
    {"duplicates", Shape::Duplicates, 10, 50},
}};

// The key names a section draws from: for "shared" the 48 words in an order
// of the section's own, taken one after the other; for "duplicates" six
// names taken at random, again and again.
std::vector<std::string> sectionNames(Shape shape, Rng &rng)
{
    std::vector<std::string> names;
    if (shape == Shape::Shared) {
        names.assign(kKeyWords.begin(), kKeyWords.end());
        for (std::size_t i = names.size() - 1; i > 0; --i)
            std::swap(names[i], names[rng.next() % (i + 1)]);
    } else if (shape == Shape::Duplicates) {
        for (int i = 0; i < 6; ++i)
            names.push_back(std::string(kKeyWords[rng.next() % kKeyWords.size()]) + "_"
                            + std::string(kKeyWords[rng.next() % kKeyWords.size()]));
    }
    return names;
}

std::string nextKey(Shape shape, Rng &rng, int indexInSection, const std::vector<std::string> &names)
{
    switch (shape) {
    case Shape::Shared:
        return names[static_cast<std::size_t>(indexInSection)];
    case Shape::Duplicates:
        return names[rng.next() % names.size()];
    default:
        return makeKey(rng, indexInSection);
    }
}

} // namespace

int main(int argc, char **argv)
{
    if (argc < 3 || argc > 5) {
        std::fprintf(stderr, "usage: %s LINES OUT [SEED [mixed|shared|onesection|duplicates]]\n", argv[0]);
        return 2;
    }
    char *end = nullptr;
    const long long totalLines = std::strtoll(argv[1], &end, 10);
    if (*end != '\0' || totalLines < 6) {
        std::fprintf(stderr, "gen-ini: LINES must be an integer >= 6\n");
        return 2;
    }
    const std::uint64_t seed = argc >= 4 ? std::strtoull(argv[3], nullptr, 10) : 20240607ULL;
    const ShapeRules *rules = &kShapes[0];
    if (argc == 5) {
        rules = nullptr;
        for (const ShapeRules &candidate : kShapes)
            if (std::strcmp(candidate.name, argv[4]) == 0)
                rules = &candidate;
        if (!rules) {
            std::fprintf(stderr, "gen-ini: unknown shape %s\n", argv[4]);
            return 2;
        }
    }

    std::FILE *out = std::fopen(argv[2], "wb");
    if (!out) {
        std::fprintf(stderr, "gen-ini: cannot open %s: %s\n", argv[2], std::strerror(errno));
        return 1;
    }
    static char outBuffer[1 << 20];
    std::setvbuf(out, outBuffer, _IOFBF, sizeof outBuffer);

    const int kMinKeys = rules->minKeys;
    const int kMaxKeys = rules->maxKeys;
    // Smallest tail that can still hold a whole section (header + kMinKeys).
    const long long kMinSectionLines = 1 + kMinKeys;

    Rng rng{seed};
    std::string line;
    long long written = 0, bytes = 0, sections = 0, keys = 0, comments = 0, blanks = 0;
    int keysLeft = 0; // keys still to write in the current section
    int keyIndex = 0; // position of the next key in the current section
    bool finalSection = false;
    std::string lastSection, lastKey, lastValue;
    std::vector<std::string> names;
    // The current section's keys with the value of the first of each name.
    std::vector<std::pair<std::string, std::string>> firstValues;

    auto emit = [&](const std::string &text) {
        std::fwrite(text.data(), 1, text.size(), out);
        std::fwrite("\r\n", 1, 2, out);
        bytes += static_cast<long long>(text.size()) + 2;
        ++written;
    };

    while (written < totalLines) {
        const long long remaining = totalLines - written;

        // Comments and blanks are sprinkled anywhere except the very first line,
        // but never so many that the planned keys (and a possible next section)
        // no longer fit in the line budget.
        if (written > 0 && !finalSection && remaining - keysLeft > kMinSectionLines) {
            const double r = rng.unit();
            if (r < 0.05) {
                line.clear();
                appendComment(line, rng);
                emit(line);
                ++comments;
                continue;
            }
            if (r < 0.08) {
                line.clear();
                emit(line);
                ++blanks;
                continue;
            }
        }

        if (keysLeft == 0) {
            int count;
            if (remaining - 1 <= kMaxKeys) {
                // Whatever is left becomes the last section, so the file ends
                // on a key line and has exactly the requested line count.
                count = static_cast<int>(remaining - 1);
                finalSection = true;
            } else {
                const long long roomForNext = remaining - 1 - kMinSectionLines;
                count = rng.between(kMinKeys, static_cast<int>(roomForNext < kMaxKeys ? roomForNext : kMaxKeys));
            }
            char header[32];
            std::snprintf(header, sizeof header, "Section_%05lld", sections);
            lastSection = header;
            // Built piecewise: GCC 12 warns falsely (-Wrestrict) on assign(literal).
            line.clear();
            line.push_back('[');
            line.append(header);
            line.push_back(']');
            emit(line);
            ++sections;
            keysLeft = count;
            keyIndex = 0;
            names = sectionNames(rules->shape, rng);
            firstValues.clear();
            continue;
        }

        lastKey = nextKey(rules->shape, rng, keyIndex++, names);
        line.assign(lastKey).append("=");
        const std::size_t valueStart = line.size();
        appendValue(line, rng);
        emit(line);
        lastValue.assign(line, valueStart);
        if (rules->shape == Shape::Duplicates)
            firstValues.emplace_back(lastKey, lastValue);
        ++keys;
        --keysLeft;
    }

    if (std::fclose(out) != 0) {
        std::fprintf(stderr, "gen-ini: write to %s failed: %s\n", argv[2], std::strerror(errno));
        return 1;
    }

    std::printf("lines=%lld\nbytes=%lld\nsections=%lld\nkeys=%lld\ncomments=%lld\nblanks=%lld\n", written, bytes,
                sections, keys, comments, blanks);
    std::string found = lastValue;
    for (const auto &[name, value] : firstValues) {
        if (name == lastKey) {
            found = value;
            break;
        }
    }
    std::printf("last_section=%s\nlast_key=%s\nlast_value=%s\nget_value=%s\n", lastSection.c_str(), lastKey.c_str(),
                lastValue.c_str(), found.c_str());
    return 0;
}
