#pragma once
#include <QIcon>

// Korvane's only icon, for the windows and the About box. Null if the resource is missing.
QIcon ApplicationIcon();
