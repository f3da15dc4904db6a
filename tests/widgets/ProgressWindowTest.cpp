#include "widgets/ProgressWindow.h"

#include <QApplication>
#include <QKeyEvent>
#include <QLabel>
#include <QPainter>
#include <QProgressBar>
#include <QPushButton>
#include <QScreen>
#include <QSettings>
#include <QTemporaryDir>
#include <QtTest>

#include <stdexcept>

namespace {

// A window whose creation fails, as when there is no screen to show it on.
class UncreatableProgressWindow : public ProgressWindow {
public:
    using ProgressWindow::ProgressWindow;

protected:
    bool CanCreateWindow() const override { return false; }
};

void PostKey(QWidget* target, int key) {
    QCoreApplication::postEvent(target, new QKeyEvent(QEvent::KeyPress, key, Qt::NoModifier));
    QCoreApplication::postEvent(target, new QKeyEvent(QEvent::KeyRelease, key, Qt::NoModifier));
}

void SaveWindowPosition(int x, int y) {
    QSettings settings;
    settings.setValue("Settings/X", x);
    settings.setValue("Settings/Y", y);
}

// The headless platform draws no frame, so the caption is painted above the client area.
QImage WithCaption(QWidget& window) {
    QPixmap client = window.grab();
    QImage image(client.width(), client.height() + 24, QImage::Format_RGB32);
    image.fill(QColor(60, 90, 150));
    QPainter painter(&image);
    painter.setPen(Qt::white);
    painter.drawText(QRect(8, 0, client.width() - 8, 24), Qt::AlignVCenter, window.windowTitle());
    painter.drawPixmap(0, 24, client);
    return image;
}

} // namespace

class ProgressWindowTest : public QObject {
    Q_OBJECT

private slots:
    void initTestCase();
    void init();
    void captionShowsRoundedPercent_data();
    void captionShowsRoundedPercent();
    void samePositionLeavesCaptionAlone();
    void emptyRangeShowsZero();
    void setPositionYieldsPreviousBarPosition();
    void escapeCancelsOnlyThroughAPump_data();
    void escapeCancelsOnlyThroughAPump();
    void cancelButtonCancels();
    void cancelReleaseSeenByPumpCancels();
    void ownerChainDisabledWhileModal();
    void carriesItsOwnersIcon();
    void ownerEnabledAgainWhenWorkEndsEarly();
    void alreadyDisabledChainStaysDisabled();
    void savedPositionRestoredOnlyOnScreen_data();
    void savedPositionRestoredOnlyOnScreen();
    void positionRememberedBetweenRuns();
    void failedCreationMakesSettersInert();
    void textIsFormattedAndCut();
    void layoutPutsButtonBesideBar();
    void renderToPng();

private:
    QTemporaryDir settingsFolder;
    QWidget owner;
};

void ProgressWindowTest::initTestCase() {
    QVERIFY(settingsFolder.isValid());
    QSettings::setPath(QSettings::NativeFormat, QSettings::UserScope, settingsFolder.path());
    QCoreApplication::setOrganizationName("KorvanePalisorTests");
    QCoreApplication::setApplicationName("ProgressWindowTest");
    owner.setGeometry(100, 100, 400, 300);
    owner.show();
    QVERIFY(QTest::qWaitForWindowExposed(&owner));
}

void ProgressWindowTest::init() {
    QSettings().clear();
    owner.setEnabled(true);
}

void ProgressWindowTest::captionShowsRoundedPercent_data() {
    QTest::addColumn<QString>("title");
    QTest::addColumn<int>("lower");
    QTest::addColumn<int>("upper");
    QTest::addColumn<int>("position");
    QTest::addColumn<QString>("caption");
    const QString building = "Building";
    QTest::newRow("half") << building << 0 << 36 << 18 << "Building [50%]";
    QTest::newRow("2.78 rounds to 3") << building << 0 << 36 << 1 << "Building [3%]";
    QTest::newRow("end") << building << 0 << 36 << 36 << "Building [100%]";
    QTest::newRow("offset range") << building << 10 << 20 << 12 << "Building [20%]";
    QTest::newRow("beyond the end") << building << 0 << 36 << 54 << "Building [150%]";
    // The title is text, never a place for the percentage.
    QTest::newRow("title with %1") << "Disc %1 of 2" << 0 << 36 << 18 << "Disc %1 of 2 [50%]";
}

