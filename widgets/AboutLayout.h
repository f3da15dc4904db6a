#pragma once
class QDialog;
class QDialogButtonBox;
class QLabel;
class QWidget;

// The arrangement both programs' About boxes share: the icon at the top left, the version,
// the licence and the home page beside it, the buttons below; the box exactly as large as
// its text, in any font.
void LayOutAbout(QDialog& box, QLabel* icon, QWidget* version, QWidget* licence, QWidget* homePage,
                 QDialogButtonBox* buttons);
