#pragma once
#include <QFont>
#include <QRect>
#include <QSize>

class QWidget;

// Dialog units, the way Windows lays out dialogs: a horizontal unit is a quarter of the
// font's average character width (measured over "A".."Z" and "a".."z"), a vertical unit an
// eighth of its character height. Each edge of a rectangle is converted on its own and
// rounded, so neighbouring controls stay neighbours. Nothing here fails.

// Average character width and character height of the font, in pixels.
QSize DialogBaseUnits(const QFont& font);

// A rectangle given as x, y, width, height in dialog units, in pixels for the font.
QRect DialogUnitsToPixels(const QFont& font, int x, int y, int width, int height);
// The same with the widget's font.
QRect DialogUnitsToPixels(const QWidget& widget, int x, int y, int width, int height);
