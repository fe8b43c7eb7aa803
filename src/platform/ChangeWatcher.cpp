#include "platform/ChangeWatcher.h"

#include <QFileSystemWatcher>
#include <QSocketNotifier>
#include <QTimer>

#include <map>

#include "platform/store/OfficeFiles.h"

namespace tko {

namespace {

// A commit writes its file many times; the look waits this long after a
// write, so that one commit costs one look, and comes this long after a look
// that found another station still committing.
constexpr int kSettleMs = 15;
constexpr int kRetryMs = 30;

// Engines and their watchers; GUI thread only.
std::map<const store::Engine*, ChangeWatcher*>& registry() {
    static std::map<const store::Engine*, ChangeWatcher*> watchers;
    return watchers;
}

}  // namespace

ChangeWatcher::ChangeWatcher(store::Engine& engine, QObject* parent)
    : QObject(parent),
      m_engine(engine),
      m_timer(new QTimer(this)),
      m_soon(new QTimer(this)),
      m_deliver(new QTimer(this)) {
    registry()[&engine] = this;
    connect(m_timer, &QTimer::timeout, this, &ChangeWatcher::checkNow);
    m_soon->setSingleShot(true);
    connect(m_soon, &QTimer::timeout, this, &ChangeWatcher::checkNow);
    m_deliver->setSingleShot(true);
    m_deliver->setInterval(0);
    connect(m_deliver, &QTimer::timeout, this, &ChangeWatcher::deliverOwn);
    engine.setCommitObserver([this](const store::ChangeNotice& notice) { ownCommit(notice); });
}

ChangeWatcher::~ChangeWatcher() {
    m_engine.setCommitObserver({});
    auto it = registry().find(&m_engine);
    if (it != registry().end() && it->second == this) registry().erase(it);
}

ChangeWatcher* ChangeWatcher::of(const store::Engine& engine) {
    auto it = registry().find(&engine);
    return it == registry().end() ? nullptr : it->second;
}

int ChangeWatcher::lookIntervalMs(const std::string& changeFile) {
    return !changeFile.empty() && store::onNetworkFileSystem(changeFile) ? kShareIntervalMs
                                                                         : kIdleIntervalMs;
}

void ChangeWatcher::start(int intervalMs, bool watchFile) {
    const std::string changeFile = m_engine.changeFile();
    m_timer->start(intervalMs > 0 ? intervalMs : lookIntervalMs(changeFile));
    const std::string file = watchFile ? changeFile : std::string();
    if (!file.empty() && !m_files) {
        m_files = new QFileSystemWatcher(this);
        connect(m_files, &QFileSystemWatcher::fileChanged, this, &ChangeWatcher::fileWritten);
        m_files->addPath(QString::fromStdString(file));
    }
    // The first look tells the engine what the station has seen; changes
    // committed after it are reported, even before the first tick.
    checkNow();
}

void ChangeWatcher::stop() {
    m_timer->stop();
    m_soon->stop();
    delete m_files;
    m_files = nullptr;
    delete m_notifier;
    m_notifier = nullptr;
    m_socket = -1;
}

void ChangeWatcher::watchSocket() {
    if (!m_timer->isActive()) return;
    const int socket = m_engine.changeSocket();
    if (socket == m_socket) return;
    // A new connection has a new socket.
    delete m_notifier;
    m_notifier = nullptr;
    m_socket = socket;
    if (socket < 0) return;
    m_notifier = new QSocketNotifier(static_cast<qintptr>(socket), QSocketNotifier::Read, this);
    connect(m_notifier, &QSocketNotifier::activated, this, &ChangeWatcher::checkNow);
}

void ChangeWatcher::fileWritten(const QString& path) {
    // A file replaced as a whole (a restored backup) is watched anew.
    if (!m_files->files().contains(path)) m_files->addPath(path);
    if (!m_soon->isActive()) m_soon->start(kSettleMs);
}

void ChangeWatcher::checkNow() {
    // Inside a transaction the station is busy writing; ask again later.
    if (m_engine.transactionDepth() > 0) return;
    store::ChangeNotice notice;
    const store::Status s = m_engine.takeChanges(notice);
    // Another station is committing right now: its notice comes next time,
    // soon when its writes are being watched.
    if (s.code == store::kFileLocked) {
        if (m_files) m_soon->start(kRetryMs);
        return;
    }
    if (!s.ok()) {
        // The socket of a broken connection stays readable: poll by the timer
        // alone until the engine has connected again.
        delete m_notifier;
        m_notifier = nullptr;
        m_socket = -1;
        const QString text = QString::fromStdString(s.describe());
        if (!m_lost || text != m_lostText) {
            m_lost = true;
            m_lostText = text;
            emit connectionChanged(true);
        }
        return;
    }
    watchSocket();
    if (m_lost) {
        m_lost = false;
        m_lostText.clear();
        emit connectionChanged(false);
    }
    if (!notice.empty()) emit changed(notice);
}

void ChangeWatcher::ownCommit(const store::ChangeNotice& notice) {
    // Delivered once the writing code has returned to the event loop, so that
    // no window reloads in the middle of another window's save; commits made
    // in the same turn arrive as one notice.
    m_own.merge(notice);
    if (!m_deliver->isActive()) m_deliver->start();
}

void ChangeWatcher::deliverOwn() {
    store::ChangeNotice notice = std::move(m_own);
    m_own = {};
    if (!notice.empty()) emit changed(notice);
}

}  // namespace tko
