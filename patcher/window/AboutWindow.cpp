#include "patcher/window/AboutWindow.h"

#include "common/ProgramVersion.h"
#include "patcher/window/PalisorIcon.h"
#include "widgets/DialogUnits.h"

#include <QLabel>
#include <QPushButton>

AboutWindow::AboutWindow(QWidget* parent) : QDialog(parent) {
    setWindowTitle(QStringLiteral("About Palisor"));
    setWindowFlag(Qt::WindowContextHelpButtonHint, false);
    setFixedSize(DialogUnitsToPixels(*this, 0, 0, 235, 55).size());

    auto* icon = new QLabel(this);
    icon->setPixmap(PalisorIcon().pixmap(32, 32));
    icon->setGeometry(DialogUnitsToPixels(*this, 11, 17, 20, 20));

    auto* version = new QLabel(
        QStringLiteral("Palisor Version %1").arg(QString::fromLatin1(ProgramVersion())), this);
    version->setGeometry(DialogUnitsToPixels(*this, 40, 10, 119, 8));

    auto* ok = new QPushButton(QStringLiteral("OK"), this);
    ok->setGeometry(DialogUnitsToPixels(*this, 178, 7, 50, 14));
    ok->setDefault(true);
    connect(ok, &QPushButton::clicked, this, &QDialog::accept);
}
