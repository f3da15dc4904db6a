#include "widgets/DialogUnits.h"

#include <QFontMetrics>
#include <QWidget>

#include <cstdint>

namespace {

// value * numerator / denominator, rounded half away from zero, without overflow.
int ScaleRounded(int value, int numerator, int denominator) {
    std::int64_t product = static_cast<std::int64_t>(value) * numerator;
    std::int64_t half = denominator / 2;
    std::int64_t result =
        product >= 0 ? (product + half) / denominator : (product - half) / denominator;
    return static_cast<int>(result);
}

} // namespace

QSize DialogBaseUnits(const QFont& font) {
    QFontMetrics metrics(font);
    int alphabet = metrics.horizontalAdvance(
        QStringLiteral("ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz"));
    // Rounded average over the 52 letters, as Windows computes it.
    return QSize((alphabet / 26 + 1) / 2, metrics.height());
}

QRect DialogUnitsToPixels(const QFont& font, int x, int y, int width, int height) {
    QSize base = DialogBaseUnits(font);
    int left = ScaleRounded(x, base.width(), 4);
    int right = ScaleRounded(x + width, base.width(), 4);
    int top = ScaleRounded(y, base.height(), 8);
    int bottom = ScaleRounded(y + height, base.height(), 8);
    return QRect(left, top, right - left, bottom - top);
}

QRect DialogUnitsToPixels(const QWidget& widget, int x, int y, int width, int height) {
    return DialogUnitsToPixels(widget.font(), x, y, width, height);
}
