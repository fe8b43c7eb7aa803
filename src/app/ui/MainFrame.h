// The main frame: menu bar and toolbar from which every screen opens, the
// start-up sequence after the window is shown (first-run records, log-in,
// administrator items, alerts), and the closing backup and window placement.
#pragma once

#include <QMainWindow>
#include <QMap>
#include <QMargins>

#include <atomic>

#include "data/Workspace.h"
#include "sync/CalDav.h"

class QAction;
class QLabel;
class QThread;
class QTimer;

namespace tko {

class MainFrame : public QMainWindow {
    Q_OBJECT
public:
    // The frame keeps a reference to `workspace`, which outlives it.
    explicit MainFrame(Workspace& workspace, QWidget* parent = nullptr);
    // Stops a calendar sync under way and waits for its thread.
    ~MainFrame() override;

    // Runs the steps after opening: first-run records, log-in (returns false
    // when the program must end), administrator items, start-up alerts.
    // With `stopAtLogIn` it ends (false) once the log-in window is shown,
    // after which reachedLogIn() tells whether it was.
    bool startUp(bool stopAtLogIn = false);
    bool reachedLogIn() const { return m_reachedLogIn; }
    // Same, with the log-in already done (tests and scripted starts).
    void enterSession(const std::string& user, int accessLevel);

    const Session& session() const { return m_workspace.session; }
    // Whether a calendar sync runs now (tests wait for it).
    bool calendarSyncRunning() const { return m_calendarThread != nullptr; }
    // The menu or toolbar action with this object name ("systemPreferencesAction").
    QAction* action(const QString& objectName) const;
    QList<QAction*> administratorActions() const { return m_adminActions; }
    // The stored placement is applied when the frame is first shown.
    void restorePlacement();

signals:
    // A fatal start-up or backup failure: the program ends after `text` was shown.
    void fatalError(const QString& text);

protected:
    void closeEvent(QCloseEvent* event) override;
    // Keeps the frame's edges around its client area while it is neither
    // maximised nor minimised, for the placement stored at closing.
    void moveEvent(QMoveEvent* event) override;

private:
    void buildMenus();
    QAction* addItem(QMenu* menu, const char* name, const QString& text, void (MainFrame::*slot)());
    // An item of a menu or of the menu bar itself.
    QAction* addPending(QWidget* menu, const char* name, const QString& text,
                        const char* procedure);
    void notDefined(const char* procedure);
    void setAdministratorItems(bool enabled);
    void showStartupAlerts();
    // The status bar's count of due work and unseen alert, read afresh.
    void refreshWorkStatus();
    void connectionChanged(bool lost);
    // The user's assignments with his calendar server (sync/CalDav.h), when
    // he has an account there: at log-in and then every few minutes. A
    // server that cannot be reached is said in the status bar and tried
    // again at the next round. The sync runs on a thread of its own with a
    // connection of its own (sync::syncOnOwnConnection()), so that a server
    // that does not answer never holds the window; a round is skipped while
    // the last one still runs.
    void syncCalendar();
    void calendarSynced(const sync::StationSyncResult& result);
    bool saveOnClose();
    void noteFrameEdges();

    void openSystemPreferences();
    void openUserPreferences();
    void openChangePassword();
    void openPrintSetup();
    void openHelpContents();
    void openHelpSearch();
    void openHelpHowTo();
    void openAbout();

    Workspace& m_workspace;
    bool m_reachedLogIn = false;
    QMap<QString, QAction*> m_actions;
    QList<QAction*> m_adminActions;
    bool m_closing = false;
    QMargins m_frameEdges;  // title bar and edges of the normal frame
    QLabel* m_workLabel = nullptr;
    QLabel* m_connectionLabel = nullptr;
    QLabel* m_calendarLabel = nullptr;
    QTimer* m_calendarTimer = nullptr;
    QThread* m_calendarThread = nullptr;
    std::atomic<bool> m_stopCalendar{false};
    // The desktop's notices of the logged-in user (made at log-in).
    class DesktopNotifier* m_notifier = nullptr;
    void startDesktopNotices();
    void openMailSettings(QWidget* parent);
};

}  // namespace tko
