#include "app/ui/MainFrame.h"

#include <QApplication>
#include <QCloseEvent>
#include <QDialog>
#include <QGuiApplication>
#include <QKeySequence>
#include <QLabel>
#include <QMenuBar>
#include <QPushButton>
#include <QScreen>
#include <QStatusBar>
#include <QStyle>
#include <QThread>
#include <QTimer>
#include <QToolBar>

#include <memory>
#include <utility>

#include "app/Backup.h"
#include "app/FirstRun.h"
#include "app/StartupAlerts.h"
#include "app/ui/ChangePasswordDialog.h"
#include "app/ui/LanguageProcedure.h"
#include "app/ui/LoginWindow.h"
#include "app/ui/SystemSettingsDialog.h"
#include "app/ui/UserPrefsDialog.h"
#include "data/Keys.h"
#include "data/Messages.h"
#include "notices/ui/DesktopNotifier.h"
#include "notices/ui/MailSettingsDialog.h"
#include "platform/ChangeWatcher.h"
#include "platform/Date.h"
#include "platform/IniFiles.h"
#include "platform/Translate.h"
#include "platform/ui/HelpBrowser.h"
#include "platform/ui/MessageBox.h"
#include "platform/ui/PrinterSetup.h"
#include "platform/ui/Procedures.h"
#include "platform/ui/WindowTranslation.h"
#include "sync/CalDav.h"
#include "translator/Lingua.h"

