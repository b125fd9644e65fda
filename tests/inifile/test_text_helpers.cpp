#include "text_helpers.h"

#include <QtTest>

class TestTextHelpers : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void stripNullsRemovesEveryNul()
    {
        QCOMPARE(stripNulls(QStringLiteral("a") + QChar(0) + QStringLiteral("b") + QChar(0)), QStringLiteral("ab"));
        const QString onlyNulls(3, QChar(0));
        QCOMPARE(stripNulls(onlyNulls), onlyNulls);
        QCOMPARE(stripNulls(QString()), QString());
        // No 16-bit limit on the length.
        const QString longText(70000, QLatin1Char('x'));
        QCOMPARE(stripNulls(longText + QChar(0)), longText);
    }

    void lastIndexOfCountsFromOne()
    {
        QCOMPARE(lastIndexOf(QStringLiteral("C:\\a\\b\\c.ini"), QStringLiteral("\\")), 7);
        QCOMPARE(lastIndexOf(QStringLiteral("c.ini"), QStringLiteral("\\")), 0);
        QCOMPARE(lastIndexOf(QStringLiteral("aXbxc"), QStringLiteral("x")), 4);
        QCOMPARE(lastIndexOf(QStringLiteral("abc"), QString()), 0);
    }

    void trimRemovesSpacesOnly()
    {
        QCOMPARE(trimBlanks(QStringLiteral("  a b  ")), QStringLiteral("a b"));
        QCOMPARE(trimBlanks(QStringLiteral("\ta\t")), QStringLiteral("\ta\t"));
        QCOMPARE(trimBlanks(QStringLiteral("   ")), QString());
    }
};

QTEST_APPLESS_MAIN(TestTextHelpers)
#include "test_text_helpers.moc"
