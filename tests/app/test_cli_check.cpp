#include "reference_patch.h"
#include "test_files.h"

#include <QDirIterator>
#include <QFileInfo>
#include <QProcess>
#include <QRandomGenerator>
#include <QStringDecoder>
#include <QtTest>

#include <memory>
#include <sys/stat.h>

// larkspur-cli's --check, --diff, remove and remove-section and get's
// missing keys, through the process interface, on random files against a
// plain reference: the file's lines as a list.
class TestCliCheck : public QObject {
    Q_OBJECT

    struct Result {
        int code;
        QByteArray out;
        QByteArray err;
    };

    QTemporaryDir m_state;

    Result run(const QStringList &args) const
    {
        QProcess process;
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert(QStringLiteral("XDG_STATE_HOME"), m_state.path());
        process.setProcessEnvironment(env);
        process.start(QStringLiteral(LARKSPUR_CLI_PATH), args);
        if (!process.waitForFinished(30000))
            qFatal("larkspur-cli did not finish");
        return {process.exitStatus() == QProcess::NormalExit ? process.exitCode() : -1, process.readAllStandardOutput(),
                process.readAllStandardError()};
    }

    // Everything a write may touch: the file's bytes and modification time,
    // its backup, every file of the history.
    struct Footprint {
        QByteArray bytes;
        qint64 mtimeNs = 0;
        QByteArray backup;
        bool hasBackup = false;
        QStringList history;
        bool operator==(const Footprint &) const = default;
    };

    Footprint footprint(const QString &file, const QString &backup) const
    {
        Footprint f;
        f.bytes = TestFolder::read(file);
        struct stat info {};
        ::stat(QFile::encodeName(file).constData(), &info);
        f.mtimeNs = qint64(info.st_mtim.tv_sec) * 1000000000 + info.st_mtim.tv_nsec;
        f.hasBackup = QFileInfo::exists(backup);
        if (f.hasBackup)
            f.backup = TestFolder::read(backup);
        QDirIterator it(m_state.path(), QDir::Files | QDir::Hidden, QDirIterator::Subdirectories);
        while (it.hasNext()) {
            const QString path = it.next();
            f.history.append(path + QLatin1Char(' ') + QString::number(QFileInfo(path).size()));
        }
        f.history.sort();
        return f;
    }

    // The reference's view of a file: its text as lines, each with its line end.
    struct Line {
        QString text;
        QString eol;
    };
    static QList<Line> linesOf(const QString &text)
    {
        QList<Line> lines;
        qsizetype start = 0;
        for (qsizetype i = 0; i < text.size(); ++i) {
            if (text[i] != u'\r' && text[i] != u'\n')
                continue;
            const qsizetype eol = text[i] == u'\r' && i + 1 < text.size() && text[i + 1] == u'\n' ? 2 : 1;
            lines.append({text.mid(start, i - start), text.mid(i, eol)});
            i += eol - 1;
            start = i + 1;
        }
        if (start < text.size())
            lines.append({text.mid(start), QString()});
        return lines;
    }
    static bool isHeader(const QString &line)
    {
        return line.size() >= 2 && line.front() == u'[' && line.back() == u']';
    }
    static QString joined(const QList<Line> &lines)
    {
        QString text;
        for (const Line &line : lines)
            text += line.text + line.eol;
        return text;
    }
    // The file's text (its byte-order mark taken off) and whether it is UTF-16.
    static QString textOf(const QByteArray &bytes, bool &utf16)
    {
        utf16 = bytes.startsWith("\xff\xfe");
        auto decoder =
            QStringDecoder(utf16 ? QStringDecoder::Utf16LE : QStringDecoder::Utf8, QStringDecoder::Flag::Stateless);
        QString text = decoder(bytes.sliced(utf16 ? 2 : (bytes.startsWith("\xef\xbb\xbf") ? 3 : 0)));
        return text;
    }

    // The line `remove` takes out: the first record of section and key as the
    // reader makes them (a header is its section's record with key "").
    static qsizetype referenceRecordLine(const QList<Line> &lines, const QString &section, const QString &key)
    {
        bool in = section.isEmpty();
        for (qsizetype i = 0; i < lines.size(); ++i) {
            const QString &text = lines[i].text;
            if (isHeader(text)) {
                in = text.mid(1, text.size() - 2).toUpper() == section.toUpper();
                if (in && key.isEmpty())
                    return i;
            } else if (in && text.contains(u'=') && text.left(text.indexOf(u'=')).toUpper() == key.toUpper()) {
                return i;
            }
        }
        return -1;
    }
    // Whether line i is in a block `remove-section` takes out.
    static QList<bool> referenceSectionLines(const QList<Line> &lines, const QString &section)
    {
        QList<bool> taken(lines.size(), false);
        bool in = false;
        for (qsizetype i = 0; i < lines.size(); ++i) {
            if (isHeader(lines[i].text))
                in = lines[i].text.mid(1, lines[i].text.size() - 2).toUpper() == section.toUpper();
            taken[i] = in;
        }
        return taken;
    }

