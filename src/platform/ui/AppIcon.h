// The program's icon (the one the desktop entry names), for every window.
#pragma once

#include <QIcon>

namespace tko {

// The icon drawn from its SVG at the sizes window managers ask for; needs
// no image-format plug-in. GUI thread only, after QApplication exists.
QIcon applicationIcon();

}  // namespace tko
