// Where a window opens: centred on the working area of the window that opened
// it (the main frame's area below its menu and toolbar), yet never over that
// menu and toolbar and never off the screen.
#pragma once

#include <QRect>
#include <QSize>

namespace tko {

// The top-left corner for a window of `size`: centred on `area`; a window
// larger than `area` starts at its top (or left) edge instead of reaching
// above it; then moved just enough to lie inside `screen` (when it is larger
// than the screen, its top-left corner stays on the screen). An empty
// `screen` sets no bound.
QPoint centredPlacement(const QRect& area, const QSize& size, const QRect& screen);

}  // namespace tko
