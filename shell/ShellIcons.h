#pragma once
// The shell's pictures: the application icon and the toolbar buttons (pixel art kept as XPM files
// under icons/ and compiled into the program).

#include <QIcon>
#include <QString>

namespace pictoma {

// The application's icon (32 x 32).
QIcon AppIcon();
// The toolbar picture called `name` (16 x 15), as the toolbar table names it; null when unknown.
QIcon ToolbarIcon(const char* name);

}  // namespace pictoma
