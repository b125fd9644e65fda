#include "app_error.h"
#include "append_line.h"
#include "ini_store.h"
#include "reference_encodings.h"
#include "scripted_ui.h"
#include "test_files.h"

#include <QFileInfo>
#include <QRandomGenerator>
#include <QtTest>

// Files in UTF-16 (either byte order) and in Windows-1252 go through every
// write the store makes and keep their encoding: the store's results are
// checked against files built from a plain model of their lines by the
// reference encodings.
class TestStoreEncodings : public QObject {
    Q_OBJECT

    struct Line {
        QString text;
        QString eol; // "" for a last line without one
    };
    using Record = QStringList; // section, key, value

    // A generated file: its lines, and per section (the first is section "",
    // the top of the file) its header line and key lines.
    struct Model {
        struct Section {
            QString name;
            qsizetype header = -1;
            QList<qsizetype> keys;
        };
        QList<Line> lines;
        QList<Section> sections;

        QString text() const
        {
            QString out;
            for (const Line &line : lines)
                out += line.text + line.eol;
            return out;
        }
        QString fileEol() const
        {
            return !lines.isEmpty() && !lines[0].eol.isEmpty() ? lines[0].eol : QStringLiteral("\r\n");
        }
        QString keyOf(qsizetype line) const { return lines[line].text.section(QLatin1Char('='), 0, 0); }
        void end(qsizetype line)
        {
            if (lines[line].eol.isEmpty())
                lines[line].eol = fileEol();
        }
        void append(const QString &text)
        {
            end(lines.size() - 1);
            lines.append({text, fileEol()});
        }
    };

    // The records a reader makes of the lines, by the rules in README.md.
    static QList<Record> records(const QList<Line> &lines)
    {
        QList<Record> out;
        QString section;
        for (const Line &line : lines) {
            const QString &t = line.text;
            if (t.size() >= 2 && t.front() == QLatin1Char('[') && t.back() == QLatin1Char(']')) {
                section = t.mid(1, t.size() - 2);
                out.append({section, QString(), QString()});
            } else if (const qsizetype eq = t.indexOf(QLatin1Char('=')); eq >= 0) {
                out.append({section, t.left(eq), t.mid(eq + 1)});
            }
        }
        return out;
    }
    static QList<Record> records(const IniStore &store)
    {
        QList<Record> out;
        for (IniRecord *r : *store.records())
            out.append({r->section(), r->key(), r->value()});
        return out;
    }
    static QList<Record> reload(const QString &file)
    {
        IniStore store{ScriptedUi::currentOrConsole()};
        store.setFileName(file);
        store.load();
        return records(store);
    }

    // Characters beyond ASCII that each encoding holds; for UTF-16 they
    // include characters whose units hold the bytes of CR, LF, "=", "[" and
    // "]", and characters of two units.
    static QStringList extras(ReferenceEncoding encoding)
    {
        static const QList<char32_t> utf16 = {0xE9,   0x101,  0x3A9,  0x4E2D, 0x20AC, 0x1F600, 0x1D11E, 0x0D0A, 0x0A0D,
                                              0x3D5B, 0x5D3D, 0x0A00, 0xFEFF, 0x85,   0x2028,  0xDF,    0x5B0A};
        static const QList<char32_t> windows1252 = {
            0xE9,   0xC9,  0xFC,  0xDF,  0xFF,  0x20AC, 0x201A, 0x201E, 0x201C, 0x201D, 0x2018, 0x2019, 0x2013, 0x2014,
            0x2122, 0x160, 0x161, 0x17D, 0x178, 0x152,  0x81,   0x8D,   0x8F,   0x90,   0x9D,   0xA0,   0xD7,   0xA4};
        QStringList out;
        for (const char32_t c : encoding == ReferenceEncoding::Windows1252 ? windows1252 : utf16)
            out.append(QString::fromUcs4(&c, 1));
        return out;
    }

    static QString randomText(QRandomGenerator &random, int most, const QStringList &extra, const QString &forbid)
    {
        static const QString ascii = QStringLiteral("abcxyzABCXYZ0189 .,;:!-_/'#[]=()");
        QString out;
        for (int n = random.bounded(0, most + 1); n > 0;) {
            const QString c = random.bounded(3) == 0 ? extra[random.bounded(int(extra.size()))]
                                                     : QString(ascii[random.bounded(int(ascii.size()))]);
            if (forbid.contains(c))
                continue;
            out += c;
            --n;
        }
        return out;
    }