void ProgressWindowTest::captionShowsRoundedPercent() {
    QFETCH(int, lower);
    QFETCH(int, upper);
    QFETCH(int, position);
    QFETCH(QString, caption);
    QFETCH(QString, title);
    ProgressWindow window(&owner, title, false);
    QVERIFY(window.WindowExists());
    window.SetRange(lower, upper, 1);
    window.SetPosition(position);
    QCOMPARE(window.windowTitle(), caption);
}

void ProgressWindowTest::samePositionLeavesCaptionAlone() {
    ProgressWindow window(&owner, "Building", false);
    window.SetRange(0, 36, 1);
    window.SetPosition(18);
    window.setWindowTitle("marker");
    window.SetPosition(18);
    QCOMPARE(window.windowTitle(), QString("marker"));
    window.SetPosition(19); // 52.8 -> 53
    QCOMPARE(window.windowTitle(), QString("Building [53%]"));
}

void ProgressWindowTest::emptyRangeShowsZero() {
    ProgressWindow window(&owner, "Building", false);
    window.SetRange(0, 36, 1);
    window.SetPosition(18);
    window.SetRange(5, 5, 1);
    window.SetPosition(7);
    QCOMPARE(window.windowTitle(), QString("Building [0%]"));
    QCOMPARE(window.Percent(), 0);
}

void ProgressWindowTest::setPositionYieldsPreviousBarPosition() {
    ProgressWindow window(&owner, "Building", true);
    window.SetRange(0, 36, 1);
    QCOMPARE(window.SetPosition(4), 0);
    QCOMPARE(window.SetPosition(9), 4);
    QCOMPARE(window.Bar()->value(), 9);
    QCOMPARE(window.SetPosition(50), 9); // the bar stops at its end
    QCOMPARE(window.Bar()->value(), 36);
}

void ProgressWindowTest::escapeCancelsOnlyThroughAPump_data() {
    QTest::addColumn<bool>("cancelOnEscape");
    QTest::addColumn<bool>("cancelled");
    QTest::newRow("pump watching Escape") << true << true;
    QTest::newRow("pump ignoring Escape") << false << false;
}

void ProgressWindowTest::escapeCancelsOnlyThroughAPump() {
    QFETCH(bool, cancelOnEscape);
    QFETCH(bool, cancelled);
    ProgressWindow window(&owner);
    QVERIFY(window.Open("Building", false));
    PostKey(&window, Qt::Key_Escape);
    // Pressed while the work runs between pumps: nothing happens yet.
    QVERIFY(!window.Cancelled());
    QCOMPARE(window.Pump(cancelOnEscape), cancelled);
    QCOMPARE(window.Cancelled(), cancelled);
    QCOMPARE(window.isHidden(), cancelled);
}

void ProgressWindowTest::cancelButtonCancels() {
    ProgressWindow window(&owner);
    QVERIFY(window.Open("Building", false));
    QTest::mouseClick(window.CancelButton(), Qt::LeftButton);
    QVERIFY(window.Cancelled());
    QVERIFY(window.isHidden());
    QVERIFY(window.Pump(true));
    // Cancelled for good: later positions neither show the window nor reset the flag.
    window.SetPosition(10);
    QVERIFY(window.isHidden());
    QVERIFY(window.Cancelled());
}

void ProgressWindowTest::cancelReleaseSeenByPumpCancels() {
    ProgressWindow window(&owner);
    QVERIFY(window.Open("Building", false));
    QPushButton* button = window.CancelButton();
    QPoint centre = button->rect().center();
    QPoint global = button->mapToGlobal(centre);
    // Only the release reaches the window, as when the press happened before the pump.
    QCoreApplication::postEvent(button,
                                new QMouseEvent(QEvent::MouseButtonRelease, centre, global,
                                                Qt::LeftButton, Qt::NoButton, Qt::NoModifier));
    QVERIFY(!window.Cancelled());
    QVERIFY(window.Pump(false));
}

