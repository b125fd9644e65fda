#pragma once

#include <QString>
#include <QStringList>

#include <functional>

class IniStore;
struct BatchResult;

// What the options of a writing command ask for. --check: work the result
// out, write nothing, and tell by the exit code whether the file would
// change. --diff: print the change as a unified diff (and, without
// --check, write it).
struct WriteFlags {
    bool check = false;
    bool diff = false;
};

// The exit code of a check that finds the file would change.
inline constexpr int kWouldChange = 3;

// An argument as a usage error quotes it: a long one cut after its opening.
QString shownArgument(const QString &text);

// The options after a writing command's `count` arguments; "" when each is
// --check or --diff, else what is wrong with the first that is not.
QString writeFlagsError(const QStringList &args, qsizetype count);
WriteFlags writeFlags(const QStringList &options);

// A writing command of larkspur-cli, worked out in memory as a batch of
// this one operation first. With a `label`, the result itself is written,
// the file kept as the version `label` names. Without one, `direct`, the
// command's own write, runs when the result changes the file: a rewrite
// from the records keeps its streaming and the backup's second name. A
// command that is refused runs `direct` too (when it has one), so that it
// fails in its own words.
struct WriteCommand {
    const char *name;
    qsizetype argumentCount;
    int (*direct)(IniStore &store, const QStringList &args) = nullptr;
    QString (*label)(const QStringList &args) = nullptr;
};

// Runs `command` on the loaded store with `args` (its arguments, then its
// options). A write that would leave the file as it is writes nothing.
int runWrite(IniStore &store, const QStringList &args, const WriteCommand &command);

// The end every writing command shares, under the file's lock: prints the
// diff when asked, answers a check with 0 or kWouldChange, or runs `write`
// when the result changes the file (0 without writing when it does not).
int finishWrite(IniStore &store, const BatchResult &result, const WriteFlags &flags, const std::function<int()> &write);
