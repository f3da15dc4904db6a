#include "builder/window/ClearScrollBarStyle.h"

#include <QPainter>
#include <QStyleOptionComplex>

void ClearScrollBarStyle::drawComplexControl(ComplexControl control,
                                             const QStyleOptionComplex* option, QPainter* painter,
                                             const QWidget* widget) const {
    QProxyStyle::drawComplexControl(control, option, painter, widget);
    if (control != CC_ScrollBar || !(option->state & State_Enabled))
        return;
    const QRect thumb = subControlRect(control, option, SC_ScrollBarSlider, widget);
    if (thumb.width() < 6 || thumb.height() < 6)
        return;
    const bool pressed =
        (option->activeSubControls & SC_ScrollBarSlider) && (option->state & State_Sunken);
    painter->save();
    painter->setRenderHint(QPainter::Antialiasing);
    painter->setPen(option->palette.color(QPalette::Dark));
    painter->setBrush(option->palette.color(pressed ? QPalette::Dark : QPalette::Mid));
    painter->drawRoundedRect(QRectF(thumb).adjusted(2.5, 2.5, -2.5, -2.5), 2, 2);
    painter->restore();
}
