#include "patcher/window/AboutWindow.h"

#include "common/ProgramVersion.h"
#include "patcher/window/PalisorIcon.h"
#include "widgets/HyperlinkLabel.h"

#include <QBoxLayout>
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

    auto* text = new QVBoxLayout;
    text->addWidget(version);
    text->addWidget(licence);
    text->addWidget(homePage, 0, Qt::AlignLeft);
    auto* row = new QHBoxLayout;
    row->addWidget(icon, 0, Qt::AlignTop);
    row->addSpacing(12);
    row->addLayout(text, 1);
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(row);
    layout->addWidget(buttons);
    layout->setSizeConstraint(QLayout::SetFixedSize); // as large as its text, in any font
}
