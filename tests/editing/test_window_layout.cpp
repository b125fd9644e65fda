#include "window_layout.h"

#include <QtTest>

// The layout arithmetic in twips: proportional resize, its rounding and
// overflow, and the clamps of a bar drag.
class TestWindowLayout : public QObject {
    Q_OBJECT

    static void checkInvariants(const WindowLayout &l, double width, double height)
    {
        QCOMPARE(l.tree.left, 0.0);
        QCOMPARE(l.tree.top, 0.0);
        QCOMPARE(l.pane.top, 0.0);
        QCOMPARE(l.tree.width, l.bar.left);
        QCOMPARE(l.pane.left, l.tree.width + l.bar.width);
        QCOMPARE(l.tree.width + l.bar.width + l.pane.width, width);
        QCOMPARE(l.tree.height, height);
        QCOMPARE(l.pane.height, height);
        QCOMPARE(l.bar.height, height);
        QCOMPARE(l.bar.top, 15.0);
        QCOMPARE(l.bar.width, 45.0);
    }

private Q_SLOTS:
    void firstResizeScalesTheDesignProportion()
    {
        WindowLayout l = WindowLayout::design();
        l.resize(6690, 5685);
        // 2325 / 4380 * 6690 = 3551.37
        QCOMPARE(l.bar.left, 3551.0);
        QCOMPARE(l.columnWidth, 6690.0 - 3551 - 45 - 100);
        checkInvariants(l, 6690, 5685);
    }

    void doublingTheWidthDoublesTheBar()
    {
        WindowLayout l = WindowLayout::design();
        l.resize(6690, 5685);
        l.resize(13380, 5685);
        QCOMPARE(l.bar.left, 7102.0);
        checkInvariants(l, 13380, 5685);
        // And back again.
        l.resize(6690, 3000);
        QCOMPARE(l.bar.left, 3551.0);
        checkInvariants(l, 6690, 3000);
    }

    void halvesRoundToEven()
    {
        short r = 0;
        QVERIFY(roundToInt16(2.5, r));
        QCOMPARE(r, short(2));
        QVERIFY(roundToInt16(3.5, r));
        QCOMPARE(r, short(4));
        QVERIFY(roundToInt16(-0.5, r));
        QCOMPARE(r, short(0));
        QVERIFY(roundToInt16(32767.4, r));
        QCOMPARE(r, short(32767));
        QVERIFY(!roundToInt16(32767.5, r));
        QVERIFY(!roundToInt16(-32769, r));
        QVERIFY(!roundToInt16(std::numeric_limits<double>::quiet_NaN(), r));

        WindowLayout l = WindowLayout::design();
        l.tree.width = 0;
        l.bar.left = 1;
        l.bar.width = 1;
        l.pane.width = 1;
        l.resize(5, 10); // 1 / 2 * 5 = 2.5
        QCOMPARE(l.bar.left, 2.0);
    }

    void anOverflowingBarStaysWhereItWas()
    {
        WindowLayout l = WindowLayout::design();
        l.resize(6690, 5685);
        l.resize(70000, 5685); // 3551 / 6690 * 70000 > 32767
        QCOMPARE(l.bar.left, 3551.0);
        QCOMPARE(l.pane.width, 70000.0 - 3551 - 45);
    }

    void negativeLengthsAreRefused()
    {
        WindowLayout l = WindowLayout::design();
        l.resize(6690, 5685);
        const double paneBefore = l.pane.width;
        const double columnBefore = l.columnWidth;
        // An empty client area: the bar scales to 0, the pane keeps its width.
        l.resize(0, 0);
        QCOMPARE(l.bar.left, 0.0);
        QCOMPARE(l.pane.width, paneBefore);
        QCOMPARE(l.columnWidth, columnBefore);
        QCOMPARE(l.tree.height, 0.0);
    }

    void dragClampsAtBothEdges()
    {
        WindowLayout l = WindowLayout::design();
        l.resize(6690, 5685);
        const double column = l.columnWidth;

        // The bar's left edge lands 15 twips left of the pointer.
        l.drag(600, 6690);
        QCOMPARE(l.bar.left, 3551.0 + 600 - 45 + 30);
        QCOMPARE(l.tree.width, l.bar.left);
        QCOMPARE(l.pane.left, l.bar.left + 45);
        QCOMPARE(l.pane.width, 6690 - l.bar.left - 45);

        l.drag(-10000, 6690);
        QCOMPARE(l.bar.left, 0.0);
        QCOMPARE(l.tree.width, 0.0);

        l.drag(100000, 6690);
        QCOMPARE(l.bar.left, 6690.0 - 45);
        QCOMPARE(l.pane.width, 0.0);
        QCOMPARE(l.pane.left, 6690.0);

        // A drag leaves heights and the column for the next resize.
        QCOMPARE(l.columnWidth, column);
        QCOMPARE(l.tree.height, 5685.0);

        // A client area narrower than the bar gives no pane a negative width.
        l.drag(0, 30);
        QCOMPARE(l.bar.left, 0.0);
        QCOMPARE(l.pane.width, 0.0);
    }
};

QTEST_GUILESS_MAIN(TestWindowLayout)
#include "test_window_layout.moc"
