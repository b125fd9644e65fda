#include "fuzz_session.h"
#include "ini_store.h"

#include <QFile>
#include <QFileInfo>

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <dirent.h>
#include <unistd.h>

void (*g_fuzzFailureHook)() = nullptr;

namespace {

const char *outcomeName(int outcome)
{
    static const char *const names[] = {"written", "refused as read-only (1)", "refused"};
    return names[outcome];
}

QString show(const QList<model::Record> &records)
{
    QString out;
    for (const model::Record &r : records)
        out += QStringLiteral("\n    [%1] %2=%3").arg(escaped(r.section), escaped(r.key), escaped(r.value));
    return out;
}

QList<model::Record> recordsOf(const IniStore &store)
{
    QList<model::Record> out;
    for (IniRecord *record : *store.records())
        out.append({record->section(), record->key(), record->value(), false});
    return out;
}

bool sameRecords(const QList<model::Record> &a, const QList<model::Record> &b)
{
    if (a.size() != b.size())
        return false;
    for (qsizetype i = 0; i < a.size(); ++i)
        if (a[i].section != b[i].section || a[i].key != b[i].key || a[i].value != b[i].value)
            return false;
    return true;
}

// The file's lines as its own code units (bytes; 16-bit units for UTF-16),
// each with its line end, so that equal lines are equal bytes. A byte-order
// mark belongs to no line.
QStringList rawLines(const QByteArray &bytes)
{
    QString units;
    if (bytes.startsWith("\xFF\xFE") || bytes.startsWith("\xFE\xFF")) {
        const bool bigEndian = bytes.front() == '\xFE';
        for (qsizetype i = 2; i + 1 < bytes.size(); i += 2) {
            const auto a = static_cast<unsigned char>(bytes[i]);
            const auto b = static_cast<unsigned char>(bytes[i + 1]);
            units += QChar(char16_t(bigEndian ? (a << 8 | b) : (b << 8 | a)));
        }
    } else {
        const model::Text text = model::decode(bytes);
        units = QString::fromLatin1(text.encoding == model::Encoding::Utf8 && text.bom ? bytes.mid(3) : bytes);
    }
    QStringList lines;
    qsizetype start = 0;
    for (qsizetype i = 0; i < units.size(); ++i) {
        if (units[i] == QLatin1Char('\r') && i + 1 < units.size() && units[i + 1] == QLatin1Char('\n'))
            ++i;
        else if (units[i] != QLatin1Char('\r') && units[i] != QLatin1Char('\n'))
            continue;
        lines.append(units.mid(start, i + 1 - start));
        start = i + 1;
    }
    if (start < units.size())
        lines.append(units.mid(start));
    return lines;
}

// Every line of `before` is in `after`, byte for byte and in order, except
// at most one: a key line whose value changed (same bytes up to its "="
// and the same line end), or an unended last line that got its line end;
// at most `added` lines are new.
bool untouchedLinesKept(const QByteArray &before, const QByteArray &after, qsizetype added)
{
    const QStringList old = rawLines(before);
    const QStringList now = rawLines(after);
    qsizetype prefix = 0;
    while (prefix < old.size() && prefix < now.size() && old[prefix] == now[prefix])
        ++prefix;
    qsizetype suffix = 0;
    while (suffix < old.size() - prefix && suffix < now.size() - prefix
           && old[old.size() - 1 - suffix] == now[now.size() - 1 - suffix])
        ++suffix;
    const QStringList gone = old.mid(prefix, old.size() - prefix - suffix);
    const QStringList came = now.mid(prefix, now.size() - prefix - suffix);
    if (gone.size() > 1 || came.size() > gone.size() + added)
        return false;
    if (gone.isEmpty())
        return true;
    if (came.isEmpty())
        return false;
    const QString &line = gone.first();
    const QString &changed = came.first();
    const bool ended = !line.endsWith(QLatin1Char('\n')) && !line.endsWith(QLatin1Char('\r'));
    if (ended && changed.startsWith(line))
        return true;
    const qsizetype eq = line.indexOf(QLatin1Char('='));
    const QString eol = line.mid(line.size() - (line.endsWith(QLatin1String("\r\n")) ? 2 : ended ? 0 : 1));
    return eq >= 0 && changed.startsWith(line.left(eq + 1)) && changed.endsWith(eol);
}

} // namespace

