#include "app_error.h"
#include "profile_builder.h"
#include "profile_writer.h"
#include "test_files.h"

#include <QRandomGenerator>
#include <QtTest>

class TestProfileWriter : public QObject {
    Q_OBJECT

    static QByteArray write(const QByteArray &bytes, const char *section, const char *key, const char *value)
    {
        return applyProfileWrite(bytes, detectTextFormat(bytes), QString::fromUtf8(section), QString::fromUtf8(key),
                                 QString::fromUtf8(value));
    }

private Q_SLOTS:
    void replacesTheFirstMatchingKeyOnly()
    {
        const QByteArray file = "; top\r\n[Net]\r\nHost=a\r\n[net]\r\nhost=b\r\n";
        QCOMPARE(write(file, "NET", "HOST", "z"), QByteArray("; top\r\n[Net]\r\nHost=z\r\n[net]\r\nhost=b\r\n"));
        // The file's own key spelling and line end stay; only the value changes.
        QCOMPARE(write("[A]\nKey = old\r\n", "a", "key ", "new"), QByteArray("[A]\nKey =new\r\n"));
        QCOMPARE(write("[A]\r\nk=v\r\n", "A", "k", ""), QByteArray("[A]\r\nk=\r\n"));
        // A key in the second block of a section is still the first match.
        QCOMPARE(write("[A]\r\n[B]\r\n[A]\r\nk=1\r\n", "A", "k", "2"), QByteArray("[A]\r\n[B]\r\n[A]\r\nk=2\r\n"));
    }

    void newKeyGoesAfterTheLastKeyOfTheFirstOccurrence()
    {
        QCOMPARE(write("[A]\r\nx=1\r\n; note\r\n\r\n[B]\r\ny=2\r\n[A]\r\nz=3\r\n", "a", "n", "4"),
                 QByteArray("[A]\r\nx=1\r\nn=4\r\n; note\r\n\r\n[B]\r\ny=2\r\n[A]\r\nz=3\r\n"));
        // A section without keys gets the key right after its header.
        QCOMPARE(write("[A]\r\n; c\r\n[B]\r\n", "A", "k", "v"), QByteArray("[A]\r\nk=v\r\n; c\r\n[B]\r\n"));
        // The header is the last line and lacks its line end.
        QCOMPARE(write("x=1\n[A]", "A", "k", "v"), QByteArray("x=1\n[A]\nk=v\n"));
        QCOMPARE(write("[A]\r\nk=v", "A", "n", "w"), QByteArray("[A]\r\nk=v\r\nn=w\r\n"));
        // A header with a leading blank is no header: the keys stay where they are.
        QCOMPARE(write("[A]\r\n [B]\r\nz=1\r\n", "A", "n", "2"), QByteArray("[A]\r\n [B]\r\nz=1\r\nn=2\r\n"));
        // A line ended by a lone CR right before the LF of an empty line would
        // make one CR LF of the two and swallow the empty line.
        QCOMPARE(write("[A]\rk=1\n\nj\r", "A", "n", "2"), QByteArray("[A]\rk=1\nn=2\r\n\nj\r"));
    }

    void sectionWithoutNameIsTheTopOfTheFile()
    {
        QCOMPARE(write("[A]\r\nk=v\r\n", "", "t", "1"), QByteArray("t=1\r\n[A]\r\nk=v\r\n"));
        QCOMPARE(write("a=1\r\n;c\r\n[A]\r\n", "", "b", "2"), QByteArray("a=1\r\nb=2\r\n;c\r\n[A]\r\n"));
        QCOMPARE(write("\xEF\xBB\xBF[A]\r\n", "", "b", "2"), QByteArray("\xEF\xBB\xBF"
                                                                        "b=2\r\n[A]\r\n"));
        // Keys after an empty header belong to section "" too.
        QCOMPARE(write("[A]\r\n[]\r\nq=1\r\n", "", "q", "9"), QByteArray("[A]\r\n[]\r\nq=9\r\n"));
    }

    void newSectionGoesAtTheEnd()
    {
        QCOMPARE(write("", "A", "k", "v"), QByteArray("[A]\r\nk=v\r\n"));
        QCOMPARE(write("[B]\nx=1", "A", "k", "v"), QByteArray("[B]\nx=1\n[A]\nk=v\n"));
        QCOMPARE(write("[B]\rx=1\r", "A", "k", "v"), QByteArray("[B]\rx=1\r[A]\rk=v\r"));
        // "[a=b]" is a header, not a key line.
        QCOMPARE(write("[a=b]\r\n", "a=b", "k", "v"), QByteArray("[a=b]\r\nk=v\r\n"));
    }

