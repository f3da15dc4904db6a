#include "widgets/HyperlinkLabel.h"
#include "tests/support/FakePrompts.h"

#include <QApplication>
#include <QCursor>
#include <QtTest>

namespace {

const QString address = "http://www.example.org/music";

// Whether the text is really drawn in the colour: full-strength pixels of it appear.
bool DrawnIn(QWidget* widget, const QColor& colour) {
    QImage image = widget->grab().toImage();
    for (int y = 0; y < image.height(); ++y)
        for (int x = 0; x < image.width(); ++x)
            if (image.pixelColor(x, y).rgb() == colour.rgb())
                return true;
    return false;
}

} // namespace

class HyperlinkLabelTest : public QObject {
    Q_OBJECT

private slots:
    void init();
    void cleanup();
    void attachTakesAddressFromText();
    void emptyTextShowsAddress();
    void colours();
    void hoverUnderlinesUntilPointerLeaves();
    void timerNoticesPointerGone();
    void underlineModes_data();
    void underlineModes();
    void successfulClickMarksVisited();
    void focusShowsAFrameAndKeysOpen();
    void failedOpenReportsCode_data();
    void failedOpenReportsCode();
    void fitToTextKeepsAlignmentEdge_data();
    void fitToTextKeepsAlignmentEdge();
    void renderToPng();

private:
    QWidget* dialog = nullptr;
    HyperlinkLabel* label = nullptr;
};

void HyperlinkLabelTest::init() {
    dialog = new QWidget;
    dialog->resize(400, 200);
    label = new HyperlinkLabel(address, QRect(20, 20, 300, 20), dialog);
    dialog->show();
    QVERIFY(QTest::qWaitForWindowExposed(dialog));
}

void HyperlinkLabelTest::cleanup() {
    delete dialog;
    dialog = nullptr;
}

void HyperlinkLabelTest::attachTakesAddressFromText() {
    QCOMPARE(label->Address(), address);
    QCOMPARE(label->toolTip(), address);
    QCOMPARE(label->text(), address);
    QCOMPARE(label->cursor().shape(), Qt::PointingHandCursor);
}

void HyperlinkLabelTest::emptyTextShowsAddress() {
    auto* bare = new HyperlinkLabel(dialog);
    bare->SetAddress("http://other.example.org/");
    bare->Attach();
    QCOMPARE(bare->text(), QString("http://other.example.org/"));
    QCOMPARE(bare->toolTip(), QString("http://other.example.org/"));
}

void HyperlinkLabelTest::colours() {
    QCOMPARE(label->LinkColour(), QColor(0, 0, 238));
    QCOMPARE(label->VisitedColour(), QColor(85, 26, 139));
    QCOMPARE(label->HoverColour(), QColor(255, 0, 0));
    QVERIFY(DrawnIn(label, QColor(0, 0, 238)));
    QVERIFY(!label->font().underline());
    label->SetVisited(true);
    QVERIFY(DrawnIn(label, QColor(85, 26, 139)));
    QVERIFY(!DrawnIn(label, QColor(0, 0, 238)));
}

void HyperlinkLabelTest::hoverUnderlinesUntilPointerLeaves() {
    QTest::mouseMove(label, QPoint(5, 5));
    QTRY_VERIFY(label->Over());
    QVERIFY(label->font().underline());
    QVERIFY(DrawnIn(label, QColor(255, 0, 0)));
    QTest::mouseMove(dialog, QPoint(380, 180));
    QTRY_VERIFY_WITH_TIMEOUT(!label->Over(), 1000);
    QVERIFY(!label->font().underline());
    QCOMPARE(label->palette().color(QPalette::WindowText), QColor(0, 0, 238));
}

void HyperlinkLabelTest::timerNoticesPointerGone() {
    // The pointer rests outside while a move reaches the label, and no leave event follows:
    // only the 100 ms check can notice that the pointer is gone.
    QCursor::setPos(dialog->mapToGlobal(QPoint(380, 180)));
    QTest::qWait(20);
    QMouseEvent move(QEvent::MouseMove, QPointF(5, 5), label->mapToGlobal(QPointF(5, 5)),
                     Qt::NoButton, Qt::NoButton, Qt::NoModifier);
    QElapsedTimer clock;
    clock.start();
    QApplication::sendEvent(label, &move);
    QVERIFY(label->Over());
    QVERIFY(label->font().underline());
    QTRY_VERIFY_WITH_TIMEOUT(!label->Over(), 1000);
    QVERIFY(clock.elapsed() >= 90);
    QVERIFY(!label->font().underline());
}

void HyperlinkLabelTest::underlineModes_data() {
    QTest::addColumn<int>("mode");
    QTest::addColumn<bool>("underlinedAtRest");
    QTest::addColumn<bool>("underlinedOver");
    QTest::newRow("always") << 1 << true << true;
    QTest::newRow("while over") << -1 << false << true;
    QTest::newRow("never") << 0 << false << false;
}

void HyperlinkLabelTest::underlineModes() {
    QFETCH(int, mode);
    QFETCH(bool, underlinedAtRest);
    QFETCH(bool, underlinedOver);
    label->SetUnderlineMode(mode);
    QCOMPARE(label->font().underline(), underlinedAtRest);
    QTest::mouseMove(label, QPoint(5, 5));
    QTRY_VERIFY(label->Over());
    QCOMPARE(label->font().underline(), underlinedOver);
    QTest::mouseMove(dialog, QPoint(380, 180));
    QTRY_VERIFY_WITH_TIMEOUT(!label->Over(), 1000);
    QCOMPARE(label->font().underline(), underlinedAtRest);
}

