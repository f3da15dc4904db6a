#pragma once
#include <QRect>
#include <QSize>

#include <vector>

class QWidget;

// Places controls at rectangles given in dialog units (the window's smallest layout) and keeps
// each one anchored as the window grows: it may take the extra width or height, or move with
// the right or bottom edge. Nothing here fails.
class AnchoredPlacement {
public:
    enum Anchor {
        Fixed = 0,
        GrowWidth = 1,
        GrowHeight = 2,
        FollowRight = 4,
        FollowBottom = 8,
    };

    explicit AnchoredPlacement(const QWidget& window) : window_(window) {}

    // A control at x, y, width, height in dialog units of the window's font.
    void Add(QWidget* widget, int x, int y, int width, int height, int anchors);
    // Places every control for `extra` pixels beyond the smallest layout.
    void Apply(QSize extra) const;

private:
    struct Placed {
        QWidget* widget;
        QRect base;
        int anchors;
    };
    const QWidget& window_;
    std::vector<Placed> placed_;
};