    static QByteArray randomFile(QRandomGenerator &random, bool &utf16)
    {
        static const char *const eols[] = {"\r\n", "\n", "\r"};
        const QString eol = QString::fromLatin1(eols[random.bounded(3)]);
        static const char *const pieces[] = {"[A]",   "[B]",    "[a]", "[ A]", "k=1",   "k=2",   "j=",  "k =3", "K=4",
                                             "; k=5", "# note", "",    "  ",   "stray", "  [B]", "é=ü", "m=x=y"};
        QString text;
        for (int n = random.bounded(12); n > 0; --n)
            text += QString::fromUtf8(pieces[random.bounded(int(std::size(pieces)))]) + eol;
        if (random.bounded(4) == 0)
            text += QStringLiteral("last=end");
        utf16 = random.bounded(5) == 0;
        if (utf16) {
            QStringEncoder encoder(QStringEncoder::Utf16LE);
            return QByteArray("\xff\xfe") + QByteArray(encoder(text));
        }
        return (random.bounded(5) == 0 ? QByteArray("\xef\xbb\xbf") : QByteArray()) + text.toUtf8();
    }

    static QStringList randomCommand(QRandomGenerator &random)
    {
        static const QStringList sections{"A", "a", "B", "C", " A", ""};
        static const QStringList keys{"k", "j", "K", "m", "new", ""};
        static const QStringList values{"1", "2", "", "x", "=y"};
        auto pick = [&random](const QStringList &list) { return list[random.bounded(int(list.size()))]; };
        switch (random.bounded(9)) {
        case 0:
        case 1:
            return {"set", pick(sections), pick(keys), pick(values)};
        case 2:
            return {"delete", pick(sections), pick(keys)};
        case 3:
            return {"add-section", pick(sections)};
        case 4:
            return {"add-key", pick(sections), pick(keys), pick(values)};
        case 5:
            return {"delete-section", pick(sections)};
        case 6:
            return {"remove", pick(sections), pick(keys)};
        case 7:
            return {"remove-section", pick(sections)};
        default:
            return {"batch", "--set", pick(sections), pick(keys), pick(values), "--remove", pick(sections), pick(keys)};
        }
    }

private Q_SLOTS:
    // --check exits with 3 exactly when the command changes the file (1 when
    // it fails), and touches nothing; a command that changes nothing
    // touches nothing either; --diff is the change; remove and
    // remove-section take out exactly the lines they name.
    void checkForetellsEveryWrite()
    {
        QRandomGenerator random(20261208);
        int changed = 0;
        int unchanged = 0;
        int failed = 0;
        // Each command runs twice on its file: run again, most leave the
        // file as the first run left it.
        bool utf16 = false;
        std::unique_ptr<TestFolder> dir;
        QStringList command;
        for (int round = 0; round < 300; ++round) {
            if (round % 2 == 0) {
                dir = std::make_unique<TestFolder>();
                dir->write(QStringLiteral("t.ini"), randomFile(random, utf16));
                if (random.bounded(3) == 0)
                    dir->write(QStringLiteral("t.old"), "an older backup\n");
                command = randomCommand(random);
            }
            const QString file = dir->path(QStringLiteral("t.ini"));
            const QString backup = dir->path(QStringLiteral("t.old"));
            const QByteArray original = TestFolder::read(file);
            const QByteArray context =
                (command.join(u'|') + QStringLiteral(" on ")).toUtf8() + original.toPercentEncoding("=[]; #");
            const QStringList args = QStringList{command[0], file} + command.mid(1);

            const Footprint before = footprint(file, backup);
            const Result check = run(args + QStringList{QStringLiteral("--check"), QStringLiteral("--diff")});
            QVERIFY2(footprint(file, backup) == before, context.constData());
            const Result write = run(args);
            const Footprint after = footprint(file, backup);
            const bool changes = after.bytes != before.bytes;
            const int expected = write.code != 0 ? 1 : changes ? 3 : 0;
            QVERIFY2(check.code == expected,
                     (context + " check " + QByteArray::number(check.code) + " " + check.err).constData());
            if (write.code != 0) {
                ++failed;
                QVERIFY2(after == before, context.constData());
                continue;
            }
            if (!changes) {
                ++unchanged;
                QVERIFY2(after == before, context.constData());
                QVERIFY2(check.out.isEmpty(), context.constData());
                continue;
            }
            ++changed;
            // A unified diff's lines end in LF: one of a file whose lines
            // end in a lone CR cannot be applied by a patch program.
            const bool loneCr = QByteArray(original).replace("\r\n", "").contains('\r');
            if (!utf16 && !loneCr) {
                // The diff is of the text: a byte-order mark is no part of it.
                auto text = [](const QByteArray &bytes) {
                    return bytes.startsWith("\xef\xbb\xbf") ? bytes.sliced(3) : bytes;
                };
                QString error;
                QVERIFY2(applyUnifiedDiff(text(original), check.out, error) == text(after.bytes),
                         (context + " " + error.toUtf8() + "\n" + check.out).constData());
            }

            if (command[0] != QLatin1String("remove") && command[0] != QLatin1String("remove-section"))
                continue;
            // Exactly the lines named go; every other byte stays, the
            // byte-order mark and encoding included.
            bool utf16After = false;
            const QList<Line> lines = linesOf(textOf(original, utf16));
            QList<Line> kept;
            if (command[0] == QLatin1String("remove")) {
                const qsizetype at = referenceRecordLine(lines, command[1], command[2]);
                QVERIFY2(at >= 0, context.constData());
                kept = lines;
                kept.remove(at);
            } else {
                const QList<bool> taken = referenceSectionLines(lines, command[1]);
                for (qsizetype i = 0; i < lines.size(); ++i)
                    if (!taken[i])
                        kept.append(lines[i]);
            }
            QCOMPARE(textOf(after.bytes, utf16After), joined(kept));
            QCOMPARE(utf16After, utf16);
            QCOMPARE(after.bytes.startsWith("\xef\xbb\xbf"), original.startsWith("\xef\xbb\xbf"));
            QCOMPARE(after.hasBackup, before.hasBackup);
        }
        // The random commands reach every outcome, often.
        QVERIFY2(changed > 40 && unchanged > 20 && failed > 20,
                 qPrintable(QStringLiteral("%1 %2 %3").arg(changed).arg(unchanged).arg(failed)));
    }

