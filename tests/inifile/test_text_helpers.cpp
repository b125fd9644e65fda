#include "text_helpers.h"

#include <QtTest>

class TestTextHelpers : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void addBackslash()
    {
        QCOMPARE(AddBackslash(QStringLiteral("  C:\\data\\  ")), QStringLiteral("C:\\data\\"));
        QCOMPARE(AddBackslash(QStringLiteral(" C:\\data ")), QStringLiteral("C:\\data\\"));
        QCOMPARE(AddBackslash(QString()), QStringLiteral("\\"));
        QCOMPARE(AddBackslash(QStringLiteral("\tdir")), QStringLiteral("\tdir\\"));
    }

    void stripNulls()
    {
        QCOMPARE(StripNulls(QStringLiteral("a") + QChar(0) + QStringLiteral("b") + QChar(0)), QStringLiteral("ab"));
        const QString onlyNulls(3, QChar(0));
        QCOMPARE(StripNulls(onlyNulls), onlyNulls);
        QCOMPARE(StripNulls(QString()), QString());
        // No 16-bit limit on the length.
        const QString longText(70000, QLatin1Char('x'));
        QCOMPARE(StripNulls(longText + QChar(0)), longText);
    }

    void findLast()
    {
        QCOMPARE(FindLast(QStringLiteral("C:\\a\\b\\c.ini"), QStringLiteral("\\")), 7);
        QCOMPARE(FindLast(QStringLiteral("c.ini"), QStringLiteral("\\")), 0);
        QCOMPARE(FindLast(QStringLiteral("aXbxc"), QStringLiteral("x")), 4);
        QCOMPARE(FindLast(QStringLiteral("abc"), QString()), 0);
    }

    void trimRemovesSpacesOnly()
    {
        QCOMPARE(TrimSpaces(QStringLiteral("  a b  ")), QStringLiteral("a b"));
        QCOMPARE(TrimSpaces(QStringLiteral("\ta\t")), QStringLiteral("\ta\t"));
        QCOMPARE(TrimSpaces(QStringLiteral("   ")), QString());
    }
};

QTEST_APPLESS_MAIN(TestTextHelpers)
#include "test_text_helpers.moc"
