#include "patcher/window/AboutWindow.h"

#include "common/ProgramVersion.h"
#include "patcher/window/PalisorIcon.h"
#include "widgets/AboutLayout.h"
#include "widgets/HyperlinkLabel.h"

#include <QDialogButtonBox>
#include <QLabel>
#include <QPushButton>

AboutWindow::AboutWindow(QWidget* parent, Prompts* prompts) : QDialog(parent) {
    setWindowTitle(QStringLiteral("About Palisor"));
    setWindowFlag(Qt::WindowContextHelpButtonHint, false);

    auto* icon = new QLabel(this);
    icon->setPixmap(PalisorIcon().pixmap(32, 32));
    auto* version = new QLabel(
        QStringLiteral("Palisor Version %1").arg(QString::fromLatin1(ProgramVersion())), this);
    auto* licence = new QLabel(QString::fromLatin1(kLicence), this);
    auto* homePage = new HyperlinkLabel(this);
    homePage->setText(QString::fromLatin1(kHomePage));
    homePage->SetAdjustToFit(false); // the layout places it
    homePage->SetPrompts(prompts);
    homePage->Attach();
    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok, this);
    connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
    buttons->button(QDialogButtonBox::Ok)->setDefault(true);

    LayOutAbout(*this, icon, version, licence, homePage, buttons);
}
