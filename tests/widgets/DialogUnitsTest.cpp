#include "widgets/DialogUnits.h"

#include <QApplication>
#include <QFontMetrics>
#include <QWidget>
#include <QtTest>

class DialogUnitsTest : public QObject {
    Q_OBJECT

private slots:
    void baseUnitsFollowTheFont();
    void unitsScaleWithTheFont();
    void neighboursStayNeighbours();
};

void DialogUnitsTest::baseUnitsFollowTheFont() {
    QFont font = QApplication::font();
    QFontMetrics metrics(font);
    QSize base = DialogBaseUnits(font);
    double average =
        metrics.horizontalAdvance("ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz") / 52.0;
    QVERIFY(qAbs(base.width() - average) <= 1.0);
    QCOMPARE(base.height(), metrics.height());
    // Four horizontal units are one average character, eight vertical units one line.
    QCOMPARE(DialogUnitsToPixels(font, 0, 0, 4, 8), QRect(0, 0, base.width(), base.height()));
}

void DialogUnitsTest::unitsScaleWithTheFont() {
    QFont small = QApplication::font();
    small.setPixelSize(10);
    QFont large = small;
    large.setPixelSize(20);
    QRect a = DialogUnitsToPixels(small, 7, 7, 100, 14);
    QRect b = DialogUnitsToPixels(large, 7, 7, 100, 14);
    QVERIFY(b.width() > a.width() * 3 / 2);
    QVERIFY(b.height() > a.height() * 3 / 2);
    QWidget widget;
    widget.setFont(large);
    QCOMPARE(DialogUnitsToPixels(widget, 7, 7, 100, 14), b);
}

void DialogUnitsTest::neighboursStayNeighbours() {
    QFont font = QApplication::font();
    for (int x = 0; x < 40; x += 3) {
        QRect left = DialogUnitsToPixels(font, x, x, 13, 11);
        QRect right = DialogUnitsToPixels(font, x + 13, x + 11, 13, 11);
        QCOMPARE(left.right() + 1, right.left());
        QCOMPARE(left.bottom() + 1, right.top());
    }
}

QTEST_MAIN(DialogUnitsTest)
#include "DialogUnitsTest.moc"
