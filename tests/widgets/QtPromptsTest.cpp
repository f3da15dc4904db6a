#include "widgets/QtPrompts.h"

#include <QApplication>
#include <QMessageBox>
#include <QPushButton>
#include <QTimer>
#include <QtTest>

// The cause of a failure waits behind the message box's details button; the message itself
// reads as it always did.
class QtPromptsTest : public QObject {
    Q_OBJECT

private slots:
    void detailsWaitBehindAButton();
};

namespace {

struct SeenBox {
    QString text;
    QString details;
    bool detailsButton = false;
};

// Looks at the message box once it is up, then closes it.
void LookAtTheBoxThenClose(SeenBox& seen) {
    QTimer::singleShot(0, [&seen] {
        auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
        if (!box)
            return LookAtTheBoxThenClose(seen);
        seen.text = box->text();
        seen.details = box->detailedText();
        for (QAbstractButton* button : box->buttons())
            if (box->buttonRole(button) == QMessageBox::ActionRole &&
                button->text().contains(QStringLiteral("Details")))
                seen.detailsButton = true;
        box->accept();
    });
}

} // namespace

void QtPromptsTest::detailsWaitBehindAButton() {
    QWidget parent;
    QtPrompts prompts(&parent, QStringLiteral("Palisor"));
    SeenBox withCause;
    LookAtTheBoxThenClose(withCause);
    prompts.MessageWithDetails("Unable to move file - patch failed.",
                               "MoveFileExW on C:\\Games\\BFV\\music.rfa: sharing violation (32)");
    QCOMPARE(withCause.text, QStringLiteral("Unable to move file - patch failed."));
    QCOMPARE(withCause.details,
             QStringLiteral("MoveFileExW on C:\\Games\\BFV\\music.rfa: sharing violation (32)"));
    QVERIFY(withCause.detailsButton);

    SeenBox plain;
    LookAtTheBoxThenClose(plain);
    prompts.Message("Not a valid velk file.");
    QCOMPARE(plain.text, QStringLiteral("Not a valid velk file."));
    QVERIFY(plain.details.isEmpty());
    QVERIFY(!plain.detailsButton);
}

QTEST_MAIN(QtPromptsTest)
#include "QtPromptsTest.moc"
