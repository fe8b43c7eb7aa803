#include "people/Dialer.h"

#include <atomic>

namespace tko {

namespace {
std::atomic<Dialer*> g_dialer{nullptr};
}

QUrl telUrl(const DialRequest& request) {
    const QString number = QString::fromStdString(request.number).trimmed();
    if (number.isEmpty()) return {};
    QUrl url;
    url.setScheme(QStringLiteral("tel"));
    url.setPath(number);
    return url;
}

void RecordingDialer::dial(const DialRequest& request) {
    std::lock_guard<std::mutex> lock(m_mutex);
    m_calls.push_back(request);
}

std::vector<DialRequest> RecordingDialer::calls() const {
    std::lock_guard<std::mutex> lock(m_mutex);
    return m_calls;
}

void installDialer(Dialer* dialer) {
    g_dialer.store(dialer);
}
Dialer* installedDialer() {
    return g_dialer.load();
}

}  // namespace tko
