#include "ini_store.h"
#include "record_search.h"
#include "scripted_ui.h"
#include "test_files.h"

#include <QRandomGenerator>
#include <QtTest>

// The search run over the store's records: fields, match modes, the
// whole-string rule and the walk behind the last hit.
class TestRecordSearch : public QObject {
    Q_OBJECT

    struct Loaded {
        TestFolder dir;
        IniStore store{ScriptedUi::currentOrConsole()};
    };
    static std::unique_ptr<Loaded> load(const QByteArray &bytes)
    {
        auto l = std::make_unique<Loaded>();
        l->store.setFileName(l->dir.write(QStringLiteral("f.ini"), bytes));
        l->store.load();
        return l;
    }

    static SearchOptions options(const QString &text, bool matchCase = false, bool whole = false)
    {
        SearchOptions o;
        o.text = text;
        o.matchCase = matchCase;
        o.matchWholeString = whole;
        return o;
    }

    // The IDs a run after run reaches, as F3 would, up to the first miss.
    static QList<qint32> runs(const RecordList &records, const SearchOptions &o, qint32 last = 0)
    {
        QList<qint32> ids;
        for (;;) {
            const qsizetype hit = findNextRecord(records, o, last);
            if (hit < 0)
                return ids;
            last = records.at(hit + 1)->id();
            ids.append(last);
        }
    }

    static constexpr const char *kExample = "[General]\r\nName=Alpha\r\n[Other]\r\nMode=alpha beta\r\n";

private Q_SLOTS:
    void theExampleRuns()
    {
        ScriptedUi ui;
        const auto l = load(kExample);
        const RecordList &records = *l->store.records();
        QCOMPARE(runs(records, options("alpha")), (QList<qint32>{2, 4}));
        QCOMPARE(runs(records, options("alpha", true)), QList<qint32>{4});
        // Behind the last hit the walk goes on from there, not from the start.
        QCOMPARE(findNextRecord(records, options("alpha"), 2), 3);
        QCOMPARE(findNextRecord(records, options("alpha"), 4), -1);

        SearchOptions sections = options("General");
        sections.keys = sections.values = false;
        QCOMPARE(runs(records, sections), QList<qint32>{1});
        sections.text = QStringLiteral("Name");
        QCOMPARE(runs(records, sections), QList<qint32>{});
        // A section name is found on its header record only.
        sections.text = QStringLiteral("Other");
        QCOMPARE(runs(records, sections), QList<qint32>{3});

        SearchOptions none = options("a");
        none.sections = none.keys = none.values = false;
        QCOMPARE(runs(records, none), QList<qint32>{});
    }

    void wholeStringLooksAtTheFirstOccurrenceOnly()
    {
        auto whole = [](const char *field, const char *text, bool matchCase = false) {
            return fieldMatches(QString::fromUtf8(field), options(QString::fromUtf8(text), matchCase, true));
        };
        QVERIFY(whole("alpha beta", "beta"));
        QVERIFY(whole("Alpha", "alpha"));
        QVERIFY(whole("alpha beta", "alpha"));
        QVERIFY(!whole("alpha beta", "alp"));
        // Only the blank before it counts for an occurrence inside the field.
        QVERIFY(whole("alpha beta", "be"));
        QVERIFY(!whole("xbeta beta", "beta"));
        QVERIFY(!whole("alpha beta", " beta"));
        QVERIFY(!whole("alpha ", "alpha "));
        QVERIFY(!whole("alpha\tbeta", "beta"));
        QVERIFY(!whole("Alpha", "alpha", true));
        QVERIFY(whole("alpha", "alpha", true));
        QVERIFY(!whole("", "a"));
        QVERIFY(fieldMatches(u"x ALPHAy", options("alpha")));
        QVERIFY(!fieldMatches(u"x ALPHAy", options("alpha", true)));
    }

    void lettersBeyondAsciiMatchWithoutRegardToCase()
    {
        ScriptedUi ui;
        const auto utf8 = load("[\xC3\x89"
                               "cole]\r\nnom=Caf\xC3\xA9 cr\xC3\xA8me\r\n");
        QCOMPARE(runs(*utf8->store.records(), options(QString::fromUtf8("\xC3\xA9"
                                                                        "COLE"))),
                 QList<qint32>{1});
        QCOMPARE(runs(*utf8->store.records(), options(QString::fromUtf8("CAF\xC3\x89"))), QList<qint32>{2});
        QCOMPARE(runs(*utf8->store.records(), options(QStringLiteral("caf"))), QList<qint32>{2});
        const auto latin1 = load("nom=Caf\xE9\r\n");
        QCOMPARE(runs(*latin1->store.records(), options(QString::fromUtf8("CAF\xC3\x89"))), QList<qint32>{1});
        QCOMPARE(runs(*latin1->store.records(), options(QString::fromUtf8("Caf\xC3\xA9"), true)), QList<qint32>{1});
    }

    // Fields read straight from the file's bytes must match exactly as the
    // same texts held as strings do.
    void loadedBytesAndAssignedTextsAgree()
    {
        ScriptedUi ui;
        static const QList<QByteArray> words = {"ab", "AB", "a b",         " ab", "\xC3\xA9t\xC3\xA9",
                                                "x",  "bA", "\xE2\x84\xAA"};
        for (int round = 0; round < 200; ++round) {
            QRandomGenerator random{quint32(round) + 11};
            QByteArray text;
            for (int line = 0; line < 8; ++line) {
                const QByteArray &a = words[random.bounded(int(words.size()))];
                const QByteArray &b = words[random.bounded(int(words.size()))];
                text += random.bounded(4) == 0 ? "[" + a + "]\r\n" : a + "=" + b + " " + a + "\r\n";
            }
            const auto l = load(text);
            // The same records, every text assigned afresh.
            RecordList copies;
            for (IniRecord *r : *l->store.records()) {
                IniRecord *const c = copies.newRecord();
                c->setSection(r->section());
                c->setKey(r->key());
                c->setValue(r->value());
                c->setId(r->id());
                copies.append(c);
            }
            for (const QByteArray &word : words) {
                for (int mode = 0; mode < 4; ++mode) {
                    const SearchOptions o = options(QString::fromUtf8(word), mode & 1, mode & 2);
                    QCOMPARE(runs(*l->store.records(), o), runs(copies, o));
                }
            }
        }
    }
};

QTEST_GUILESS_MAIN(TestRecordSearch)
#include "test_record_search.moc"