void ProgressWindowTest::carriesItsOwnersIcon() {
    QWidget program;
    QPixmap red(16, 16);
    red.fill(Qt::red);
    program.setWindowIcon(QIcon(red));
    auto* button = new QPushButton("Build", &program);
    program.show();
    ProgressWindow window(button);
    QVERIFY(window.Open("Building", false));
    QVERIFY(!window.windowIcon().isNull());
    QCOMPARE(window.windowIcon().pixmap(16, 16).toImage().pixelColor(8, 8), QColor(Qt::red));
}

void ProgressWindowTest::ownerChainDisabledWhileModal() {
    QWidget dialog;
    auto* button = new QPushButton("Build", &dialog);
    dialog.show();
    {
        ProgressWindow window(button);
        QVERIFY(window.Open("Building", false));
        // The highest enabled window of the chain is disabled, not just the button.
        QVERIFY(!dialog.isEnabled());
        QVERIFY(window.isEnabled());
        QVERIFY(window.CancelButton()->isEnabled());
        window.Close();
        QVERIFY(dialog.isEnabled());
        window.Close(); // twice is harmless
        QVERIFY(dialog.isEnabled());
    }
    QVERIFY(dialog.isEnabled());
    QVERIFY(button->isEnabled());
}

void ProgressWindowTest::ownerEnabledAgainWhenWorkEndsEarly() {
    auto work = [this] {
        ProgressWindow window(&owner);
        QVERIFY(window.Open("Building", false));
        QVERIFY(!owner.isEnabled());
        throw std::runtime_error("write error");
    };
    QVERIFY_THROWS_EXCEPTION(std::runtime_error, work());
    QVERIFY(owner.isEnabled());
}

void ProgressWindowTest::alreadyDisabledChainStaysDisabled() {
    QWidget dialog;
    auto* button = new QPushButton("Build", &dialog);
    dialog.show();
    dialog.setEnabled(false);
    {
        ProgressWindow window(button);
        QVERIFY(window.Open("Building", false));
        QVERIFY(window.isEnabled());
    }
    QVERIFY(!dialog.isEnabled()); // not ours to enable
}

void ProgressWindowTest::savedPositionRestoredOnlyOnScreen_data() {
    QRect screen = QGuiApplication::primaryScreen()->geometry();
    QTest::addColumn<QPoint>("saved");
    QTest::addColumn<bool>("restored");
    QTest::newRow("on screen") << QPoint(30, 40) << true;
    QTest::newRow("origin") << QPoint(0, 0) << true;
    QTest::newRow("right of screen") << QPoint(screen.width(), 40) << false;
    QTest::newRow("below screen") << QPoint(30, screen.height()) << false;
    QTest::newRow("negative") << QPoint(-5, 40) << false;
    QTest::newRow("never saved") << QPoint(-1, -1) << false;
}

void ProgressWindowTest::savedPositionRestoredOnlyOnScreen() {
    QFETCH(QPoint, saved);
    QFETCH(bool, restored);
    if (saved != QPoint(-1, -1))
        SaveWindowPosition(saved.x(), saved.y());
    ProgressWindow window(&owner, "Building", false);
    QVERIFY(window.WindowExists());
    if (restored) {
        QCOMPARE(window.pos(), saved);
    } else {
        // Within the rounding of an odd height centred on an even one (and of the frames).
        QPoint centre = window.frameGeometry().center();
        QVERIFY(qAbs(centre.x() - owner.frameGeometry().center().x()) <= 2);
        QVERIFY(qAbs(centre.y() - owner.frameGeometry().center().y()) <= 2);
    }
}

