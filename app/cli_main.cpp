// larkspur-cli: the editor's store for scripts. Every command loads FILE the
// way the editor does, then reads or edits it.

#include "app_error.h"
#include "cli_commands.h"
#include "console_interaction.h"
#include "file_history.h"
#include "ini_store.h"
#include "text_helpers.h"

#include <QFile>

#include <cerrno>
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
        // A long command line gets its summary on a line of its own.
        if (line.size() > 36)
            std::fprintf(to, "  %s\n  %-36s %s\n", line.constData(), "", command.summary);
        else
            std::fprintf(to, "  %-36s %s\n", line.constData(), command.summary);
    }
}

void printCommandUsage(const CliCommand &command)
{
    std::fprintf(stderr, "usage: %s %s FILE %s\n", kProgram, command.name, command.arguments);
}

void printError(const QString &description)
{
    const QByteArray text = (QString::fromLatin1(kProgram) + QStringLiteral(": ") + description).toLocal8Bit();
    std::fprintf(stderr, "%s\n", text.constData());
}

// What keeps the file named `name` from being loaded, "" when nothing here
// does. The store would only ask for another file, and the console cannot
// answer, so the person would learn no more than that the name is missing.
// stat, not open: opening a FIFO would wait for a writer. Names the store
// refuses for other reasons (wildcards, a blank name) are left to it.
QString fileProblem(const QString &name)
{
    if (name.isEmpty())
        return QString();
    struct stat info {};
    if (::stat(QFile::encodeName(name).constData(), &info) != 0) {
        const int error = errno;
        if (error == ENOENT || error == ENOTDIR)
            return name + QStringLiteral(": no such file");
        return name + QStringLiteral(": ") + QString::fromLocal8Bit(std::strerror(error));
    }
    if (S_ISDIR(info.st_mode))
        return name + QStringLiteral(": is a folder");
    if (!S_ISREG(info.st_mode))
        return name + QStringLiteral(": not a regular file");
    if (name.sliced(name.lastIndexOf(QLatin1Char('/')) + 1).startsWith(QLatin1Char('.')))
        return name + QStringLiteral(": hidden file names (starting with \".\") are not opened");
    return QString();
}

} // namespace

int main(int argc, char **argv)
{
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
        printCommandUsage(*command);
        return 2;
    }
    QStringList args;
    for (int i = 3; i < argc; ++i)
        args.append(QString::fromLocal8Bit(argv[i]));
    if (command->usageError) {
        if (const QString problem = command->usageError(args); !problem.isEmpty()) {
            printError(problem);
            printCommandUsage(*command);
            return 2;
        }
    }

    // The name as the store will take it: blanks at either end go.
    const QString fileName = trimBlanks(QFile::decodeName(argv[2]));
    if (const QString problem = fileProblem(fileName); !problem.isEmpty()) {
        printError(problem);
        return 1;
    }

    ConsoleInteraction ui(QString::fromLatin1(kProgram));
    try {
        IniStore store(ui, FileHistory::fromEnvironment());
        store.setFileName(fileName);
        store.load();
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
