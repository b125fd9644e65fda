// larkspur-cli: the editor's store for scripts. Every command loads FILE the
// way the editor does, then reads or edits it.

#include "app_error.h"
#include "cli_commands.h"
#include "cls_ini_registry.h"
#include "console_interaction.h"
#include "huge_page_heap.h"

#include <QFile>

#include <cstdio>
#include <cstring>
#include <sys/stat.h>

namespace {

const char kProgram[] = "larkspur-cli";

void printUsage(FILE *to)
{
    std::fprintf(to, "usage: %s COMMAND FILE [ARGUMENTS]\n\ncommands:\n", kProgram);
    for (const CliCommand &command : cliCommands()) {
        const QByteArray line = QByteArray(command.name) + " FILE " + command.arguments;
        std::fprintf(to, "  %-36s %s\n", line.constData(), command.summary);
    }
}

void printError(const QString &description)
{
    const QByteArray text = (QString::fromLatin1(kProgram) + QStringLiteral(": ") + description).toLocal8Bit();
    std::fprintf(stderr, "%s\n", text.constData());
}

} // namespace

int main(int argc, char **argv)
{
    // Small files load in a few milliseconds, less than a restart costs.
    constexpr off_t kLargeFile = 4 << 20;
    struct stat info {};
    if (argc >= 3 && ::stat(argv[2], &info) == 0 && info.st_size >= kLargeFile)
        restartWithHugePageHeap(argv);
    if (argc == 2 && (std::strcmp(argv[1], "--help") == 0 || std::strcmp(argv[1], "-h") == 0)) {
        printUsage(stdout);
        return 0;
    }
    if (argc < 3) {
        printUsage(stderr);
        return 2;
    }
    const CliCommand *command = nullptr;
    for (const CliCommand &candidate : cliCommands()) {
        if (std::strcmp(candidate.name, argv[1]) == 0)
            command = &candidate;
    }
    if (!command) {
        std::fprintf(stderr, "%s: unknown command '%s'\n", kProgram, argv[1]);
        printUsage(stderr);
        return 2;
    }
    if (argc - 3 < command->argumentCount || argc - 3 > command->argumentCount + command->optionCount) {
        std::fprintf(stderr, "usage: %s %s FILE %s\n", kProgram, command->name, command->arguments);
        return 2;
    }

    ConsoleInteraction ui(QString::fromLatin1(kProgram));
    QStringList args;
    for (int i = 3; i < argc; ++i)
        args.append(QString::fromLocal8Bit(argv[i]));

    try {
        clsINIRegistry store(ui);
        store.setFileName(QFile::decodeName(argv[2]));
        store.LoadINI();
        const int code = command->run(store, args);
        std::fflush(stdout);
        return code;
    } catch (const AppError &e) {
        printError(e.description());
    } catch (const std::bad_alloc &) {
        printError(QStringLiteral("Out of memory"));
    }
    return 1;
}
