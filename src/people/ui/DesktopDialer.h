// The program's dialer: the tel: address goes to the desktop's handler for
// telephone calls, without holding up the window that asked.
//
// dial() returns at once. A worker of the global thread pool looks for
// xdg-open and starts it detached with the address (QProcess::startDetached
// needs no event loop and may run on any thread), so a slow or hanging
// handler never blocks the GUI thread. Where there is no xdg-open the worker
// posts QDesktopServices::openUrl back to the GUI thread, where Qt requires
// it to run. Results are ignored: the handler shows its own dialling window.
#pragma once

#include "people/Dialer.h"

namespace tko {

class DesktopDialer : public Dialer {
public:
    void dial(const DialRequest& request) override;
};

// The installed dialer, else the desktop dialer. GUI thread only.
Dialer& activeDialer();

}  // namespace tko