QList<QByteArray> folderEntries(const QString &folder)
{
    QList<QByteArray> names;
    DIR *dir = ::opendir(QFile::encodeName(folder).constData());
    if (!dir)
        qFatal("fuzz_store: cannot list %s", qPrintable(folder));
    while (const dirent *entry = ::readdir(dir))
        if (std::strcmp(entry->d_name, ".") != 0 && std::strcmp(entry->d_name, "..") != 0)
            names.append(QByteArray(entry->d_name));
    ::closedir(dir);
    return names;
}

QByteArray readFile(const QString &path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        qFatal("fuzz_store: cannot read %s", qPrintable(path));
    return file.readAll();
}

std::optional<QByteArray> readIfExists(const QString &path)
{
    if (!QFile::exists(path))
        return std::nullopt;
    return readFile(path);
}

void FuzzSession::check(const Operation &op, const Expected &e, std::optional<int> returned, const QByteArray &before,
                        const std::optional<QByteArray> &backupBefore, qsizetype messagesBefore)
{
    const Outcome outcome = !returned ? Outcome::Refused : *returned == 1 ? Outcome::ReadOnly : Outcome::Written;
    if (outcome != e.outcome || (returned && *returned != 0 && *returned != 1))
        fail(QStringLiteral("the operation ended otherwise"), QString::fromLatin1(outcomeName(int(e.outcome))),
             QString::fromLatin1(outcomeName(int(outcome))) + QStringLiteral(" ") + m_lastError);

    const QByteArray after = readFile(m_path);
    const QByteArray &bytes = e.outcome == Outcome::Written ? e.bytes : before;
    if (after != bytes)
        fail(e.outcome == Outcome::Written ? QStringLiteral("the file is not what the write gives")
                                           : QStringLiteral("a refused operation changed the file"),
             escapedBytes(bytes), escapedBytes(after));
    const std::optional<QByteArray> backup = readIfExists(m_backup);
    const std::optional<QByteArray> backupExpected =
        e.outcome == Outcome::Written && e.rewrite ? std::optional<QByteArray>(before) : backupBefore;
    if (backup != backupExpected)
        fail(QStringLiteral("the backup is not the file as it was before the last rewrite"),
             backupExpected ? escapedBytes(*backupExpected) : QStringLiteral("(none)"),
             backup ? escapedBytes(*backup) : QStringLiteral("(none)"));
    checkFolder();

    const QList<model::Record> memory = recordsOf(*m_store);
    if (!sameRecords(memory, e.memory))
        fail(QStringLiteral("the store holds other records"), show(e.memory), show(memory));
    // A fresh store on the file; the one of the last check while the bytes
    // are the same (a load depends on nothing else).
    if (!m_fresh || after != m_freshBytes) {
        m_fresh = std::make_unique<IniStore>(m_freshUi);
        m_fresh->setFileName(m_path);
        m_fresh->load();
        m_freshBytes = after;
    }
    const IniStore &fresh = *m_fresh;
    const QList<model::Record> loaded = recordsOf(fresh);
    if (!sameRecords(loaded, model::records(e.text)))
        fail(QStringLiteral("the file loads as other records"), show(model::records(e.text)), show(loaded));
    if (e.synced && !sameRecords(memory, loaded))
        fail(QStringLiteral("the store and a fresh load of its file disagree"), show(loaded), show(memory));

    const QStringList newMessages = m_ui.messages.mid(messagesBefore);
    if (e.outcome == Outcome::Written && !newMessages.isEmpty())
        fail(QStringLiteral("a write that worked showed a message"), QString(), newMessages.join(QLatin1Char('|')));
    if (e.outcome == Outcome::ReadOnly
        && newMessages != QStringList{QStringLiteral("Cannot save setting, file is Read Only")})
        fail(QStringLiteral("a read-only write said otherwise"), QString(), newMessages.join(QLatin1Char('|')));

    if (e.outcome == Outcome::Written)
        checkReadBack(op, e, fresh);
    if (e.outcome == Outcome::Written && (op.kind == Operation::Set || op.kind == Operation::AddKey)
        && !untouchedLinesKept(before, after, 2))
        fail(QStringLiteral("a set changed lines it does not touch"), escapedBytes(before), escapedBytes(after));
    if (e.outcome == Outcome::Written && op.kind == Operation::AddSection && !untouchedLinesKept(before, after, 1))
        fail(QStringLiteral("an added section changed lines it does not touch"), escapedBytes(before),
             escapedBytes(after));
}

