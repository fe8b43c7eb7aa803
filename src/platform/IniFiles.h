// The two settings files of a station. "TASKORBM.INI" keeps the main window's
// position and size and, in section "Data", the server a station uses;
// "TASKORB.INI" keeps the due-now list's secondary-assignment choice. Both lie
// beside the program when that folder is writable, otherwise in the user's
// configuration folder.
#pragma once

#include <QMargins>
#include <QRect>
#include <QString>

#include <optional>
#include <vector>

namespace tko {

// Folder for the INI files: `programDir` when a file can be written there,
// else the user's configuration folder for this program (created if needed).
QString iniFolder(const QString& programDir);

QString mainIniPath(const QString& programDir);   // TASKORBM.INI
QString todayIniPath(const QString& programDir);  // TASKORB.INI

// x and y place the outer frame (title bar and edges included), as move()
// does; width and height are the client area's, as resize() takes them.
struct FramePlacement {
    bool maximize = false;
    int x = 0, y = 0, width = 0, height = 0;  // x 0: no stored position
};

// Section "Main": "Maximize" ("Yes"/"No"), "XPosit", "YPosit", "Width", "Height".
FramePlacement readFramePlacement(const QString& iniPath);
// The stored placement `p` (x not 0) fitted to the available areas of the
// screens: the size at most that of the screen it mostly lies on (the first
// screen when it lies on none), the frame moved wholly onto that screen. A
// hand-edited or stale INI file can thus never place the frame off screen or
// ask for a window larger than any screen. A width or height that is not
// positive (a file edited by hand) is taken as `ownSize`'s, the size the
// frame has anyway, so that the frame is fitted with the size it will have.
// Without screens `p` is returned.
FramePlacement fitPlacement(const FramePlacement& p, const std::vector<QRect>& screens,
                            const QSize& ownSize = {});
// What the frame stores at closing, from its normal (not maximised) client
// geometry and the frame's edges around the client area: the outer frame's
// top-left and the client size, so that move() and resize() at the next start
// put it back where it was, not lower by the height of its title bar.
FramePlacement placementToStore(const QRect& normalClient, const QMargins& frameEdges);
// Writes "Maximize", and the position unless the frame is minimised.
void writeFramePlacement(const QString& iniPath, bool maximized, bool minimized,
                         const FramePlacement& normalGeometry);

// Section "TodayView", key "Secondary": one character; "1" means include.
bool readIncludeSecondary(const QString& iniPath);
void writeIncludeSecondary(const QString& iniPath, bool include);

}  // namespace tko