void HyperlinkLabelTest::successfulClickMarksVisited() {
    QStringList opened;
    label->SetOpener([&opened](const QString& what) {
        opened << what;
        return 42;
    });
    FakePrompts prompts;
    label->SetPrompts(&prompts);
    QTest::mouseClick(label, Qt::LeftButton, Qt::NoModifier, QPoint(5, 5));
    QCOMPARE(opened, QStringList{address});
    QVERIFY(label->Visited());
    QVERIFY(!label->Over());
    QCOMPARE(label->palette().color(QPalette::WindowText), QColor(85, 26, 139));
    QVERIFY(prompts.messages.empty());
    // A later failure does not make the link look unvisited again.
    label->SetOpener([](const QString&) { return 5; });
    QTest::mouseClick(label, Qt::LeftButton, Qt::NoModifier, QPoint(5, 5));
    QVERIFY(label->Visited());
    QCOMPARE(prompts.messages.size(), size_t(1));
}

void HyperlinkLabelTest::focusShowsAFrameAndKeysOpen() {
    QStringList opened;
    label->SetOpener([&opened](const QString& what) {
        opened << what;
        return 42;
    });
    label->setFocusPolicy(Qt::TabFocus);
    dialog->activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(dialog));
    const QImage unfocused = label->grab().toImage();
    label->setFocus(Qt::TabFocusReason);
    QVERIFY(label->hasFocus());
    QVERIFY(label->grab().toImage() != unfocused); // the focus frame is drawn
    for (Qt::Key key : {Qt::Key_Space, Qt::Key_Return, Qt::Key_Enter})
        QTest::keyClick(label, key);
    QCOMPARE(opened, (QStringList{address, address, address}));
}

void HyperlinkLabelTest::failedOpenReportsCode_data() {
    QTest::addColumn<int>("code");
    QTest::addColumn<QString>("message");
    QTest::newRow("31") << 31
                        << "Unable to open hyperlink:\n\nThere is no application associated\n"
                           "with the given filename extension.";
    QTest::newRow("4") << 4 << "Unable to open hyperlink:\n\nUnknown Error (4) occurred.";
    QTest::newRow("32 is still a failure")
        << 32 << "Unable to open hyperlink:\n\nThe specified dynamic-link library was not found.";
}

void HyperlinkLabelTest::failedOpenReportsCode() {
    QFETCH(int, code);
    QFETCH(QString, message);
    label->SetOpener([code](const QString&) { return code; });
    FakePrompts prompts;
    label->SetPrompts(&prompts);
    QTest::mouseClick(label, Qt::LeftButton, Qt::NoModifier, QPoint(5, 5));
    QCOMPARE(prompts.messages.size(), size_t(1));
    QCOMPARE(QString::fromStdString(prompts.messages.front()), message);
    QVERIFY(!label->Visited());
    QCOMPARE(label->palette().color(QPalette::WindowText), QColor(0, 0, 238));
}

void HyperlinkLabelTest::fitToTextKeepsAlignmentEdge_data() {
    QTest::addColumn<int>("alignment");
    QTest::addColumn<QString>("keeps");
    QTest::newRow("left, top") << int(Qt::AlignLeft | Qt::AlignTop) << "left top";
    QTest::newRow("centred") << int(Qt::AlignHCenter | Qt::AlignVCenter) << "centre";
    QTest::newRow("right") << int(Qt::AlignRight | Qt::AlignTop) << "right top";
}

void HyperlinkLabelTest::fitToTextKeepsAlignmentEdge() {
    QFETCH(int, alignment);
    QFETCH(QString, keeps);
    auto* fitted = new HyperlinkLabel(dialog);
    fitted->setText("www.example.org");
    fitted->setAlignment(Qt::Alignment(alignment));
    QRect before(40, 60, 300, 41);
    fitted->setGeometry(before);
    fitted->Attach();
    QFont underlined = fitted->font();
    underlined.setUnderline(true);
    QSize text = QFontMetrics(underlined).size(0, "www.example.org");
    QRect after = fitted->geometry();
    QVERIFY(qAbs(after.width() - text.width()) <= 1); // even halving may lose a pixel
    QVERIFY(qAbs(after.height() - text.height()) <= 1);
    if (keeps.contains("left"))
        QCOMPARE(after.left(), before.left());
    if (keeps.contains("right"))
        QCOMPARE(after.right(), before.right());
    if (keeps.contains("top"))
        QCOMPARE(after.top(), before.top());
    if (keeps == "centre")
        QVERIFY((after.center() - before.center()).manhattanLength() <= 2);
}

void HyperlinkLabelTest::renderToPng() {
    auto* visited =
        new HyperlinkLabel("http://www.example.org/visited", QRect(20, 60, 300, 20), dialog);
    visited->SetVisited(true);
    auto* hovered =
        new HyperlinkLabel("http://www.example.org/hovered", QRect(20, 100, 300, 20), dialog);
    visited->show();
    hovered->show();
    QTest::mouseMove(hovered, QPoint(5, 5));
    QTRY_VERIFY(hovered->Over());
    QVERIFY(dialog->grab().save(QCoreApplication::applicationDirPath() + "/widgets-hyperlink.png"));
}

QTEST_MAIN(HyperlinkLabelTest)
#include "HyperlinkLabelTest.moc"