void FuzzSession::checkReadBack(const Operation &op, const Expected &e, const IniStore &fresh)
{
    if (op.kind == Operation::Set || op.kind == Operation::AddKey) {
        const QString key = op.kind == Operation::AddKey ? model::trimSpaces(op.key) : op.key;
        // The first record of the name wins, and a section's header record
        // (key "") comes before any key line of the section.
        const QList<model::Record> records = model::records(e.text);
        const qsizetype at = model::findRecord(records, op.section, key);
        if (at < 0)
            fail(QStringLiteral("the key set is not in the file"));
        const QString value = fresh.value(op.section, key);
        if (!records[at].header && value != op.value)
            fail(QStringLiteral("a set value does not read back"), escaped(op.value), escaped(value));
    }
    if (e.rewrite) {
        // Every record the store holds reads back, with the value of the
        // last of its name.
        for (const model::Record &record : e.memory) {
            if (model::trimSpaces(record.key).isEmpty())
                continue;
            const QString expected = e.memory[model::findRecord(e.memory, record.section, record.key)].value;
            const QString value = fresh.value(record.section, record.key);
            if (value != expected)
                fail(QStringLiteral("a record does not read back after the rewrite: [%1] %2")
                         .arg(escaped(record.section), escaped(record.key)),
                     escaped(expected), escaped(value));
        }
    }
}

namespace {

// Files of the person's own beside the configuration file, named much as a
// writer's temporary files are; every write must leave them as they are.
constexpr const char *kLookAlikes[] = {
    ".app.ini.backup",         ".app.ini.orig01",        ".app.old.saved1",
    ".app.ini.larkspur-12345", ".app.ini.larkspur-ab12", ".app.ini.larkspur-Ab12Cd.keep",
};
// A symbolic link of a temporary file's very name: never followed, never removed.
constexpr const char *kLink = ".app.ini.larkspur-Zz9Zz9";
// Another user's file of that form (planted only when running as root).
constexpr const char *kForeign = ".app.ini.larkspur-Nb0dy1";
// A killed writer's temporary file, which the next write may clear away.
constexpr const char *kStale = ".app.old.larkspur-Qq1Qq1";

QByteArray lookAlikeContents(const char *name)
{
    return QByteArray("kept: ") + name + '\n';
}

} // namespace

void plantLookAlikes(const QString &folder)
{
    const QByteArray dir = QFile::encodeName(folder) + '/';
    const auto plant = [&](const char *name) {
        QFile file(QFile::decodeName(dir + name));
        if (!file.open(QIODevice::WriteOnly) || file.write(lookAlikeContents(name)) < 0)
            qFatal("fuzz_store: cannot write %s", name);
    };
    for (const char *name : kLookAlikes)
        plant(name);
    plant(kStale);
    if (::symlink("elsewhere", (dir + kLink).constData()) != 0)
        qFatal("fuzz_store: cannot make the link %s", kLink);
    if (::geteuid() == 0) {
        plant(kForeign);
        if (::chown((dir + kForeign).constData(), 65534, 65534) != 0)
            qFatal("fuzz_store: cannot give %s away", kForeign);
    }
}

void FuzzSession::checkFolder()
{
    const QList<QByteArray> names = folderEntries(m_folder);
    for (const QByteArray &name : names) {
        const bool planted = std::any_of(std::begin(kLookAlikes), std::end(kLookAlikes),
                                         [&](const char *lookAlike) { return name == lookAlike; })
                             || name == kLink || name == kForeign || name == kStale;
        if (name != "app.ini" && name != "app.old" && !planted)
            fail(QStringLiteral("a file was left beside the configuration file: ") + QString::fromLocal8Bit(name));
    }
    const QString dir = m_folder + QLatin1Char('/');
    for (const char *name : kLookAlikes)
        if (readIfExists(dir + QLatin1String(name)) != lookAlikeContents(name))
            fail(QStringLiteral("a file of the person's own beside the file was changed or removed: ")
                 + QLatin1String(name));
    if (QFileInfo(dir + QLatin1String(kLink)).symLinkTarget().isEmpty())
        fail(QStringLiteral("a link named like a temporary file was removed"));
    if (::geteuid() == 0 && readIfExists(dir + QLatin1String(kForeign)) != lookAlikeContents(kForeign))
        fail(QStringLiteral("another user's file named like a temporary file was removed"));
}

void FuzzSession::fail(const QString &what, const QString &expected, const QString &actual)
{
    QString report = QStringLiteral("fuzz_store: %1\n%2").arg(what, m_log);
    if (!expected.isEmpty() || !actual.isEmpty())
        report += QStringLiteral("expected: %1\nactual:   %2\n").arg(expected, actual);
    std::fputs(report.toLocal8Bit().constData(), stderr);
    std::fflush(stderr);
    if (g_fuzzFailureHook)
        g_fuzzFailureHook();
    __builtin_trap();
}
