#include "app_error.h"
#include "name_match.h"
#include "reference_encodings.h"
#include "text_format.h"

#include <QRandomGenerator>
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
        QCOMPARE(f.fileEncoding, FileEncoding::Utf8);
        QCOMPARE(f.encoding(), TextEncoding::Utf8);
        QCOMPARE(f.eol, QByteArray("\n"));
        QVERIFY(!f.bom);

        f = detectTextFormat("\xEF\xBB\xBF[A]\rx=1");
        QVERIFY(f.bom);
        QCOMPARE(f.eol, QByteArray("\r"));

        f = detectTextFormat("a=caf\xE9\r\n");
        QCOMPARE(f.fileEncoding, FileEncoding::Windows1252);
        QCOMPARE(decodeText("caf\xE9", f.encoding()), QString::fromUtf8("caf\xC3\xA9"));

        QCOMPARE(detectTextFormat("").eol, QByteArray("\r\n"));
        QCOMPARE(detectTextFormat("no line end").eol, QByteArray("\r\n"));
    }

    void windows1252BytesRoundTrip()
    {
        QByteArray all;
        for (int b = 1; b < 256; ++b)
            if (b != '\r' && b != '\n')
                all.append(char(b));
        QCOMPARE(encodeText(decodeText(all, TextEncoding::Windows1252), TextEncoding::Windows1252), all);
    }

    // Each byte reads as the system's CP1252 converter says, the bytes it
    // leaves unassigned as their C1 controls; each of those 256 characters
    // writes back as its byte, and every other character is refused.
    void windows1252AgreesWithTheSystemConverter()
    {
        QSet<char16_t> image;
        int unassigned = 0;
        for (int b = 0; b < 256; ++b) {
            const auto byte = static_cast<unsigned char>(b);
            const QChar expected = referenceWindows1252Char(byte);
            if (!referenceWindows1252Assigned(byte)) {
                ++unassigned;
                QVERIFY(b >= 0x80 && b < 0xA0);
            }
            const QByteArray one(1, char(b));
            QCOMPARE(decodeText(one, TextEncoding::Windows1252), QString(expected));
            QCOMPARE(encodeText(QString(expected), TextEncoding::Windows1252), one);
            image.insert(expected.unicode());
        }
        QCOMPARE(unassigned, 5);
        QCOMPARE(image.size(), 256);
        for (char16_t c = 0; c < 0x3000; ++c) {
            if (image.contains(c) || QChar::isSurrogate(c))
                continue;
            try {
                encodeText(QStringLiteral("a") + QChar(c), TextEncoding::Windows1252);
                QFAIL(qPrintable(QStringLiteral("U+%1 has no Windows-1252 byte").arg(int(c), 4, 16)));
            } catch (const AppError &e) {
                QCOMPARE(e.kind(), ErrorKind::InvalidArgument);
                QVERIFY(e.description().contains(QStringLiteral("(Windows-1252)")));
                QVERIFY(e.description().endsWith(QStringLiteral("nothing was written")));
            }
        }
        // A character beyond the BMP is refused, and named whole.
        const QString clef = QString::fromUtf8("\xF0\x9D\x84\x9E");
        QVERIFY_THROWS_EXCEPTION(AppError, encodeText(clef, TextEncoding::Windows1252));
        // Longer texts: byte by byte, whatever their neighbours.
        for (int round = 0; round < 100; ++round) {
            QRandomGenerator random{quint32(round)};
            QByteArray bytes;
            QString expected;
            for (int i = random.bounded(0, 40); i > 0; --i) {
                const auto b = static_cast<unsigned char>(random.bounded(256));
                bytes.append(char(b));
                expected.append(referenceWindows1252Char(b));
            }
            QCOMPARE(decodeText(bytes, TextEncoding::Windows1252), expected);
            QCOMPARE(encodeText(expected, TextEncoding::Windows1252), bytes);
        }
    }

    // A UTF-16 file is worked on as UTF-8 (its mark included) and written
    // back as the very same bytes.
    void utf16FilesRoundTripThroughUtf8()
    {
        const QList<char16_t> units = {u'a',   u'Z',   u'=',   u'[',   u']',   u' ',   u'\r',  u'\n',  0x00E9, 0x0101,
                                       0x20AC, 0x4E2D, 0x0D0A, 0x0A0D, 0x3D5B, 0x5D0D, 0x0A00, 0xFEFF, 0x0000};
        const QString beyondBmp = QString::fromUtf8("\xF0\x9F\x98\x80");
        for (const bool bigEndian : {false, true}) {
            for (int round = 0; round < 200; ++round) {
                QRandomGenerator random{quint32(round) * 2 + quint32(bigEndian)};
                QString text;
                for (int i = random.bounded(0, 30); i > 0; --i) {
                    if (random.bounded(8) == 0)
                        text += beyondBmp;
                    else
                        text += QChar(units[random.bounded(int(units.size()))]);
                }
                // FF FE 00 00 is UTF-32's mark: such a UTF-16 file is read as UTF-32.
                if (!bigEndian && text.startsWith(QChar(0)))
                    text.prepend(u'a');
                const QByteArray file =
                    *referenceFileBytes(text, bigEndian ? ReferenceEncoding::Utf16BE : ReferenceEncoding::Utf16LE);
                const FileText decoded = decodeFile(file);
                QCOMPARE(decoded.format.fileEncoding, bigEndian ? FileEncoding::Utf16BE : FileEncoding::Utf16LE);
                QCOMPARE(decoded.format.encoding(), TextEncoding::Utf8);
                QVERIFY(decoded.format.bom);
                QVERIFY(decoded.format.exact);
                QCOMPARE(decoded.bytes, QByteArray("\xEF\xBB\xBF") + text.toUtf8());
                // The first line end, as the text spells it.
                const qsizetype cr = text.indexOf(u'\r');
                const qsizetype lf = text.indexOf(u'\n');
                QByteArray eol = "\r\n";
                if (cr >= 0 && (lf < 0 || cr < lf))
                    eol = lf == cr + 1 ? "\r\n" : "\r";
                else if (lf >= 0)
                    eol = "\n";
                QCOMPARE(decoded.format.eol, eol);
                QCOMPARE(encodeFile(decoded.bytes, decoded.format, QStringLiteral("f.ini")), file);

                // What cannot come back unchanged is refused, never written differently.
                QByteArray broken = file;
                if (round % 2 == 0) {
                    broken.append('x');
                } else {
                    const qsizetype at = 2 + 2 * random.bounded(int(file.size() / 2));
                    const QByteArray lone =
                        referenceUtf16Units(QString(QChar(round % 4 == 1 ? 0xD83D : 0xDE00)), bigEndian);
                    broken.insert(at, lone);
                }
                const FileText refused = decodeFile(broken);
                QVERIFY(!refused.format.exact);
                QVERIFY_THROWS_EXCEPTION(AppError, encodeFile(refused.bytes, refused.format, QStringLiteral("f.ini")));
                QVERIFY_THROWS_EXCEPTION(AppError, requireExactFile(refused.format, QStringLiteral("f.ini")));
            }
        }
    }

    void refusesWhatTheEncodingCannotHold()
    {
        QVERIFY_THROWS_EXCEPTION(AppError, encodeText(QString::fromUtf8("\xC4\x81"), TextEncoding::Windows1252));
        QCOMPARE(encodeText(QString::fromUtf8("\xE2\x82\xAC"), TextEncoding::Windows1252), QByteArray("\x80"));
        QCOMPARE(encodeText(QString::fromUtf8("\xE2\x82\xAC"), TextEncoding::Utf8), QByteArray("\xE2\x82\xAC"));
        const QString loneSurrogate(QChar(0xD800));
        QVERIFY_THROWS_EXCEPTION(AppError, encodeText(loneSurrogate, TextEncoding::Utf8));
        QVERIFY_THROWS_EXCEPTION(AppError, requireSingleLine(QStringLiteral("a\nb"), QStringLiteral("value")));
        QVERIFY_THROWS_EXCEPTION(AppError, requireSingleLine(QStringLiteral("a\rb"), QStringLiteral("value")));
    }

    // The encoding is read from the bytes: a write that would have the next
    // reader take the file for another encoding would change its text.
    void refusesWritesThatWouldReadInAnotherEncoding()
    {
        const auto encode = [](const QByteArray &before, const QByteArray &after) {
            return encodeFile(after, detectTextFormat(before), QStringLiteral("f.ini"));
        };
        // The only byte invalid in UTF-8 goes: "\xC3\xA9" would read as one "\u00E9".
        QVERIFY_THROWS_EXCEPTION(AppError, encode("x=\xC3\xA9\r\nk=\xE9\r\n", "x=\xC3\xA9\r\nk=e\r\n"));
        // Text left all ASCII reads the same either way.
        QCOMPARE(encode("k=\xE9\r\n", "k=e\r\n"), QByteArray("k=e\r\n"));
        QCOMPARE(encode("k=\xE9\r\n", "k=\xE9\r\nn=\xC3\xA9\r\n"), QByteArray("k=\xE9\r\nn=\xC3\xA9\r\n"));
        // "\u00FF\u00FE" opening a Windows-1252 file is a UTF-16 mark to the next reader.
        QVERIFY_THROWS_EXCEPTION(AppError, encode("k=\xE9\r\n", "\xFF\xFE=1\r\nk=\xE9\r\n"));
        // U+FEFF opening a UTF-8 file without a mark would be taken for one.
        QVERIFY_THROWS_EXCEPTION(AppError, encode("k=1\r\n", "\xEF\xBB\xBFn=1\r\nk=1\r\n"));
        QCOMPARE(encode("\xEF\xBB\xBFk=1\r\n", "\xEF\xBB\xBF\xEF\xBB\xBFn=1\r\n"),
                 QByteArray("\xEF\xBB\xBF\xEF\xBB\xBFn=1\r\n"));
        // NULs in every other byte would be read as UTF-16 without a mark,
        // and "\u00FF\u00FE" then NULs as a UTF-32 mark.
        const QByteArray nulPairs("\0=\0\r\n", 5);
        QVERIFY(detectTextFormat(nulPairs).utf16());
        QVERIFY_THROWS_EXCEPTION(AppError, encode("k=1\r\n", nulPairs));
        QVERIFY_THROWS_EXCEPTION(AppError, encode("k=\xE9\r\n", QByteArray("\xFF\xFE\0\0=\r\nk=\xE9\r\n", 11)));
        QCOMPARE(encode("k=1\r\n", QByteArray("k=\0\r\n", 5)), QByteArray("k=\0\r\n", 5));
        // A U+0000 opening a little-endian UTF-16 file would follow its mark as UTF-32's.
        const QByteArray utf16("\xFF\xFEk\0=\0\x31\0", 8);
        QVERIFY_THROWS_EXCEPTION(AppError, encode(utf16, QByteArray("\xEF\xBB\xBF\0=1", 6)));
        QCOMPARE(encode(utf16, "\xEF\xBB\xBFk=1"), utf16);
        // Inside a file U+FEFF is a name's or value's own first character.
        QCOMPARE(decodeText("\xEF\xBB\xBF\xEF\xBB\xBFk", TextEncoding::Utf8), QString(2, QChar(0xFEFF)) + u'k');
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
        QVERIFY(accented.matchesBytes("\xC9t\xE9", TextEncoding::Windows1252));
        QVERIFY(!accented.matches(u"ETE"));
        // Upper-casing can change the length: the ASCII shortcut must agree.
        const UpperMatcher sharpS(QString::fromUtf8("stra\xC3\x9F"
                                                    "e"));
        QCOMPARE(sharpS.matches(u"STRASSE"), QString::fromUtf8("stra\xC3\x9F"
                                                               "e")
                                                     .toUpper()
                                                 == QStringLiteral("STRASSE"));
        QVERIFY(UpperMatcher(QString()).matchesBytes("", TextEncoding::Utf8));
        // A name matches itself, whatever it holds: a lone surrogate after
        // a "\u00DF" once made the two sides upper-case differently.
        const QString odd = QChar(0xDF) + QString(QChar(0xD800));
        QVERIFY(UpperMatcher(odd).matches(odd));
    }
};

QTEST_APPLESS_MAIN(TestTextFormat)
#include "test_text_format.moc"
