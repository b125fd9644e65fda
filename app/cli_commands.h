#pragma once

#include <QStringList>

class IniStore;

// One command of larkspur-cli: its name, the arguments after FILE, and the
// work it does on a store that has already loaded FILE. `run` returns the
// exit code; store failures are thrown as AppError.
struct CliCommand {
    const char *name;
    const char *arguments;
    const char *summary;
    int (*run)(IniStore &store, const QStringList &args);
    qsizetype argumentCount;
    // Options that may follow the arguments.
    qsizetype optionCount = 0;
    // What is wrong with the arguments after FILE as a command line, "" when
    // nothing is; asked before FILE is touched. Without it, any arguments of
    // the right count will do.
    QString (*usageError)(const QStringList &args) = nullptr;
};

// An option count for commands that take any number of options.
inline constexpr qsizetype kManyOptions = 1 << 20;

const QList<CliCommand> &cliCommands();
