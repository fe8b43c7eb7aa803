// The program's dialer: the tel: address goes to the desktop's handler for
// telephone calls, without holding up the window that asked.
//
// dial() returns at once. A worker of the global thread pool asks xdg-mime
// which program handles tel: links and, when there is one, starts xdg-open
// detached with the address (QProcess::startDetached needs no event loop and
// may run on any thread), so a slow or hanging handler never blocks the GUI
// thread. Where there is no xdg-open the worker posts
// QDesktopServices::openUrl back to the GUI thread, where Qt requires it to
// run. When the desktop has no handler for tel: links, a message on the GUI
// thread tells the user so; otherwise the handler shows its own dialling
// window and its result is not reported.
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