void ProgressWindowTest::positionRememberedBetweenRuns() {
    {
        ProgressWindow window(&owner);
        QVERIFY(window.Open("Building", false));
        window.move(123, 87);
    }
    QSettings settings;
    QCOMPARE(settings.value("Settings/X").toInt(), 123);
    QCOMPARE(settings.value("Settings/Y").toInt(), 87);
    {
        ProgressWindow window(&owner);
        QVERIFY(window.Open("Building", false));
        QCOMPARE(window.pos(), QPoint(123, 87));
        window.move(140, 60);
        QTest::mouseClick(window.CancelButton(), Qt::LeftButton);
        QCOMPARE(QSettings().value("Settings/X").toInt(), 140); // saved when cancelled
    }
    ProgressWindow window(&owner);
    window.SetPersistentPosition(false);
    QVERIFY(window.Open("Building", false));
    QVERIFY(window.pos() != QPoint(140, 60));
}

void ProgressWindowTest::failedCreationMakesSettersInert() {
    UncreatableProgressWindow window(&owner);
    QVERIFY(!window.Open("Building", false));
    QVERIFY(!window.WindowExists());
    QVERIFY(owner.isEnabled());
    window.SetRange(0, 36, 1);
    QCOMPARE(window.SetPosition(18), 0);
    QCOMPARE(window.SetPosition(20), 0); // the stored position never moves
    window.SetText("Encoding %s", "music01.ogg");
    QCOMPARE(window.Percent(), 0);
    QVERIFY(window.TextArea() == nullptr);
    QVERIFY(!window.Pump(true));
    window.Close();
    QVERIFY(owner.isEnabled());
}

void ProgressWindowTest::textIsFormattedAndCut() {
    ProgressWindow window(&owner, "Building", false);
    window.SetText("Encoding %s (%d of %d)", "music01.ogg", 1, 16);
    QCOMPARE(window.TextArea()->text(), QString("Encoding music01.ogg (1 of 16)"));
    window.SetText(std::string("100% plain"));
    QCOMPARE(window.TextArea()->text(), QString("100% plain"));
    window.SetText("%s", std::string(700, 'x').c_str());
    QCOMPARE(window.TextArea()->text().size(), 511);
}

void ProgressWindowTest::layoutPutsButtonBesideBar() {
    ProgressWindow window(&owner, "Building", false);
    QRect text = window.TextArea()->geometry();
    QRect bar = window.Bar()->geometry();
    QRect button = window.CancelButton()->geometry();
    QCOMPARE(text.topLeft(), QPoint(10, 10));
    QCOMPARE(text.width(), 390);
    QCOMPARE(window.width(), 410);
    QCOMPARE(button.right(), text.right());
    QCOMPARE(button.top(), text.bottom() + 1 + 10);
    QCOMPARE(bar.left(), 10);
    QCOMPARE(bar.right() + 1 + 10, button.left());
    QVERIFY(bar.top() > button.top() && bar.bottom() < button.bottom());
    QCOMPARE(window.height(), button.bottom() + 1 + 10);
    QFontMetrics metrics(window.font());
    // Four lines of text: Qt sets them a line spacing apart, which a font may make smaller
    // than its height (Tahoma on Windows).
    QVERIFY(text.height() >= 3 * metrics.lineSpacing() + metrics.height());
    QVERIFY(button.width() >= metrics.horizontalAdvance(" Cancel "));
    QVERIFY(window.windowFlags() & Qt::WindowStaysOnTopHint);
    QVERIFY(!(window.windowFlags() & Qt::WindowCloseButtonHint));
}

void ProgressWindowTest::renderToPng() {
    for (bool smooth : {false, true}) {
        ProgressWindow window(&owner, "Building...Please Wait...", smooth);
        window.SetRange(0, 36, 1);
        window.SetPosition(13);
        window.SetText("Encoding music13.ogg (13 of 16)");
        QVERIFY(QTest::qWaitForWindowExposed(&window));
        QString name = smooth ? "widgets-progress-smooth.png" : "widgets-progress.png";
        QVERIFY(WithCaption(window).save(QCoreApplication::applicationDirPath() + "/" + name));
    }
}

QTEST_MAIN(ProgressWindowTest)
#include "ProgressWindowTest.moc"