namespace tko {

namespace {

// How often a running station syncs its user's calendar.
constexpr int kCalendarSyncIntervalMs = 5 * 60 * 1000;

enum class MenuKind { Menu, Procedure, Command, Exit };

// The menu bar in order: a menu, or an item of the menu named `parent` (the
// menu bar itself when null). A Procedure item runs a procedure registered
// under that name; a Command item one of the frame's own commands.
struct MenuEntry {
    MenuKind kind;
    const char* parent;
    const char* name;
    const char* text;
    const char* procedure = nullptr;
    bool administrator = false;  // enabled for System Administrators only
    bool separatorBefore = false;
};

constexpr MenuEntry kMenuEntries[] = {
    {MenuKind::Menu, nullptr, "fileMenu", "&File"},
    {MenuKind::Command, "fileMenu", "systemPreferencesAction", "&System Preferences", nullptr,
     true},
    {MenuKind::Menu, "fileMenu", "usersMenu", "&Users", nullptr, true},
    {MenuKind::Procedure, "usersMenu", "addEditUsersAction", "&Add/Edit Users", "BrowseUsers"},
    {MenuKind::Procedure, "usersMenu", "userGroupsAction", "User &Groups", "BrowseUserGroups"},
    {MenuKind::Command, "fileMenu", "userPreferencesAction", "User P&references"},
    {MenuKind::Command, "fileMenu", "changePasswordAction", "&Change Password"},
    {MenuKind::Procedure, "fileMenu", "languageAction", "&Language...", "UserLanguageSelect"},
    {MenuKind::Command, "fileMenu", "printSetupAction", "&Print Setup"},
    {MenuKind::Procedure, "fileMenu", "exportDbaseAction", "&Export to dBase", "ExportToDbase",
     true},
    {MenuKind::Procedure, "fileMenu", "importTasksAction", "&Import Tasks...", "ImportTasks"},
    {MenuKind::Exit, "fileMenu", "exitAction", "E&xit", nullptr, false, true},

    {MenuKind::Menu, nullptr, "editMenu", "E&dit"},
    {MenuKind::Procedure, "editMenu", "findAction", "&Find...", "FindInOffice"},

    {MenuKind::Menu, nullptr, "assignmentsMenu", "&Assignments"},
    {MenuKind::Procedure, "assignmentsMenu", "dueNowAction", "Assignments &Due Now",
     "BrowseDueAssignments"},
    {MenuKind::Procedure, "assignmentsMenu", "currentRemindersAction", "Current &Reminders",
     "BrowseReminders"},
    {MenuKind::Procedure, "assignmentsMenu", "unseenAction", "&Unseen Assignments",
     "BrowseUnseenAssignments"},
    {MenuKind::Procedure, "assignmentsMenu", "addAssignmentAction", "&Add Assignment (1 Person)",
     "UpdateAssignment"},
    {MenuKind::Procedure, "assignmentsMenu", "addGroupAssignmentAction", "Add Assignment (&Group)",
     "UpdateGroupAssignment"},
    {MenuKind::Procedure, "assignmentsMenu", "deleteAssignmentAction", "D&elete An Assignment",
     "DeleteAssignment"},
    {MenuKind::Procedure, "assignmentsMenu", "deleteBatchDateAction", "Delete by &Batch (Date)",
     "DeleteBatchByDate", true},
    {MenuKind::Procedure, "assignmentsMenu", "deleteBatchPersonAction", "Delete by Batch (&Person)",
     "DeleteBatchByPerson", true},

    {MenuKind::Menu, nullptr, "peopleMenu", "&People"},
    {MenuKind::Procedure, "peopleMenu", "addPersonAction", "&Add Person", "UpdatePeople"},
    {MenuKind::Procedure, "peopleMenu", "browsePeopleAction", "&Browse People", "BrowsePeople"},
    {MenuKind::Procedure, "peopleMenu", "anniversariesAction", "A&nniversary Dates",
     "BrowseAnniversaries"},
    {MenuKind::Procedure, "peopleMenu", "groupListsAction", "&Group Lists", "BrowseGroupLists"},
    {MenuKind::Menu, "peopleMenu", "addressBookMenu", "&Print Address Book"},
    {MenuKind::Procedure, "addressBookMenu", "addressByShortNameAction", "By &Short Name",
     "ReportAddressBookByShortName"},
    {MenuKind::Procedure, "addressBookMenu", "addressByLastNameAction", "By &Last Name",
     "ReportAddressBookByLastName"},

    {MenuKind::Menu, nullptr, "lookForwardMenu", "&Look Forward"},
    {MenuKind::Procedure, "lookForwardMenu", "lookForwardGeneralAction", "Look Forward &General",
     "LookForwardGeneral"},
    {MenuKind::Procedure, "lookForwardMenu", "lookForwardPersonAction", "Look Forward &Person",
     "LookForwardPerson"},
    {MenuKind::Procedure, "lookForwardMenu", "lookForwardGroupAction", "Look Forward G&roup",
     "LookForwardGroup"},

    {MenuKind::Procedure, nullptr, "calendarAction", "&Calendar", "Calendar"},

    {MenuKind::Menu, nullptr, "historyMenu", "&History"},
    {MenuKind::Procedure, "historyMenu", "historyGeneralAction", "History &General",
     "HistoryGeneral"},
    {MenuKind::Procedure, "historyMenu", "historyPersonAction", "History &Person", "HistoryPerson"},
    {MenuKind::Procedure, "historyMenu", "historyGroupAction", "History G&roup", "HistoryGroup"},

    {MenuKind::Procedure, nullptr, "projectAction", "P&roject", "BrowseProjects"},
    {MenuKind::Procedure, nullptr, "reportsAction", "Rep&orts", "ReportSelection"},

    {MenuKind::Menu, nullptr, "helpMenu", "H&elp"},
    {MenuKind::Command, "helpMenu", "helpContentsAction", "&Contents"},
    {MenuKind::Command, "helpMenu", "helpSearchAction", "&Search for Help On..."},
    {MenuKind::Command, "helpMenu", "helpHowToAction", "&How to Use Help"},
    {MenuKind::Command, "helpMenu", "aboutAction", "&About TASKORBIT", nullptr, false, true},
};

// The toolbar: a button for the menu item named `item`.
struct ToolButton {
    const char* item;
    const char* name;
    const char* text;
    const char* tip;
    QStyle::StandardPixmap icon;
};

constexpr ToolButton kToolButtons[] = {
    {"addAssignmentAction", "addAssignmentButton", "Add", "Add new assignment",
     QStyle::SP_FileDialogNewFolder},
    {"dueNowAction", "dueNowButton", "Due Now", "View assignments due now",
     QStyle::SP_MessageBoxWarning},
    {"currentRemindersAction", "remindersButton", "Reminders", "View current reminders",
     QStyle::SP_MessageBoxInformation},
    {"addPersonAction", "addPersonButton", "Person", "Add new person", QStyle::SP_FileIcon},
    {"browsePeopleAction", "browsePeopleButton", "People", "Browse people", QStyle::SP_DirIcon},
    {"lookForwardGeneralAction", "lookForwardGeneralButton", "Forward", "Look Forward (General)",
     QStyle::SP_ArrowForward},
    {"lookForwardPersonAction", "lookForwardPersonButton", "Fwd Person", "Look Forward (Person)",
     QStyle::SP_MediaSeekForward},
    {"calendarAction", "calendarButton", "Calendar", "Calendar of the office's work",
     QStyle::SP_FileDialogDetailedView},
    {"historyGeneralAction", "historyGeneralButton", "History", "History (General)",
     QStyle::SP_ArrowBack},
    {"historyPersonAction", "historyPersonButton", "Hist Person", "History (Person)",
     QStyle::SP_MediaSeekBackward},
};

}  // namespace

MainFrame::MainFrame(Workspace& workspace, QWidget* parent)
    : QMainWindow(parent), m_workspace(workspace) {
    setObjectName(QStringLiteral("MainFrame"));
    setWindowTitle(QStringLiteral("TASKORBIT Multi-User"));
    setWhatsThis(QStringLiteral("~Main_Window"));
    resize(900, 600);
    buildMenus();
    setAdministratorItems(false);
    auto* welcome = new QLabel(this);
    welcome->setObjectName(QStringLiteral("welcomeLabel"));
    welcome->setAlignment(Qt::AlignCenter);
    welcome->setText(QStringLiteral("<h1>TASKORBIT</h1><p>Multi-User</p>"));
    welcome->setStyleSheet(
        QStringLiteral("QLabel#welcomeLabel { color: #34506b; background: #eef2f6; }"));
    setCentralWidget(welcome);
    statusBar()->showMessage(QString());
    m_connectionLabel = new QLabel(this);
    m_connectionLabel->setObjectName(QStringLiteral("connectionLabel"));
    m_connectionLabel->setStyleSheet(QStringLiteral("QLabel { color: #a00000; }"));
    m_connectionLabel->hide();
    statusBar()->addPermanentWidget(m_connectionLabel);
    m_workLabel = new QLabel(this);
    m_workLabel->setObjectName(QStringLiteral("workStatusLabel"));
    statusBar()->addPermanentWidget(m_workLabel);
    m_calendarLabel = new QLabel(this);
    m_calendarLabel->setObjectName(QStringLiteral("calendarStatusLabel"));
    m_calendarLabel->hide();
    statusBar()->addPermanentWidget(m_calendarLabel);
    m_calendarTimer = new QTimer(this);
    m_calendarTimer->setInterval(kCalendarSyncIntervalMs);
    connect(m_calendarTimer, &QTimer::timeout, this, &MainFrame::syncCalendar);
    if (ChangeWatcher* watcher =
            m_workspace.db ? ChangeWatcher::of(m_workspace.db->engine()) : nullptr) {
        connect(watcher, &ChangeWatcher::changed, this, [this](const store::ChangeNotice& notice) {
            if (notice.touches("ASSIGNMENT")) refreshWorkStatus();
        });
        connect(watcher, &ChangeWatcher::connectionChanged, this, &MainFrame::connectionChanged);
    }
}

void MainFrame::refreshWorkStatus() {
    const std::string& user = m_workspace.session.GlobalUser;
    if (user.empty() || !m_workspace.db) return;
    std::int64_t due = 0;
    bool unseen = false;
    if (!countDueAssignments(*m_workspace.db, user, Clock::today(), due).ok() ||
        !hasUnseenAssignment(*m_workspace.db, user, unseen).ok())
        return;  // kept as it was; the next change notice tries again
    QString text = QString::fromStdString(translateText("Due now")) + QStringLiteral(": ") +
                   QString::number(due);
    if (unseen)
        text += QStringLiteral("  ") +
                QString::fromStdString(translateText("You have unseen or changed assignments"));
    m_workLabel->setText(text);
    if (m_notifier) m_notifier->setDueCount(due);
}

void MainFrame::syncCalendar() {
    if (m_workspace.session.GlobalUser.empty() || !m_workspace.db) return;
    if (m_calendarThread) return;  // the last round still waits for the server
    auto result = std::make_shared<sync::StationSyncResult>();
    const DataSource source = m_workspace.source;
    const Session session = m_workspace.session;
    const std::atomic<bool>* stop = &m_stopCalendar;
    m_calendarThread = QThread::create([source, session, stop, result] {
        *result = sync::syncOnOwnConnection(source, session, stop);
    });
    // Delivered on the window's thread, once the sync's thread has ended.
    connect(m_calendarThread, &QThread::finished, this, [this, result] {
        m_calendarThread->deleteLater();
        m_calendarThread = nullptr;
        calendarSynced(*result);
    });
    m_calendarThread->start();
}

void MainFrame::calendarSynced(const sync::StationSyncResult& result) {
    if (!result.hasAccount || result.storeFailed) return;  // nothing to tell; next round
    if (result.report.reachable) {
        m_calendarLabel->hide();
        if (result.report.concluded + result.report.changed > 0) refreshWorkStatus();
        return;
    }
    m_calendarLabel->setText(QString::fromStdString(
        translateText("The calendar server cannot be reached; trying again later.")));
    m_calendarLabel->show();
}

MainFrame::~MainFrame() {
    if (!m_calendarThread) return;
    m_stopCalendar = true;
    m_calendarThread->wait();
    delete m_calendarThread;
}

void MainFrame::connectionChanged(bool lost) {
    if (lost) {
        m_connectionLabel->setText(QString::fromStdString(
            translateText("Connection to the data lost; reconnecting. Unsaved changes are kept.")));
        m_connectionLabel->show();
        return;
    }
    m_connectionLabel->hide();
    statusBar()->showMessage(QString::fromStdString(translateText("Connection restored")), 5000);
    refreshWorkStatus();
}

QAction* MainFrame::action(const QString& objectName) const {
    return m_actions.value(objectName);
}

QAction* MainFrame::addItem(QMenu* menu, const char* name, const QString& text,
                            void (MainFrame::*slot)()) {
    auto* action = menu->addAction(text);
    action->setObjectName(QLatin1String(name));
    connect(action, &QAction::triggered, this, slot);
    m_actions.insert(action->objectName(), action);
    return action;
}

// An item that opens a registered procedure; one not registered says so (message 6).
QAction* MainFrame::addPending(QWidget* menu, const char* name, const QString& text,
                               const char* procedure) {
    auto* action = menu->addAction(text);
    action->setObjectName(QLatin1String(name));
    connect(action, &QAction::triggered, this, [this, procedure] {
        if (!procedures().run(QLatin1String(procedure), this, m_workspace)) notDefined(procedure);
    });
    m_actions.insert(action->objectName(), action);
    return action;
}

void MainFrame::notDefined(const char* procedure) {
    MessageBox::showStandard(this, 6, QLatin1String(procedure));
}

void MainFrame::buildMenus() {
    // The frame's own commands, by the object name of their item.
    const std::pair<const char*, void (MainFrame::*)()> commands[] = {
        {"systemPreferencesAction", &MainFrame::openSystemPreferences},
        {"userPreferencesAction", &MainFrame::openUserPreferences},
        {"changePasswordAction", &MainFrame::openChangePassword},
        {"printSetupAction", &MainFrame::openPrintSetup},
        {"helpContentsAction", &MainFrame::openHelpContents},
        {"helpSearchAction", &MainFrame::openHelpSearch},
        {"helpHowToAction", &MainFrame::openHelpHowTo},
        {"aboutAction", &MainFrame::openAbout}};
    QMap<QString, QMenu*> menus;
    for (const MenuEntry& e : kMenuEntries) {
        QMenu* parent = e.parent ? menus.value(QLatin1String(e.parent)) : nullptr;
        if (parent && e.separatorBefore) parent->addSeparator();
        const QString text = QLatin1String(e.text);
        QAction* item = nullptr;
        switch (e.kind) {
            case MenuKind::Menu: {
                QMenu* menu = parent ? parent->addMenu(text) : menuBar()->addMenu(text);
                menu->setObjectName(QLatin1String(e.name));
                menus.insert(menu->objectName(), menu);
                item = menu->menuAction();
                // A sub-menu's own item is named too, so that rights can grey it.
                if (parent) m_actions.insert(menu->objectName() + QStringLiteral("Action"), item);
                break;
            }
            case MenuKind::Procedure:
                item = addPending(parent ? static_cast<QWidget*>(parent) : menuBar(), e.name, text,
                                  e.procedure);
                break;
            case MenuKind::Command:
                // Commands and Exit are items of a menu; the table gives each one.
                if (!parent) break;
                for (const auto& [name, slot] : commands)
                    if (qstrcmp(name, e.name) == 0) item = addItem(parent, e.name, text, slot);
                break;
            case MenuKind::Exit:
                if (!parent) break;
                item = parent->addAction(text);
                item->setObjectName(QLatin1String(e.name));
                connect(item, &QAction::triggered, this, &QWidget::close);
                m_actions.insert(item->objectName(), item);
                break;
        }
        if (item && e.administrator) m_adminActions << item;
    }

    if (QAction* find = action(QStringLiteral("findAction"))) find->setShortcut(QKeySequence::Find);

    // The toolbar repeats the most used items, each with its tool tip.
    QToolBar* tools = addToolBar(QStringLiteral("Toolbar"));
    tools->setObjectName(QStringLiteral("mainToolBar"));
    tools->setToolButtonStyle(Qt::ToolButtonTextUnderIcon);
    tools->setMovable(false);
    for (const ToolButton& b : kToolButtons) {
        auto* button = tools->addAction(style()->standardIcon(b.icon), QLatin1String(b.text));
        button->setObjectName(QLatin1String(b.name));
        button->setToolTip(QLatin1String(b.tip));
        button->setStatusTip(QLatin1String(b.tip));
        connect(button, &QAction::triggered, action(QLatin1String(b.item)), &QAction::trigger);
        m_actions.insert(button->objectName(), button);
    }
}

void MainFrame::setAdministratorItems(bool enabled) {
    for (QAction* a : m_adminActions) a->setEnabled(enabled);
}

void MainFrame::restorePlacement() {
    FramePlacement p = readFramePlacement(mainIniPath(m_workspace.programDir));
    if (p.x != 0 && !isMaximized()) {
        std::vector<QRect> screens;
        for (const QScreen* screen : QGuiApplication::screens())
            screens.push_back(screen->availableGeometry());
        p = fitPlacement(p, screens, size());
        if (p.width > 0 && p.height > 0) resize(p.width, p.height);
        move(p.x, p.y);  // the outer frame's position, as it was stored
    }
    if (p.maximize) setWindowState(windowState() | Qt::WindowMaximized);
}

bool MainFrame::startUp(bool stopAtLogIn) {
    for (const StartupResult& r :
         {ensureFirstAccount(*m_workspace.db), ensureAllUsersGroup(*m_workspace.db),
          nameOwnPersonEntries(*m_workspace.db)}) {
        if (!r.ok) {
            emit fatalError(QString::fromStdString(r.error));
            return false;
        }
    }
    std::vector<SystemPref> prefs;
    store::ReadRequest first;
    first.limit = 1;
    if (!m_workspace.db->read(first, prefs).ok()) {
        emit fatalError(QString::fromStdString(m_workspace.db->lastError().describe()));
        return false;
    }
    m_workspace.session.transactionOption = transactionOption(prefs.front().TCF);

    LoginWindow login(*m_workspace.db, this);
    if (stopAtLogIn) {
        showTranslated(&login);
        QCoreApplication::processEvents();
        m_reachedLogIn = login.isVisible();
        return false;
    }
    if (execTranslated(&login) != QDialog::Accepted) return false;
    const LoggedIn& user = login.loggedIn();
    if (user.mustChangePassword) {
        // The built-in first password is known to everyone who has the program.
        MessageBox::showText(this,
                             QStringLiteral("Please choose your own password before going on."),
                             QStringLiteral("Change User Password"));
        ChangePasswordDialog change(*m_workspace.db, user.userName, this);
        if (execTranslated(&change) != QDialog::Accepted) {
            if (change.fatalFailure())
                emit fatalError(QStringLiteral("Error in USERS, old password retained"));
            else
                MessageBox::showText(this, QString::fromStdString(kPasswordNotChangedText),
                                     QStringLiteral("Change User Password"));
            return false;
        }
    }
    enterSession(user.userName, user.accessLevel);
    return true;
}

void MainFrame::enterSession(const std::string& user, int accessLevel) {
    m_workspace.session.GlobalUser = user;
    m_workspace.session.GlobalUserAccess = accessLevel;
    applyUserLanguage(m_workspace);  // the user's own language, if chosen before
    m_workspace.session.languageFile = lastCharacters(CurrentLangFile().toStdString(), 11);
    setAdministratorItems(accessLevel == levelNumber(AccessLevel::SystemAdministrator));
    statusBar()->showMessage(QString::fromStdString(user));
    startDesktopNotices();
    refreshWorkStatus();
    showStartupAlerts();
    syncCalendar();
    m_calendarTimer->start();
}

void MainFrame::startDesktopNotices() {
    delete m_notifier;
    m_notifier = new DesktopNotifier(m_workspace, this);
    connect(m_notifier, &DesktopNotifier::assignmentChosen, this, [this](std::int32_t number) {
        Assignment a;
        if (m_workspace.services.openAssignmentForm &&
            m_workspace.db->fetch(key::ASS_NUMBER_KEY, {std::int64_t{number}}, a).ok())
            m_workspace.services.openAssignmentForm(this, m_workspace, Request::Change, a);
    });
    connect(m_notifier, &DesktopNotifier::remindersChosen, this, [this] {
        if (!procedures().run(QStringLiteral("BrowseReminders"), this, m_workspace))
            notDefined("BrowseReminders");
    });
    connect(m_notifier, &DesktopNotifier::outboxChosen, this, [this] { openMailSettings(this); });
    // What is due now was told by the log-in's alert.
    m_notifier->poll(false);
}

void MainFrame::openMailSettings(QWidget* parent) {
    if (!m_workspace.session.isSystemAdministrator()) return;
    MailSettingsDialog mail(*m_workspace.db, m_workspace.session, m_workspace.programDir, parent);
    execTranslated(&mail);
}

void MainFrame::showStartupAlerts() {
    QApplication::setOverrideCursor(Qt::WaitCursor);
    StartupAlerts alerts;
    const Status s =
        startupAlerts(*m_workspace.db, m_workspace.session.GlobalUser, Clock::today(), alerts);
    QApplication::restoreOverrideCursor();
    if (!s.ok()) {
        MessageBox::showStandard(this, 35,
                                 QString::fromStdString(m_workspace.db->lastError().describe()),
                                 QStringLiteral("ASSIGNMENT"));
        return;
    }
    // Each alert offers the list it is about; its title names that list.
    auto openList = [this](const char* procedure) {
        if (!procedures().run(QLatin1String(procedure), this, m_workspace)) notDefined(procedure);
    };
    // Yes and No answer a question: the alert says what there is and asks
    // whether to open the list.
    auto ask = [this](const std::string& statement, const QString& title) {
        const QString text = QString::fromStdString(statement) + QStringLiteral("\n\n") +
                             QString::fromStdString(translateText("Do you want to see them now?"));
        return MessageBox::showText(this, QStringLiteral("%1"), title, MessageButtons::YesNo,
                                    {text}, MessageBox::Icon::Question) == Answer::Yes;
    };
    if (alerts.dueList != DueList::None) {
        const bool assignments = alerts.dueList == DueList::Assignments;
        const char* list = assignments ? "BrowseDueAssignments" : "BrowseReminders";
        const QString title = assignments ? QStringLiteral("Assignments Due Now")
                                          : QStringLiteral("Current Reminders");
        if (ask(translateText("You have reminders or assignments due for today"), title))
            openList(list);
    }
    if (alerts.unseen && ask(translateText("You have unseen or changed assignments"),
                             QStringLiteral("View Unseen or Changed Assignments")))
        openList("BrowseUnseenAssignments");
    activateWindow();
}

bool MainFrame::saveOnClose() {
    noteFrameEdges();
    const FramePlacement placement = placementToStore(normalGeometry(), m_frameEdges);
    writeFramePlacement(mainIniPath(m_workspace.programDir), isMaximized(), isMinimized(),
                        placement);
    // The user is done once the windows go: a backup of a large office goes on
    // for some seconds after they are gone, and only a question or a failure
    // is shown then.
    for (QWidget* window : QApplication::topLevelWidgets()) window->hide();
    QApplication::setOverrideCursor(Qt::WaitCursor);
    const BackupResult backup = closingBackup(
        *m_workspace.db, m_workspace.source.directory, Clock::today(), Clock::now(),
        [](const std::string& question) {
            QApplication::restoreOverrideCursor();
            const bool yes = MessageBox::showText(nullptr, QString::fromStdString(question),
                                                  QStringLiteral("Back Up"), MessageButtons::YesNo,
                                                  {}, MessageBox::Icon::Question) == Answer::Yes;
            QApplication::setOverrideCursor(Qt::WaitCursor);
            return yes;
        });
    QApplication::restoreOverrideCursor();
    if (backup.fatal) {
        emit fatalError(QString::fromStdString(backup.error));
        return false;
    }
    // A failed copy is said, so that nobody relies on a backup that is not there.
    if (!backup.copyError.empty())
        MessageBox::showText(nullptr, QString::fromStdString(backup.copyError),
                             QStringLiteral("Back Up"), MessageButtons::Ok, {},
                             MessageBox::Icon::Warning);
    return true;
}

void MainFrame::moveEvent(QMoveEvent* event) {
    QMainWindow::moveEvent(event);
    noteFrameEdges();
}

void MainFrame::noteFrameEdges() {
    if (windowState() & (Qt::WindowMaximized | Qt::WindowMinimized | Qt::WindowFullScreen)) return;
    const QRect frame = frameGeometry(), client = geometry();
    m_frameEdges = QMargins(client.left() - frame.left(), client.top() - frame.top(),
                            frame.right() - client.right(), frame.bottom() - client.bottom());
}

void MainFrame::closeEvent(QCloseEvent* event) {
    if (!m_closing) {
        m_closing = true;
        // Only a logged-in session opened the tables for real work.
        if (!m_workspace.session.GlobalUser.empty()) saveOnClose();
    }
    QMainWindow::closeEvent(event);
    QApplication::closeAllWindows();
}

void MainFrame::openSystemPreferences() {
    SystemSettingsDialog dialog(*m_workspace.db, this, m_workspace.source);
    connect(dialog.mailButton(), &QPushButton::clicked, &dialog,
            [this, &dialog] { openMailSettings(&dialog); });
    if (dialog.loaded()) execTranslated(&dialog);
}

void MainFrame::openUserPreferences() {
    UserPrefsDialog dialog(*m_workspace.db, m_workspace.session.GlobalUser, this);
    connect(dialog.languageButton(), &QPushButton::clicked, &dialog, [this, &dialog] {
        if (!procedures().run(QStringLiteral("UserLanguageSelect"), &dialog, m_workspace))
            notDefined("UserLanguageSelect");
    });
    execTranslated(&dialog);
}

void MainFrame::openChangePassword() {
    ChangePasswordDialog dialog(*m_workspace.db, m_workspace.session.GlobalUser, this);
    execTranslated(&dialog);
    if (dialog.fatalFailure())
        emit fatalError(QStringLiteral("Error in USERS, old password retained"));
}

void MainFrame::openPrintSetup() {
    PrinterSetup::run(this);
}

void MainFrame::openHelpContents() {
    HelpBrowser::showHelp(QString(), this);
}

void MainFrame::openHelpSearch() {
    HelpBrowser::showSearch(this);
}

void MainFrame::openHelpHowTo() {
    HelpBrowser::showHelp(QStringLiteral("~How_To_Use_Help"), this);
}

void MainFrame::openAbout() {
    MessageBox::showText(
        this, QStringLiteral("TASKORBIT Multi-User %1\nTranslator %2\nLanguage file: %3"),
        QStringLiteral("About TASKORBIT"), MessageButtons::Ok,
        {QStringLiteral(PROJECT_VERSION_TEXT), TranslatorVersion(), CurrentLangFile()});
}

}  // namespace tko
