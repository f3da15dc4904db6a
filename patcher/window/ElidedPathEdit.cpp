#include "patcher/window/ElidedPathEdit.h"

#include <QPainter>
#include <QStyle>
#include <QStyleOptionFrame>

ElidedPathEdit::ElidedPathEdit(QWidget* parent) : QLineEdit(parent) {
    connect(this, &QLineEdit::textChanged, this, [this](const QString& text) {
        setToolTip(text);
        update();
    });
}

QRect ElidedPathEdit::TextArea() const {
    QStyleOptionFrame panel;
    initStyleOption(&panel);
    QRect area = style()->subElementRect(QStyle::SE_LineEditContents, &panel, this);
    const QMargins margins = textMargins();
    constexpr int kSideMargin = 2; // what QLineEdit leaves beside its text
    return area.adjusted(margins.left() + kSideMargin, margins.top(),
                         -margins.right() - kSideMargin, -margins.bottom());
}

QString ElidedPathEdit::ShownText() const {
    if (hasFocus())
        return text();
    return fontMetrics().elidedText(text(), Qt::ElideMiddle, TextArea().width());
}

void ElidedPathEdit::paintEvent(QPaintEvent* event) {
    const QString shown = ShownText();
    if (shown == text()) {
        QLineEdit::paintEvent(event);
        return;
    }
    QPainter painter(this);
    QStyleOptionFrame panel;
    initStyleOption(&panel);
    style()->drawPrimitive(QStyle::PE_PanelLineEdit, &panel, &painter, this);
    painter.setPen(
        palette().color(isEnabled() ? QPalette::Active : QPalette::Disabled, QPalette::Text));
    painter.drawText(TextArea(), Qt::AlignLeft | Qt::AlignVCenter, shown);
}
