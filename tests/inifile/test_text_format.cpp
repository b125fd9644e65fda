#include "app_error.h"
#include "name_match.h"
#include "text_format.h"

#include <QtTest>

class TestTextFormat : public QObject {
    Q_OBJECT

    static QList<QByteArray> lines(const QByteArray &bytes)
    {
        QList<QByteArray> out;
        LineCursor cursor(bytes, 0);
        LineSpan line;
        while (cursor.next(line))
            out.append(bytes.mid(line.start, line.length) + "|" + QByteArray::number(line.eolLength));
        return out;
    }

private Q_SLOTS:
    void everyLineEndEndsALine()
    {
        QCOMPARE(lines("a\r\nb\rc\nd"), (QList<QByteArray>{"a|2", "b|1", "c|1", "d|0"}));
        // LF CR is two line ends, not one.
        QCOMPARE(lines("a\n\rb"), (QList<QByteArray>{"a|1", "|1", "b|0"}));
        QCOMPARE(lines("a\r\n"), (QList<QByteArray>{"a|2"}));
        QCOMPARE(lines(""), QList<QByteArray>{});
        QCOMPARE(lines("\r\n\r\n"), (QList<QByteArray>{"|2", "|2"}));
    }

    void fileOfLoneCarriageReturns()
    {
        QByteArray bytes;
        for (int i = 0; i < 2000; ++i)
            bytes += "k" + QByteArray::number(i) + "=v\r";
        const QList<QByteArray> found = lines(bytes);
        QCOMPARE(found.size(), 2000);
        QCOMPARE(found.last(), QByteArray("k1999=v|1"));
    }

    void detectsEncodingMarkAndLineEnd()
    {
        TextFormat f = detectTextFormat("a=\xC3\xA9\nb=1\r\n");
        QCOMPARE(f.encoding, TextEncoding::Utf8);
        QCOMPARE(f.eol, QByteArray("\n"));
        QVERIFY(!f.bom);

        f = detectTextFormat("\xEF\xBB\xBF[A]\rx=1");
        QVERIFY(f.bom);
        QCOMPARE(f.eol, QByteArray("\r"));

        f = detectTextFormat("a=caf\xE9\r\n");
        QCOMPARE(f.encoding, TextEncoding::Latin1);
        QCOMPARE(decodeText("caf\xE9", f.encoding), QString::fromUtf8("caf\xC3\xA9"));

        QCOMPARE(detectTextFormat("").eol, QByteArray("\r\n"));
        QCOMPARE(detectTextFormat("no line end").eol, QByteArray("\r\n"));
    }

    void latin1BytesRoundTrip()
    {
        QByteArray all;
        for (int b = 1; b < 256; ++b)
            if (b != '\r' && b != '\n')
                all.append(char(b));
        QCOMPARE(encodeText(decodeText(all, TextEncoding::Latin1), TextEncoding::Latin1), all);
    }

    void refusesWhatTheEncodingCannotHold()
    {
        QVERIFY_THROWS_EXCEPTION(AppError, encodeText(QString::fromUtf8("\xE2\x82\xAC"), TextEncoding::Latin1));
        QCOMPARE(encodeText(QString::fromUtf8("\xE2\x82\xAC"), TextEncoding::Utf8), QByteArray("\xE2\x82\xAC"));
        const QString loneSurrogate(QChar(0xD800));
        QVERIFY_THROWS_EXCEPTION(AppError, encodeText(loneSurrogate, TextEncoding::Utf8));
        QVERIFY_THROWS_EXCEPTION(AppError, requireSingleLine(QStringLiteral("a\nb"), QStringLiteral("value")));
        QVERIFY_THROWS_EXCEPTION(AppError, requireSingleLine(QStringLiteral("a\rb"), QStringLiteral("value")));
    }

    void namesCompareByUpperCase()
    {
        const UpperMatcher net(QStringLiteral("Net"));
        QVERIFY(net.matches(u"NET"));
        QVERIFY(net.matchesBytes("nEt", TextEncoding::Utf8));
        QVERIFY(!net.matches(u"Net "));
        QVERIFY(!net.matches(u"Ne"));
        // Not trimmed, not folded beyond upper-casing.
        QVERIFY(!UpperMatcher(QStringLiteral(" a")).matches(u"a"));
        const UpperMatcher accented(QString::fromUtf8("\xC3\xA9t\xC3\xA9"));
        QVERIFY(accented.matches(QString::fromUtf8("\xC3\x89T\xC3\x89")));
        QVERIFY(accented.matchesBytes("\xC9t\xE9", TextEncoding::Latin1));
        QVERIFY(!accented.matches(u"ETE"));
        // Upper-casing can change the length: the ASCII shortcut must agree.
        const UpperMatcher sharpS(QString::fromUtf8("stra\xC3\x9F"
                                                    "e"));
        QCOMPARE(sharpS.matches(u"STRASSE"), QString::fromUtf8("stra\xC3\x9F"
                                                               "e")
                                                     .toUpper()
                                                 == QStringLiteral("STRASSE"));
        QVERIFY(UpperMatcher(QString()).matchesBytes("", TextEncoding::Utf8));
    }
};

QTEST_APPLESS_MAIN(TestTextFormat)
#include "test_text_format.moc"
