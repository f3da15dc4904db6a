#pragma once
#include <QIcon>

// Palisor's program icon (a palisade of stakes with a note in front), drawn at the usual
// sizes. Needs a QGuiApplication; never fails.
QIcon PalisorIcon();
