#include "app_error.h"
#include "line_removal.h"

#include <QStringEncoder>
#include <QtTest>

// Lines taken out of a file's own bytes, every other byte kept: the line
// ends the reader knows, byte-order marks, UTF-16, and the one case where
// taking a line out would join the two around it.
class TestLineRemoval : public QObject {
    Q_OBJECT

    static QByteArray removeKey(const QByteArray &bytes, const QString &section, const QString &key)
    {
        const FileText text = decodeFile(bytes);
        const std::optional<qsizetype> line = recordLine(text, section, key);
        if (!line)
            return "(none)";
        return bytesWithoutLines(text, {{*line, 1}}, QStringLiteral("t.ini"));
    }
    static QByteArray removeSection(const QByteArray &bytes, const QString &section)
    {
        const FileText text = decodeFile(bytes);
        return bytesWithoutLines(text, sectionBlocks(text, section), QStringLiteral("t.ini"));
    }

private Q_SLOTS:
    void aKeyLineGoesAndNothingElse_data()
    {
        QTest::addColumn<QByteArray>("file");
        QTest::addColumn<QString>("section");
        QTest::addColumn<QString>("key");
        QTest::addColumn<QByteArray>("expected");
        QTest::newRow("the first match, letter case ignored")
            << QByteArray("; c\r\n[A]\r\nk=1\r\n[a]\r\nK=2\r\n") << "a"
            << "K" << QByteArray("; c\r\n[A]\r\n[a]\r\nK=2\r\n");
        QTest::newRow("names are not trimmed") << QByteArray("[A]\nk =1\nk=2\n") << "A"
                                               << "k" << QByteArray("[A]\nk =1\n");
        QTest::newRow("a last line without its end") << QByteArray("[A]\rk=1\rj=2") << "A"
                                                     << "j" << QByteArray("[A]\rk=1\r");
        QTest::newRow("a key before the first header") << QByteArray("k=0\n[A]\nk=1\n") << ""
                                                       << "k" << QByteArray("[A]\nk=1\n");
        QTest::newRow("a header, for key \"\"") << QByteArray("[A]\nk=1\n") << "A"
                                                << "" << QByteArray("k=1\n");
        QTest::newRow("a byte-order mark stays") << QByteArray("\xef\xbb\xbfk=1\n[A]\n") << ""
                                                 << "k" << QByteArray("\xef\xbb\xbf[A]\n");
        // "[A]" ends in a lone CR, the empty line after "k=1" in LF: side by
        // side they would read as one CR LF, and the empty line would go.
        QTest::newRow("a lone CR before an LF") << QByteArray("[A]\rk=1\n\nj=2\n") << "A"
                                                << "k" << QByteArray("[A]\n\nj=2\n");
        QTest::newRow("nothing there") << QByteArray("[A]\nk=1\n") << "B"
                                       << "k" << QByteArray("(none)");
    }
    void aKeyLineGoesAndNothingElse()
    {
        QFETCH(QByteArray, file);
        QFETCH(QString, section);
        QFETCH(QString, key);
        QFETCH(QByteArray, expected);
        QCOMPARE(removeKey(file, section, key), expected);
    }

    void everyBlockOfASectionGoes()
    {
        QCOMPARE(removeSection("; top\n[A]\nk=1\n; about B\n[B]\nj=2\n\n[a]\nm=3", "A"),
                 QByteArray("; top\n[B]\nj=2\n\n"));
        // Blocks side by side are one stretch.
        QCOMPARE(removeSection("[A]\r\n[a]\r\nk=1\r\n[B]\r\n", "a"), QByteArray("[B]\r\n"));
        QCOMPARE(removeSection("[A]\n", "B"), QByteArray("[A]\n"));
    }

    void aUtf16FileStaysUtf16()
    {
        auto utf16 = [](const QString &text) {
            QStringEncoder encoder(QStringEncoder::Utf16LE);
            return QByteArray("\xff\xfe") + QByteArray(encoder(text));
        };
        const QByteArray file = utf16(QStringLiteral("[A]\r\nk=\u00e9\u20ac\r\nj=1\r\n"));
        QCOMPARE(removeKey(file, QStringLiteral("A"), QStringLiteral("k")), utf16(QStringLiteral("[A]\r\nj=1\r\n")));
        // An odd byte count cannot be written back exactly: refused.
        QVERIFY_THROWS_EXCEPTION(AppError, removeKey(file + 'x', QStringLiteral("A"), QStringLiteral("k")));
    }
};

QTEST_GUILESS_MAIN(TestLineRemoval)
#include "test_line_removal.moc"