    // A set to the value the file holds is no write; a remove of what is not
    // there says so and writes nothing.
    void aWriteThatChangesNothingWritesNothing()
    {
        TestFolder dir;
        const QString file = dir.write(QStringLiteral("a.ini"), "; keep\n[Net]\nhost=a\n\n");
        const QString backup = dir.path(QStringLiteral("a.old"));
        const Footprint before = footprint(file, backup);
        QCOMPARE(run({"set", file, "net", "HOST", "a"}).code, 0);
        QCOMPARE(run({"batch", file, "--set", "Net", "host", "b", "--set", "Net", "host", "a"}).code, 0);
        QCOMPARE(footprint(file, backup), before);
        const Result missing = run({"remove", file, "Net", "port"});
        QCOMPARE(missing.code, 1);
        QCOMPARE(missing.err, QByteArray("larkspur-cli: no key port in [Net]\n"));
        const Result noSection = run({"remove-section", file, "Web"});
        QCOMPARE(noSection.code, 1);
        QCOMPARE(noSection.err, QByteArray("larkspur-cli: no section [Web]\n"));
        QCOMPARE(footprint(file, backup), before);
    }

    // Missing is not empty: a missing key exits with 1 and names a near
    // miss; an empty value prints an empty line; --default stands in.
    void getTellsAMissingKeyFromAnEmptyValue()
    {
        TestFolder dir;
        const QString file = dir.write(QStringLiteral("a.ini"), "[Net]\r\nhost =a\r\nempty=\r\n[ Web]\r\nport=80\r\n");
        const Result empty = run({"get", file, "net", "EMPTY"});
        QCOMPARE(empty.code, 0);
        QCOMPARE(empty.out, QByteArray("\n"));
        const Result host = run({"get", file, "Net", "host"});
        QCOMPARE(host.code, 1);
        QCOMPARE(host.out, QByteArray());
        QCOMPARE(
            host.err,
            QByteArray("larkspur-cli: no key \"host\" in [Net]; the file has \"host \" (with a blank before \"=\")\n"));
        const Result port = run({"get", file, "Web", "port"});
        QCOMPARE(port.code, 1);
        QCOMPARE(port.err,
                 QByteArray(
                     "larkspur-cli: no key \"port\" in [Web]; the file has it in [ Web] (with a blank after \"[\")\n"));
        const Result none = run({"get", file, "Net", "user"});
        QCOMPARE(none.code, 1);
        QCOMPARE(none.err, QByteArray("larkspur-cli: no key user in [Net]\n"));
        const Result fallback = run({"get", file, "Net", "user", "--default", "guest"});
        QCOMPARE(fallback.code, 0);
        QCOMPARE(fallback.out, QByteArray("guest\n"));
        // Matching itself stays exact: the default does not hide a near miss's value.
        QCOMPARE(run({"get", file, "Net", "host", "--default", "d"}).out, QByteArray("d\n"));
        QCOMPARE(run({"get", file, "Net", "empty", "--default", "d"}).out, QByteArray("\n"));
    }
};

QTEST_GUILESS_MAIN(TestCliCheck)
#include "test_cli_check.moc"
