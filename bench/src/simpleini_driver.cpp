// simpleini-driver: the "load into an editable document" baseline.
//
//   simpleini-driver load FILE
//   simpleini-driver set FILE SECTION KEY VALUE
//
// SimpleIni keeps the whole file in memory as a document it can change and
// save, which is the same job the editor does, so it is the fair comparison
// for load time, memory and edit-and-save. Its SaveFile regenerates the file
// from its own model (normalised spacing and line ends), not byte-preserving;
// that costs it nothing extra, so it stays a fair lower bound for "set".

#include <SimpleIni.h>
#include <cstdio>
#include <cstring>

namespace {

int usage(const char *self)
{
    std::fprintf(stderr, "usage: %s load FILE\n       %s set FILE SECTION KEY VALUE\n", self, self);
    return 2;
}

bool load(CSimpleIniA &ini, const char *path)
{
    // Real configuration files are UTF-8; telling SimpleIni so matches how an
    // application would use it and skips its locale-based conversion.
    ini.SetUnicode(true);
    const SI_Error rc = ini.LoadFile(path);
    if (rc < 0) {
        std::fprintf(stderr, "simpleini-driver: cannot load %s (error %d)\n", path, static_cast<int>(rc));
        return false;
    }
    return true;
}

} // namespace

int main(int argc, char **argv)
{
    if (argc < 3)
        return usage(argv[0]);

    CSimpleIniA ini;
    if (std::strcmp(argv[1], "load") == 0 && argc == 3) {
        if (!load(ini, argv[2]))
            return 1;
        CSimpleIniA::TNamesDepend sections;
        ini.GetAllSections(sections);
        long long keys = 0;
        for (const auto &section : sections)
            keys += ini.GetSectionSize(section.pItem);
        std::printf("sections=%zu keys=%lld\n", sections.size(), keys);
        return 0;
    }
    if (std::strcmp(argv[1], "set") == 0 && argc == 6) {
        if (!load(ini, argv[2]))
            return 1;
        if (ini.SetValue(argv[3], argv[4], argv[5]) < 0) {
            std::fprintf(stderr, "simpleini-driver: SetValue failed\n");
            return 1;
        }
        if (ini.SaveFile(argv[2]) < 0) {
            std::fprintf(stderr, "simpleini-driver: cannot save %s\n", argv[2]);
            return 1;
        }
        return 0;
    }
    return usage(argv[0]);
}
