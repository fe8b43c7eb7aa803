// The telephony layer behind every "Dial" button. The program's dialer hands
// a tel: address to the desktop's handler for telephone calls (see
// people/ui/DesktopDialer.h); tests install a RecordingDialer instead.
//
// dial() is called on the GUI thread and must return at once: whatever takes
// time happens elsewhere, and its result is not reported back.
#pragma once

#include <QUrl>

#include <mutex>
#include <vector>

#include "people/PeopleRules.h"

namespace tko {

class Dialer {
public:
    virtual ~Dialer() = default;
    virtual void dial(const DialRequest& request) = 0;
};

// The tel: address for the number as stored, only its leading and trailing
// blanks dropped ("tel:555 0123", the inner blank percent-encoded); an empty
// URL when the number is blank.
QUrl telUrl(const DialRequest& request);

// Remembers every request, for tests. Safe to call from any thread.
class RecordingDialer : public Dialer {
public:
    void dial(const DialRequest& request) override;
    std::vector<DialRequest> calls() const;

private:
    mutable std::mutex m_mutex;
    std::vector<DialRequest> m_calls;
};

// The dialer the windows use: the one installed here, or nullptr when none
// is (the windows then use the desktop dialer). The caller keeps ownership.
void installDialer(Dialer* dialer);
Dialer* installedDialer();

}  // namespace tko
