#include "builder/window/ApplicationIcon.h"

QIcon ApplicationIcon() {
    return QIcon(QStringLiteral(":/korvane/resources/korvane.png"));
}
