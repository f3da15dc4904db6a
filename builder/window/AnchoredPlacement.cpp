#include "builder/window/AnchoredPlacement.h"

#include "widgets/DialogUnits.h"

#include <QWidget>

void AnchoredPlacement::Add(QWidget* widget, int x, int y, int width, int height, int anchors) {
    placed_.push_back({widget, DialogUnitsToPixels(window_, x, y, width, height), anchors});
}

void AnchoredPlacement::Apply(QSize extra) const {
    const int dx = std::max(0, extra.width());
    const int dy = std::max(0, extra.height());
    for (const Placed& item : placed_) {
        QRect rect = item.base;
        if (item.anchors & FollowRight)
            rect.translate(dx, 0);
        if (item.anchors & FollowBottom)
            rect.translate(0, dy);
        if (item.anchors & GrowWidth)
            rect.setWidth(rect.width() + dx);
        if (item.anchors & GrowHeight)
            rect.setHeight(rect.height() + dy);
        item.widget->setGeometry(rect);
    }
}