    static Model generate(QRandomGenerator &random, const QStringList &extra)
    {
        Model m;
        const QStringList eols = {QStringLiteral("\r\n"), QStringLiteral("\r"), QStringLiteral("\n")};
        auto add = [&](const QString &text) {
            QString eol = eols[random.bounded(3)];
            // A lone CR, then an empty line ended by LF, would read as one CR LF.
            if (!m.lines.isEmpty() && m.lines.last().eol == QStringLiteral("\r") && text.isEmpty()
                && eol == QStringLiteral("\n"))
                eol = QStringLiteral("\r\n");
            m.lines.append({text, eol});
            return m.lines.size() - 1;
        };
        auto filler = [&] {
            switch (random.bounded(5)) {
            case 0:
                add(QStringLiteral("; ") + randomText(random, 6, extra, QStringLiteral("=")));
                break;
            case 1:
                add(QString());
                break;
            case 2:
                add(QStringLiteral("x") + randomText(random, 6, extra, QStringLiteral("=")));
                break;
            default:
                break;
            }
        };
        // Key `anchor` (when not -1) is the anchor key of section "".
        auto keys = [&](Model::Section &section, const QString &prefix, int count, int anchor) {
            for (int k = 0; k < count; ++k) {
                filler();
                if (k == anchor) {
                    section.keys.append(add(QStringLiteral("anchor=caf") + QChar(0xE9) + QLatin1Char('!')));
                    continue;
                }
                const QString key =
                    prefix + QString::number(k) + QLatin1Char('_') + randomText(random, 4, extra, QStringLiteral("=_"));
                section.keys.append(add(key + QLatin1Char('=') + randomText(random, 8, extra, QString())));
            }
        };
        // Section "" holds an anchor key that no test touches, whose "é"
        // before an ASCII byte keeps a Windows-1252 file from reading as UTF-8.
        Model::Section top;
        const int topKeys = random.bounded(1, 4);
        keys(top, QStringLiteral("t"), topKeys, random.bounded(topKeys));
        m.sections.append(top);
        for (int s = random.bounded(1, 5); s > 0; --s) {
            filler();
            Model::Section section;
            section.name = QLatin1Char('S') + QString::number(m.sections.size()) + QLatin1Char('_')
                           + randomText(random, 4, extra, QStringLiteral("_"));
            section.header = add(QLatin1Char('[') + section.name + QLatin1Char(']'));
            keys(section, QStringLiteral("k"), random.bounded(0, 5), -1);
            m.sections.append(section);
        }
        filler();
        if (random.bounded(4) == 0 && !m.lines.last().text.isEmpty())
            m.lines.last().eol.clear();
        return m;
    }

    // What a rewrite from the records leaves: section "" keys, then each
    // section with keys left, every line ended by the file's line end.
    static QList<Line> rebuilt(const Model &m, const QList<qsizetype> &removed)
    {
        QList<Line> out;
        for (const Model::Section &section : m.sections) {
            QList<Line> lines;
            for (const qsizetype key : section.keys)
                if (!removed.contains(key))
                    lines.append({m.lines[key].text, m.fileEol()});
            if (!lines.isEmpty() && section.header >= 0)
                out.append({m.lines[section.header].text, m.fileEol()});
            out += lines;
        }
        return out;
    }

private Q_SLOTS:
    void everyWriteKeepsTheFilesEncoding_data()
    {
        QTest::addColumn<int>("encoding");
        for (const ReferenceEncoding e :
             {ReferenceEncoding::Utf16LE, ReferenceEncoding::Utf16BE, ReferenceEncoding::Windows1252})
            QTest::newRow(referenceName(e)) << int(e);
    }