    void keepsTheFilesEncoding()
    {
        QCOMPARE(write("[A]\r\nk=caf\xE9\r\n", "A", "k", "\xC3\xA9t\xC3\xA9"), QByteArray("[A]\r\nk=\xE9t\xE9\r\n"));
        QCOMPARE(write("[\xC3\x89T\xC3\x89]\r\nk=1\r\n", "\xC3\xA9t\xC3\xA9", "K", "2"),
                 QByteArray("[\xC3\x89T\xC3\x89]\r\nk=2\r\n"));
        // A Windows-1252 file takes the euro sign as its byte, and refuses what it has no byte for.
        QCOMPARE(write("[A]\r\nk=\xE9\r\n", "A", "k", "\xE2\x82\xAC"), QByteArray("[A]\r\nk=\x80\r\n"));
        QVERIFY_THROWS_EXCEPTION(AppError, write("[A]\r\nk=\xE9\r\n", "A", "k", "\xC4\x81"));
    }

    void refusesTextsThatWouldNotReadBack()
    {
        QVERIFY_THROWS_EXCEPTION(AppError,
                                 checkProfileWrite(QStringLiteral("A\r\n[B]"), QStringLiteral("k"), QString()));
        QVERIFY_THROWS_EXCEPTION(AppError, checkProfileWrite(QStringLiteral("A"), QStringLiteral("k\n"), QString()));
        QVERIFY_THROWS_EXCEPTION(
            AppError, checkProfileWrite(QStringLiteral("A"), QStringLiteral("k"), QStringLiteral("1\r\n[B]")));
        QVERIFY_THROWS_EXCEPTION(AppError,
                                 checkProfileWrite(QStringLiteral("A"), QStringLiteral("[k"), QStringLiteral("]")));
        checkProfileWrite(QStringLiteral("[A]"), QStringLiteral("k]"), QStringLiteral("[v]"));
    }

    void writeOnDiskLeavesReadOnlyFilesAlone()
    {
        TestFolder dir;
        const QString file = dir.write(QStringLiteral("a.ini"), "[A]\r\nk=1\r\n");
        QVERIFY(writeProfileValue(QStringLiteral("A"), QStringLiteral("k"), QStringLiteral("2"), file));
        QCOMPARE(TestFolder::read(file), QByteArray("[A]\r\nk=2\r\n"));
        TestFolder::makeReadOnly(file);
        QVERIFY(!writeProfileValue(QStringLiteral("A"), QStringLiteral("k"), QStringLiteral("3"), file));
        QCOMPARE(TestFolder::read(file), QByteArray("[A]\r\nk=2\r\n"));
        const QString fresh = dir.path(QStringLiteral("new.ini"));
        QVERIFY(writeProfileValue(QStringLiteral("S"), QStringLiteral("k"), QStringLiteral("v"), fresh));
        QCOMPARE(TestFolder::read(fresh), QByteArray("[S]\r\nk=v\r\n"));
    }

    // The one-pass builder must leave exactly what the writes one by one
    // leave, whole or in pieces.
    void builderMatchesWritesOneByOne()
    {
        const QStringList sections = {QString(),
                                      QStringLiteral("A"),
                                      QStringLiteral("a"),
                                      QStringLiteral("B"),
                                      QStringLiteral("[x]"),
                                      QString::fromUtf8("\xC3\xA9"),
                                      QString::fromUtf8("\xC3\x89"),
                                      QStringLiteral(" A")};
        const QStringList keys = {QStringLiteral("k"),   QStringLiteral("K"), QStringLiteral("k2"),
                                  QStringLiteral("a=b"), QStringLiteral("a"), QStringLiteral(";c"),
                                  QStringLiteral("k "),  QStringLiteral("[q")};
        const QStringList values = {QString(), QStringLiteral("1"), QStringLiteral("x=y"), QStringLiteral(" s ")};
        for (const QByteArray &eol : {QByteArray("\r\n"), QByteArray("\n")}) {
            for (int round = 0; round < 200; ++round) {
                QRandomGenerator random{quint32(round)};
                TextFormat format;
                format.eol = eol;
                format.bom = round % 7 == 0;
                ProfileBuilder builder(format);
                QByteArray oneByOne = format.bomBytes();
                const int writes = random.bounded(1, 25);
                for (int i = 0; i < writes; ++i) {
                    const QString s = sections[random.bounded(int(sections.size()))];
                    const QString k = keys[random.bounded(int(keys.size()))];
                    const QString v = values[random.bounded(int(values.size()))];
                    builder.write(s, k, v);
                    oneByOne = applyProfileWrite(oneByOne, format, s, k, v);
                }
                QCOMPARE(builder.bytes(), oneByOne);
                QCOMPARE(builder.size(), oneByOne.size());
                // The same bytes a piece at a time, through a buffer smaller
                // than many of the pieces.
                QByteArray streamed;
                OutputBuffer out([&streamed](QByteArrayView piece) { streamed.append(piece); }, random.bounded(1, 12));
                builder.writeTo(out);
                QCOMPARE(streamed, oneByOne);
                const qsizetype count = random.bounded(0, 6);
                QCOMPARE(builder.opening(count), oneByOne.first(std::min(count, oneByOne.size())));
            }
        }
    }
};

QTEST_APPLESS_MAIN(TestProfileWriter)
#include "test_profile_writer.moc"
