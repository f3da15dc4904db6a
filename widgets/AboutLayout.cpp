#include "widgets/AboutLayout.h"

#include <QBoxLayout>
#include <QDialog>
#include <QDialogButtonBox>
#include <QLabel>

void LayOutAbout(QDialog& box, QLabel* icon, QWidget* version, QWidget* licence, QWidget* homePage,
                 QDialogButtonBox* buttons) {
    auto* text = new QVBoxLayout;
    text->addWidget(version);
    text->addWidget(licence);
    text->addWidget(homePage, 0, Qt::AlignLeft);
    auto* row = new QHBoxLayout;
    row->addWidget(icon, 0, Qt::AlignTop);
    row->addSpacing(12);
    row->addLayout(text, 1);
    auto* layout = new QVBoxLayout(&box);
    layout->addLayout(row);
    layout->addWidget(buttons);
    layout->setSizeConstraint(QLayout::SetFixedSize);
}