    void everyWriteKeepsTheFilesEncoding()
    {
        QFETCH(int, encoding);
        const auto e = ReferenceEncoding(encoding);
        const QStringList extra = extras(e);
        ScriptedUi ui;
        enum Op { SetExisting, SetNewKey, SetNewSection, AddSection, DeleteKey, DeleteKeys, RewriteInPlace, OpCount };
        for (int round = 0; round < 70; ++round) {
            QRandomGenerator random{quint32(round * 3 + encoding)};
            const Model m = generate(random, extra);
            const std::optional<QByteArray> original = referenceFileBytes(m.text(), e);
            QVERIFY(original);
            TestFolder dir;
            const QString file = dir.write(QStringLiteral("app.ini"), *original);
            IniStore store{ui};
            store.setFileName(file);
            store.load();
            QCOMPARE(records(store), records(m.lines));

            // A key to change or delete: any but the anchor, which sits in section "".
            QList<std::pair<qsizetype, qsizetype>> targets;
            for (qsizetype s = 0; s < m.sections.size(); ++s)
                for (const qsizetype line : m.sections[s].keys)
                    if (!m.lines[line].text.startsWith(QStringLiteral("anchor=")))
                        targets.append({s, line});
            const auto op = Op(round % OpCount);
            if (targets.isEmpty() && op != SetNewSection && op != AddSection)
                continue;
            const auto [s, line] = targets.isEmpty() ? std::pair<qsizetype, qsizetype>{0, 0}
                                                     : targets[random.bounded(int(targets.size()))];
            // Names are matched without regard to letter case.
            const bool upper = random.bounded(2) == 0;
            const QString section = upper ? m.sections[s].name.toUpper() : m.sections[s].name;
            const QString key = upper ? m.keyOf(line).toUpper() : m.keyOf(line);
            const QString value = randomText(random, 8, extra, QString());
            const QString newName = QStringLiteral("N_") + randomText(random, 4, extra, QString());

            Model expected = m;
            QString setSection = section;
            QString setKey = key;
            switch (op) {
            case SetExisting:
            case RewriteInPlace:
                expected.lines[line].text = m.keyOf(line) + QLatin1Char('=') + value;
                if (op == SetExisting) {
                    store.setValue(section, key, value);
                } else {
                    store.records()->at(store.findRecord(section, key))->setValue(value);
                    store.rewriteFile(QString());
                }
                break;
            case SetNewKey: {
                // After the section's last key line, or its header.
                const Model::Section &in = m.sections[s];
                const qsizetype after = in.keys.isEmpty() ? in.header : in.keys.last();
                setKey = QStringLiteral("N_") + randomText(random, 4, extra, QStringLiteral("="));
                expected.end(after);
                Line added{setKey + QLatin1Char('=') + value, m.fileEol()};
                // A lone CR never joins the LF of an empty line after it.
                if (added.eol == QLatin1String("\r") && after + 1 < m.lines.size() && m.lines[after + 1].text.isEmpty()
                    && m.lines[after + 1].eol == QLatin1String("\n"))
                    added.eol = QStringLiteral("\r\n");
                expected.lines.insert(after + 1, added);
                store.setValue(section, setKey, value);
                break;
            }
            case SetNewSection:
                setSection = newName;
                setKey = QStringLiteral("key");
                expected.append(QLatin1Char('[') + setSection + QLatin1Char(']'));
                expected.append(setKey + QLatin1Char('=') + value);
                store.setValue(setSection, setKey, value);
                break;
            case AddSection:
                expected.append(QLatin1Char('[') + newName + QLatin1Char(']'));
                appendLine(store.fileName(), QLatin1Char('[') + newName + QLatin1Char(']'));
                break;
            case DeleteKey:
                expected.lines = rebuilt(m, {line});
                store.deleteKey(section, key);
                break;
            case DeleteKeys: {
                // Some of the section's keys, in any order.
                QList<qsizetype> removed;
                QStringList names;
                for (const qsizetype k : m.sections[s].keys)
                    if (k == line || (random.bounded(2) == 0 && !m.lines[k].text.startsWith(QStringLiteral("anchor="))))
                        removed.insert(random.bounded(int(removed.size()) + 1), k);
                for (const qsizetype k : removed)
                    names.append(m.keyOf(k));
                expected.lines = rebuilt(m, removed);
                store.deleteKeys(section, names);
                break;
            }
            case OpCount:
                break;
            }

            // Untouched lines byte for byte, the mark and the encoding kept.
            QCOMPARE(TestFolder::read(file), *referenceFileBytes(expected.text(), e));
            QCOMPARE(reload(file), records(expected.lines));
            if (op == SetExisting || op == SetNewKey || op == SetNewSection || op == RewriteInPlace) {
                IniStore again{ui};
                again.setFileName(file);
                again.load();
                QCOMPARE(again.value(setSection, setKey), value);
            }
            // A rewrite keeps the file's own bytes as they were in the backup.
            const QString backup = dir.path(QStringLiteral("app.old"));
            if (op == DeleteKey || op == DeleteKeys || op == RewriteInPlace)
                QCOMPARE(TestFolder::read(backup), *original);
            else
                QVERIFY(!QFileInfo::exists(backup));
        }
        QVERIFY(ui.messages.isEmpty());
    }
};

QTEST_APPLESS_MAIN(TestStoreEncodings)
#include "test_store_encodings.moc"
