#pragma once
#include <QProxyStyle>

// The application's style, except that a scroll bar's thumb is drawn darker than its track.
// Some styles draw the thumb lighter than the track, so that a list scrolled to the top seems
// to be at the bottom. Nothing here fails.
class ClearScrollBarStyle : public QProxyStyle {
    Q_OBJECT

public:
    void drawComplexControl(ComplexControl control, const QStyleOptionComplex* option,
                            QPainter* painter, const QWidget* widget) const override;
};
