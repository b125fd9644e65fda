#include "ini_store.h"
#include "name_match.h"
#include "profile_writer.h"
#include "reference_encodings.h"
#include "scripted_ui.h"
#include "test_files.h"
#include "text_helpers.h"

#include <QRandomGenerator>
#include <QtTest>

// A rewrite builds the whole file in one pass from the records, reading
// the key and value of a record straight from the loaded bytes while it has
// them. It must leave exactly what writing every record with a non-blank key
// into an empty file, one profile write at a time, leaves, and hand each
// value over as those writes would: whatever the records are (read from the
// file, given new texts, made afresh, taken out) and whatever the file's
// encoding and line ends.
class TestStoreRebuild : public QObject {
    Q_OBJECT

    using Row = std::tuple<QString, QString, QString, qint32>;

    static QList<Row> rows(const RecordList &records)
    {
        QList<Row> out;
        for (IniRecord *r : records)
            out.append({r->section(), r->key(), r->value(), r->id()});
        return out;
    }

    static const QStringList &sections()
    {
        static const QStringList names = {QString(),
                                          QStringLiteral("A"),
                                          QStringLiteral("a"),
                                          QStringLiteral("B"),
                                          QStringLiteral("[x]"),
                                          QStringLiteral(" A"),
                                          QString::fromUtf8("\xC3\xA9"),
                                          QString::fromUtf8("\xC3\x89")};
        return names;
    }
    // Key names as a file may hold them; the first five may also be assigned.
    static const QStringList &keys()
    {
        static const QStringList names = {
            QStringLiteral("k"),           QStringLiteral("K"),  QStringLiteral("j"),  QString::fromUtf8("\xC3\xA9"),
            QString::fromUtf8("\xC3\x89"), QStringLiteral(" k"), QStringLiteral("k "), QStringLiteral("  "),
            QStringLiteral("[q"),          QStringLiteral(";c")};
        return names;
    }
    static const QStringList &values()
    {
        static const QStringList texts = {QString(), QStringLiteral("1"), QStringLiteral("x=y"), QStringLiteral(" s "),
                                          QString::fromUtf8("caf\xC3\xA9")};
        return texts;
    }
    template <typename List>
    static const QString &pick(QRandomGenerator &random, const List &list, qsizetype count = -1)
    {
        return list[random.bounded(int(count < 0 ? list.size() : count))];
    }

    // A file of headers, key lines, comments, blank lines and lines without "=".
    static QString randomText(QRandomGenerator &random, const QString &eol)
    {
        QString text;
        const int lines = random.bounded(0, 16);
        for (int i = 0; i < lines; ++i) {
            switch (random.bounded(8)) {
            case 0:
            case 1:
                text += QLatin1Char('[') + pick(random, sections()) + QLatin1Char(']');
                break;
            case 2:
                text += random.bounded(2) ? QStringLiteral("; note") : QStringLiteral("no equals");
                break;
            case 3:
                break;
            default:
                text += pick(random, keys()) + QLatin1Char('=') + pick(random, values());
            }
            text += eol;
        }
        return text;
    }

    static QByteArray fileBytes(QRandomGenerator &random, const QString &text)
    {
        switch (random.bounded(4)) {
        case 0:
            return *referenceFileBytes(text, ReferenceEncoding::Windows1252);
        case 1:
            return *referenceFileBytes(text, ReferenceEncoding::Utf16LE);
        case 2:
            return "\xEF\xBB\xBF" + text.toUtf8();
        default:
            return text.toUtf8();
        }
    }

    // Changes the store's records the ways the program does: new values,
    // new names, new records, records taken out.
    static void edit(QRandomGenerator &random, RecordList &records)
    {
        const int edits = random.bounded(0, 5);
        for (int i = 0; i < edits; ++i) {
            const int what = random.bounded(5);
            if (what == 3 || records.count() == 0) {
                IniRecord *const record = records.newRecord();
                record->setSection(pick(random, sections()));
                if (random.bounded(3) > 0)
                    record->setKey(pick(random, keys(), 5));
                if (random.bounded(2))
                    record->setValue(pick(random, values()));
                record->setId(records.nextId());
                records.insert(random.bounded(int(records.count()) + 1) + 1, record);
                continue;
            }
            IniRecord *const record = records.at(random.bounded(int(records.count())) + 1);
            if (what == 0)
                record->setValue(pick(random, values()));
            else if (what == 1)
                record->setKey(pick(random, keys(), 5));
            else if (what == 2)
                record->setSection(pick(random, sections()));
            else
                records.removeAt(random.bounded(int(records.count())) + 1);
        }
    }

private Q_SLOTS:
    void rebuildEqualsWritesOneByOne()
    {
        ScriptedUi ui;
        for (int round = 0; round < 400; ++round) {
            QRandomGenerator random{quint32(round) + 31};
            static const QStringList eols = {QStringLiteral("\r\n"), QStringLiteral("\n"), QStringLiteral("\r")};
            const QByteArray bytes = fileBytes(random, randomText(random, pick(random, eols)));
            TestFolder dir;
            const QString path = dir.write(QStringLiteral("r.ini"), bytes);
            IniStore store(ui);
            store.setFileName(path);
            store.load();
            RecordList &records = *store.records();
            edit(random, records);

            // The writes one by one, into the file's format emptied.
            const TextFormat format = decodeFile(bytes).format;
            QByteArray text = format.bomBytes();
            QList<Row> expected = rows(records);
            QHash<QString, qsizetype> firstOf;
            for (qsizetype i = 0; i < records.count(); ++i) {
                IniRecord *const r = records.at(i + 1);
                if (trimBlanks(r->key()).isEmpty())
                    continue;
                text = applyProfileWrite(text, format, r->section(), r->key(), r->value());
                const QString name = upperName(r->section()) + QChar(0) + upperName(r->key());
                if (const auto found = firstOf.constFind(name); found != firstOf.constEnd())
                    std::get<2>(expected[*found]) = r->value();
                else
                    firstOf.insert(name, i);
            }

            store.rewriteFile(path);
            QCOMPARE(TestFolder::read(path), encodeFile(text, format, path));
            QCOMPARE(rows(records), expected);
        }
    }
};

QTEST_APPLESS_MAIN(TestStoreRebuild)
#include "test_store_rebuild.moc"
