#include "platform/WindowPlacement.h"

#include <algorithm>

namespace tko {

namespace {

// One axis: centred on [start, start + length), not before start, then
// inside [low, high) as far as it fits.
int place(int start, int length, int extent, int low, int high, bool bounded) {
    int at = std::max(start, start + (length - extent) / 2);
    if (!bounded) return at;
    at = std::min(at, high - extent);
    return std::max(at, low);
}

}  // namespace

QPoint centredPlacement(const QRect& area, const QSize& size, const QRect& screen) {
    const bool bounded = !screen.isEmpty();
    return {place(area.left(), area.width(), size.width(), screen.left(),
                  screen.left() + screen.width(), bounded),
            place(area.top(), area.height(), size.height(), screen.top(),
                  screen.top() + screen.height(), bounded)};
}

}  // namespace tko
