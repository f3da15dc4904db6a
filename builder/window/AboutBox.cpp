#include "builder/window/AboutBox.h"

#include "builder/window/ApplicationIcon.h"
#include "common/ProgramVersion.h"
#include "widgets/AboutLayout.h"
#include "widgets/HyperlinkLabel.h"

#include <QDialogButtonBox>
#include <QFontMetrics>
#include <QLabel>
#include <QPushButton>

namespace {

const char* const kHomePage = "https://korvane.example.org/";

} // namespace

AboutBox::AboutBox(QWidget* parent) : QDialog(parent) {
    setWindowTitle(QStringLiteral("About Korvane"));
    auto* icon = new QLabel(this);
    icon->setPixmap(ApplicationIcon().pixmap(32, 32));
    auto* version = new QLabel(
        QStringLiteral("Korvane Version %1").arg(QString::fromLatin1(ProgramVersion())), this);
    version->setObjectName(QStringLiteral("version"));
    auto* licence = new QLabel(QStringLiteral("Free software under the GNU General Public "
                                              "License,\nversion 3 or later (GPL-3.0-or-later)."),
                               this);
    licence->setObjectName(QStringLiteral("licence"));
    homePage_ = new HyperlinkLabel(this);
    homePage_->setText(QString::fromLatin1(kHomePage));
    homePage_->SetAdjustToFit(false);
    homePage_->setFocusPolicy(Qt::TabFocus);
    homePage_->setContentsMargins(2, 1, 2, 1); // room for the focus frame
    homePage_->Attach();
    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok, this);
    connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
    QPushButton* ok = buttons->button(QDialogButtonBox::Ok);
    ok->setFocus(); // Enter or Space closes the box; Tab reaches the link
    setTabOrder(ok, homePage_);

    LayOutAbout(*this, icon, version, licence, homePage_, buttons);
    // A title bar also holds the icon and its buttons, often in a larger font: leave it room
    // for the whole title.
    const int titleWidth = QFontMetrics(font()).horizontalAdvance(windowTitle());
    buttons->setMinimumWidth(2 * titleWidth + 160);
}
