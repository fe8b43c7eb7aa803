// One station's subscription to changes of the shared tables. It asks the
// engine for other stations' commits (on PostgreSQL as soon as the server's
// notice arrives; on SQLite as soon as the data file is written, seen through
// a file-system watch, and by a look at regular times for shared folders
// whose other machines' writes the watch cannot see: see lookIntervalMs()),
// hears the station's own commits from the engine directly, and tells every
// window through one signal, changed(), on the GUI thread. Windows find the
// watcher of their engine with ChangeWatcher::of(engine).
//
// A lost server connection is reported through connectionChanged(true); the
// watcher keeps asking, the engine connects again by itself, and
// connectionChanged(false) follows together with a notice that everything may
// have changed.
//
// Lives on the GUI thread, like the engine it watches; the engine must outlive it.
#pragma once

#include <QObject>
#include <QString>

#include <string>

#include "platform/store/Engine.h"

class QFileSystemWatcher;
class QSocketNotifier;
class QTimer;

namespace tko {

class ChangeWatcher : public QObject {
    Q_OBJECT
public:
    // How often a station looks for other stations' commits: once a second
    // where the file watch sees every write (local disks, and the server's
    // notices), more often on a network share, where other machines' writes
    // show only to a look. Each look wakes the station; on a share the looks
    // stay within about one CPU-second per station and hour.
    static constexpr int kIdleIntervalMs = 1000;
    static constexpr int kShareIntervalMs = 400;

    // The look's interval for an engine whose change file is `changeFile`
    // (empty for the server).
    static int lookIntervalMs(const std::string& changeFile);

    explicit ChangeWatcher(store::Engine& engine, QObject* parent = nullptr);
    ~ChangeWatcher() override;

    // The watcher of `engine`, nullptr when none was made.
    static ChangeWatcher* of(const store::Engine& engine);

    // Starts asking every `intervalMs` (0: lookIntervalMs() of the engine's
    // change file) and, where the engine offers one, on every arrival at its
    // notice socket, and with `watchFile` on every write of its change file.
    // Asks once at once: what the station reads from then on is the base
    // against which changes are reported.
    void start(int intervalMs = 0, bool watchFile = true);
    void stop();

    // Asks the engine once and emits what it found (tests call it directly).
    void checkNow();

    bool connectionLost() const { return m_lost; }
    // The engine's text for the lost connection (empty while connected).
    const QString& connectionText() const { return m_lostText; }

signals:
    // Tables changed by another station or by another window of this one.
    void changed(const tko::store::ChangeNotice& notice);
    void connectionChanged(bool lost);

private:
    void ownCommit(const store::ChangeNotice& notice);
    void deliverOwn();
    void watchSocket();
    void fileWritten(const QString& path);

    store::Engine& m_engine;
    QTimer* m_timer = nullptr;
    QSocketNotifier* m_notifier = nullptr;
    QFileSystemWatcher* m_files = nullptr;
    QTimer* m_soon = nullptr;     // one look shortly after the change file was written
    QTimer* m_deliver = nullptr;  // own commits, once back in the event loop
    int m_socket = -1;
    bool m_lost = false;
    QString m_lostText;
    store::ChangeNotice m_own;  // own commits not yet delivered
};

}  // namespace tko
