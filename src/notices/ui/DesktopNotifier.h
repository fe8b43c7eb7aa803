// The running program's notices on the desktop: a tray icon whose tool tip
// shows the count of due work, a notification (the desktop's notification
// service, through QSystemTrayIcon) for each reminder or assignment falling
// due today, once per run, and for System Administrators one when notices by
// mail could not be sent. A click on the notification asks the main frame to
// open what it was about.
//
// It also sends the outbox once a minute, off the GUI thread on a connection
// of its own, when this station may (OutboxSender.h): stations that cannot
// open one, or cannot read the mail password, leave it to others.
#pragma once

#include <QObject>

#include <atomic>
#include <memory>

#include "data/Workspace.h"
#include "notices/DesktopNotices.h"

class QSystemTrayIcon;
class QThread;
class QTimer;

namespace tko {

class DesktopNotifier : public QObject {
    Q_OBJECT
public:
    // Polls for `workspace`'s logged-in user; the workspace outlives it.
    explicit DesktopNotifier(Workspace& workspace, QObject* parent = nullptr);
    ~DesktopNotifier() override;

    // The count of due work the tray icon shows.
    void setDueCount(std::int64_t count);
    // Polls now (also done once a minute). Without `announce`, what is due
    // now counts as told (the log-in's own alert has told it).
    void poll(bool announce = true);
    QSystemTrayIcon* trayIcon() const { return m_tray; }

signals:
    void assignmentChosen(std::int32_t assignNumber);
    void remindersChosen();
    void outboxChosen();

private:
    void sendOutbox();
    void messageClicked();

    Workspace& m_workspace;
    DueAnnouncer m_announcer;
    QSystemTrayIcon* m_tray = nullptr;
    QTimer* m_timer = nullptr;
    QThread* m_sender = nullptr;
    // What the last notification was about.
    enum class Shown { Nothing, Assignment, Reminders, Outbox } m_shown = Shown::Nothing;
    std::int32_t m_shownNumber = 0;
};

}  // namespace tko
