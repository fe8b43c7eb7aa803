#include "app/ui/MainFrame.h"

#include <QApplication>
#include <QCloseEvent>
#include <QDialog>
#include <QGuiApplication>
#include <QLabel>
#include <QMenuBar>
#include <QScreen>
#include <QStatusBar>
#include <QStyle>
#include <QToolBar>

#include "app/Backup.h"
#include "app/FirstRun.h"
#include "app/IniFiles.h"
#include "app/StartupAlerts.h"
#include "app/ui/ChangePasswordDialog.h"
#include "app/ui/LoginWindow.h"
#include "app/ui/SystemSettingsDialog.h"
#include "app/ui/UserPrefsDialog.h"
#include "data/Messages.h"
#include "platform/Date.h"
#include "platform/ui/HelpBrowser.h"
#include "platform/ui/MessageBox.h"
#include "platform/ui/PrinterSetup.h"
#include "platform/ui/Procedures.h"
#include "platform/ui/WindowTranslation.h"
#include "translator/Lingua.h"

namespace tko {

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
QAction* MainFrame::addPending(QMenu* menu, const char* name, const QString& text,
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
    QMenu* file = menuBar()->addMenu(QStringLiteral("&File"));
    file->setObjectName(QStringLiteral("fileMenu"));
    m_adminActions << addItem(file, "systemPreferencesAction",
                              QStringLiteral("&System Preferences"),
                              &MainFrame::openSystemPreferences);
    QMenu* users = file->addMenu(QStringLiteral("&Users"));
    users->setObjectName(QStringLiteral("usersMenu"));
    m_adminActions << users->menuAction();
    m_actions.insert(QStringLiteral("usersMenuAction"), users->menuAction());
    addPending(users, "addEditUsersAction", QStringLiteral("&Add/Edit Users"), "BrowseUsers");
    addPending(users, "userGroupsAction", QStringLiteral("User &Groups"), "BrowseUserGroups");
    addItem(file, "userPreferencesAction", QStringLiteral("User P&references"),
            &MainFrame::openUserPreferences);
    addItem(file, "changePasswordAction", QStringLiteral("&Change Password"),
            &MainFrame::openChangePassword);
    addItem(file, "printSetupAction", QStringLiteral("&Print Setup"), &MainFrame::openPrintSetup);
    m_adminActions << addPending(file, "exportDbaseAction", QStringLiteral("&Export to dBase"),
                                 "ExportToDbase");
    file->addSeparator();
    auto* exit = file->addAction(QStringLiteral("E&xit"));
    exit->setObjectName(QStringLiteral("exitAction"));
    connect(exit, &QAction::triggered, this, &QWidget::close);
    m_actions.insert(exit->objectName(), exit);

    QMenu* assignments = menuBar()->addMenu(QStringLiteral("&Assignments"));
    assignments->setObjectName(QStringLiteral("assignmentsMenu"));
    QAction* dueNow = addPending(assignments, "dueNowAction",
                                 QStringLiteral("Assignments &Due Now"), "BrowseDueAssignments");
    QAction* reminders = addPending(assignments, "currentRemindersAction",
                                    QStringLiteral("Current &Reminders"), "BrowseReminders");
    addPending(assignments, "unseenAction", QStringLiteral("&Unseen Assignments"),
               "BrowseUnseenAssignments");
    QAction* addAssignment =
        addPending(assignments, "addAssignmentAction", QStringLiteral("&Add Assignment (1 Person)"),
                   "UpdateAssignment");
    addPending(assignments, "addGroupAssignmentAction", QStringLiteral("Add Assignment (&Group)"),
               "UpdateGroupAssignment");
    addPending(assignments, "deleteAssignmentAction", QStringLiteral("D&elete An Assignment"),
               "DeleteAssignment");
    m_adminActions << addPending(assignments, "deleteBatchDateAction",
                                 QStringLiteral("Delete by &Batch (Date)"), "DeleteBatchByDate");
    m_adminActions << addPending(assignments, "deleteBatchPersonAction",
                                 QStringLiteral("Delete by Batch (&Person)"),
                                 "DeleteBatchByPerson");

    QMenu* people = menuBar()->addMenu(QStringLiteral("&People"));
    people->setObjectName(QStringLiteral("peopleMenu"));
    QAction* addPerson =
        addPending(people, "addPersonAction", QStringLiteral("&Add Person"), "UpdatePeople");
    QAction* browsePeople =
        addPending(people, "browsePeopleAction", QStringLiteral("&Browse People"), "BrowsePeople");
    addPending(people, "anniversariesAction", QStringLiteral("A&nniversary Dates"),
               "BrowseAnniversaries");
    addPending(people, "groupListsAction", QStringLiteral("&Group Lists"), "BrowseGroupLists");
    QMenu* addressBook = people->addMenu(QStringLiteral("&Print Address Book"));
    addressBook->setObjectName(QStringLiteral("addressBookMenu"));
    addPending(addressBook, "addressByShortNameAction", QStringLiteral("By &Short Name"),
               "ReportAddressBookByShortName");
    addPending(addressBook, "addressByLastNameAction", QStringLiteral("By &Last Name"),
               "ReportAddressBookByLastName");

    QMenu* lookForward = menuBar()->addMenu(QStringLiteral("&Look Forward"));
    lookForward->setObjectName(QStringLiteral("lookForwardMenu"));
    QAction* lfGeneral = addPending(lookForward, "lookForwardGeneralAction",
                                    QStringLiteral("Look Forward &General"), "LookForwardGeneral");
    QAction* lfPerson = addPending(lookForward, "lookForwardPersonAction",
                                   QStringLiteral("Look Forward &Person"), "LookForwardPerson");
    addPending(lookForward, "lookForwardGroupAction", QStringLiteral("Look Forward G&roup"),
               "LookForwardGroup");

    QMenu* history = menuBar()->addMenu(QStringLiteral("&History"));
    history->setObjectName(QStringLiteral("historyMenu"));
    QAction* hGeneral = addPending(history, "historyGeneralAction",
                                   QStringLiteral("History &General"), "HistoryGeneral");
    QAction* hPerson = addPending(history, "historyPersonAction", QStringLiteral("History &Person"),
                                  "HistoryPerson");
    addPending(history, "historyGroupAction", QStringLiteral("History G&roup"), "HistoryGroup");

    auto* project = menuBar()->addAction(QStringLiteral("P&roject"));
    project->setObjectName(QStringLiteral("projectAction"));
    connect(project, &QAction::triggered, this, [this] {
        if (!procedures().run(QStringLiteral("BrowseProjects"), this, m_workspace))
            notDefined("BrowseProjects");
    });
    m_actions.insert(project->objectName(), project);
    auto* reports = menuBar()->addAction(QStringLiteral("Rep&orts"));
    reports->setObjectName(QStringLiteral("reportsAction"));
    connect(reports, &QAction::triggered, this, [this] {
        if (!procedures().run(QStringLiteral("ReportSelection"), this, m_workspace))
            notDefined("ReportSelection");
    });
    m_actions.insert(reports->objectName(), reports);

    QMenu* help = menuBar()->addMenu(QStringLiteral("Hel&p"));
    help->setObjectName(QStringLiteral("helpMenu"));
    addItem(help, "helpContentsAction", QStringLiteral("&Contents"), &MainFrame::openHelpContents);
    addItem(help, "helpSearchAction", QStringLiteral("&Search for Help On..."),
            &MainFrame::openHelpSearch);
    addItem(help, "helpHowToAction", QStringLiteral("&How to Use Help"), &MainFrame::openHelpHowTo);
    help->addSeparator();
    addItem(help, "aboutAction", QStringLiteral("&About TASKORBIT"), &MainFrame::openAbout);

    // The toolbar repeats the most used items, each with its tool tip.
    QToolBar* tools = addToolBar(QStringLiteral("Toolbar"));
    tools->setObjectName(QStringLiteral("mainToolBar"));
    tools->setToolButtonStyle(Qt::ToolButtonTextUnderIcon);
    tools->setMovable(false);
    struct Button {
        QAction* item;
        const char* name;
        const char* text;
        const char* tip;
        QStyle::StandardPixmap icon;
    };
    const Button buttons[] = {
        {addAssignment, "addAssignmentButton", "Add", "Add new assignment",
         QStyle::SP_FileDialogNewFolder},
        {dueNow, "dueNowButton", "Due Now", "View assignments due now",
         QStyle::SP_MessageBoxWarning},
        {reminders, "remindersButton", "Reminders", "View current reminders",
         QStyle::SP_MessageBoxInformation},
        {addPerson, "addPersonButton", "Person", "Add new person", QStyle::SP_FileIcon},
        {browsePeople, "browsePeopleButton", "People", "Browse people", QStyle::SP_DirIcon},
        {lfGeneral, "lookForwardGeneralButton", "Forward", "Look Forward (General)",
         QStyle::SP_ArrowForward},
        {lfPerson, "lookForwardPersonButton", "Fwd Person", "Look Forward (Person)",
         QStyle::SP_MediaSeekForward},
        {hGeneral, "historyGeneralButton", "History", "History (General)", QStyle::SP_ArrowBack},
        {hPerson, "historyPersonButton", "Hist Person", "History (Person)",
         QStyle::SP_MediaSeekBackward},
    };
    for (const Button& b : buttons) {
        auto* button = tools->addAction(style()->standardIcon(b.icon), QLatin1String(b.text));
        button->setObjectName(QLatin1String(b.name));
        button->setToolTip(QLatin1String(b.tip));
        button->setStatusTip(QLatin1String(b.tip));
        connect(button, &QAction::triggered, b.item, &QAction::trigger);
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
        p = fitPlacement(p, screens);
        if (p.width > 0 && p.height > 0) resize(p.width, p.height);
        move(p.x, p.y);
    }
    if (p.maximize) setWindowState(windowState() | Qt::WindowMaximized);
}

bool MainFrame::startUp() {
    const std::string allUsers = translateText("All users");
    for (const StartupResult& r : {ensureFirstAccount(*m_workspace.db, allUsers),
                                   ensureAllUsersGroup(*m_workspace.db, allUsers)}) {
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
    if (execTranslated(&login) != QDialog::Accepted) return false;
    const LoginOutcome& outcome = login.outcome();
    if (outcome.kind == LoginOutcome::MustChangePassword) {
        // The built-in first password is known to everyone who has the program.
        MessageBox::showText(this,
                             QStringLiteral("Please choose your own password before going on."),
                             QStringLiteral("Change User Password"));
        ChangePasswordDialog change(*m_workspace.db, outcome.userName, this);
        if (execTranslated(&change) != QDialog::Accepted) {
            if (change.fatalFailure())
                emit fatalError(QStringLiteral("Error in USERS, old password retained"));
            return false;
        }
    }
    enterSession(outcome.userName, outcome.accessLevel);
    return true;
}

void MainFrame::enterSession(const std::string& user, int accessLevel) {
    m_workspace.session.GlobalUser = user;
    m_workspace.session.GlobalUserAccess = accessLevel;
    m_workspace.session.languageFile = lastCharacters(CurrentLangFile().toStdString(), 11);
    setAdministratorItems(accessLevel == levelNumber(AccessLevel::SystemAdministrator));
    statusBar()->showMessage(QString::fromStdString(user));
    showStartupAlerts();
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
    if (alerts.due) {
        // The alert covers reminders only when no assignment is due.
        bool assignmentDue = false;
        hasDueAssignment(*m_workspace.db, m_workspace.session.GlobalUser, Clock::today(),
                         assignmentDue);
        const char* list = assignmentDue ? "BrowseDueAssignments" : "BrowseReminders";
        const QString title = assignmentDue ? QStringLiteral("Assignments Due Now")
                                            : QStringLiteral("Current Reminders");
        if (MessageBox::showText(
                this, QStringLiteral("You have reminders or assignments due for today"), title,
                MessageButtons::YesNo, {}, MessageBox::Icon::Question) == Answer::Yes)
            openList(list);
    }
    if (alerts.unseen &&
        MessageBox::showText(this, QStringLiteral("You have unseen or changed assignments"),
                             QStringLiteral("View Unseen or Changed Assignments"),
                             MessageButtons::YesNo, {}, MessageBox::Icon::Question) == Answer::Yes)
        openList("BrowseUnseenAssignments");
    activateWindow();
}

bool MainFrame::saveOnClose() {
    QApplication::setOverrideCursor(Qt::WaitCursor);
    const BackupResult backup = closingBackup(
        *m_workspace.db, m_workspace.source.directory, Clock::today(), Clock::now(),
        [this](const std::string& question) {
            QApplication::restoreOverrideCursor();
            const bool yes = MessageBox::showText(this, QString::fromStdString(question),
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
        MessageBox::showText(this, QString::fromStdString(backup.copyError),
                             QStringLiteral("Back Up"), MessageButtons::Ok, {},
                             MessageBox::Icon::Warning);
    FramePlacement placement;
    const QRect normal = normalGeometry();
    placement.x = normal.x();
    placement.y = normal.y();
    placement.width = normal.width();
    placement.height = normal.height();
    writeFramePlacement(mainIniPath(m_workspace.programDir), isMaximized(), isMinimized(),
                        placement);
    return true;
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
    SystemSettingsDialog dialog(*m_workspace.db, this);
    if (dialog.loaded()) execTranslated(&dialog);
}

void MainFrame::openUserPreferences() {
    UserPrefsDialog dialog(*m_workspace.db, m_workspace.session.GlobalUser, this);
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
    HelpBrowser::showHelp(QString(), this);
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
