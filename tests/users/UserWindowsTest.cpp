// The user administration windows on the offscreen platform: adding a user
// who can then log in, releasing a suspended user, editing the rights lists,
// deleting through the list, the refusals of the form, user groups, the users
// of a limited project, and that a General User never reaches these screens.
// With TKO_SCREENSHOTS=DIR the windows are also saved as PNGs.
#include <QApplication>
#include <QCheckBox>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QRadioButton>
#include <QTabBar>
#include <QTabWidget>
#include <QTableWidget>
#include <QTimer>
#include <QtTest>

#include "access/Rights.h"
#include "app/DemoOffice.h"
#include "app/Login.h"
#include "data/Password.h"
#include "data/Tables.h"
#include "data/Workspace.h"
#include "platform/ui/BrowseList.h"
#include "platform/ui/HelpBrowser.h"
#include "platform/ui/MessageBox.h"
#include "platform/ui/Procedures.h"
#include "support/LoginResult.h"
#include "support/SignedIn.h"
#include "users/UserAccounts.h"
#include "users/ui/LimitedProjectUsersDialog.h"
#include "users/ui/RightsListPanel.h"
#include "users/ui/UserForm.h"
#include "users/ui/UserGroupForm.h"
#include "users/ui/UserGroupsBrowser.h"
#include "users/ui/UserPickers.h"
#include "users/ui/UserScreens.h"
#include "users/ui/UsersBrowser.h"

namespace tko {

class UserWindowsTest : public QObject {
    Q_OBJECT

private:
    QTemporaryDir m_dir;
    std::unique_ptr<Database> m_db;
    Workspace m_workspace;

    static void screenshot(QWidget* w, const char* name) {
        const QByteArray dir = qgetenv("TKO_SCREENSHOTS");
        if (dir.isEmpty()) return;
        w->grab().save(QString::fromLocal8Bit(dir) + QLatin1Char('/') + QLatin1String(name) +
                       QStringLiteral(".png"));
    }

    Workspace& as(const std::string& user, int access) {
        return test::signedIn(m_workspace, m_db.get(), user, access);
    }

    std::optional<User> userNamed(const std::string& name) {
        User u;
        if (!m_db->fetch("USE:USERNAME_KEY", {name}, u).ok()) return std::nullopt;
        return u;
    }

    // Runs `step` on the modal window of type W as soon as it is shown.
    template <class W>
    static void onModal(std::function<void(W*)> step) {
        QTimer::singleShot(0, [step] {
            auto* w = qobject_cast<W*>(QApplication::activeModalWidget());
            if (!w) {
                for (QWidget* top : QApplication::topLevelWidgets())
                    if (auto* f = qobject_cast<W*>(top); f && f->isVisible()) w = f;
            }
            QVERIFY(w);
            step(w);
        });
    }

    static void click(QPushButton* b) {
        QVERIFY(b);
        QVERIFY(b->isEnabled());
        b->click();
    }

    static QPushButton* button(QWidget* w, const char* name) {
        return w->findChild<QPushButton*>(QLatin1String(name));
    }

    static bool shownText(const QString& part) {
        for (const MessageBox::Shown& s : MessageBox::shown())
            if (s.text.contains(part)) return true;
        return false;
    }

    // Selects the row of `name` in a list of users.
    static bool selectUser(BrowseList* list, const QString& name) {
        for (int row = 0; row < 40; ++row) {
            if (list->cellText(row, 0).trimmed() == name) {
                list->view()->selectRow(row);
                return true;
            }
        }
        return false;
    }

private slots:
    void initTestCase() {
        setPasswordCost(PasswordCost::Minimal);
        MessageBox::setTestMode(true);
        QVERIFY(m_dir.isValid());
        m_db = test::newOffice(m_dir);
        QVERIFY(m_db);
        const DemoSummary demo = createDemoOffice(*m_db);
        QVERIFY2(demo.ok, demo.error.c_str());
    }

    void init() {
        MessageBox::clearShown();
        m_workspace.services.pickUsers = {};
        m_workspace.services.pickUserGroup = {};
    }

    void anAdministratorAddsAUserWhoCanThenLogIn() {
        UsersBrowser browser(as("SUPERVISOR", 2));
        onModal<UserForm>([](UserForm* form) {
            form->edit(QStringLiteral("userNameEdit"))->setText(QStringLiteral("NORA"));
            form->edit(QStringLiteral("lastNameEdit"))->setText(QStringLiteral("Nilsen"));
            form->edit(QStringLiteral("passwordEdit"))->setText(QStringLiteral("nora123"));
            form->edit(QStringLiteral("passwordAgainEdit"))->setText(QStringLiteral("nora123"));
            form->accessButton(1)->setChecked(true);
            click(button(form, "okButton"));
        });
        browser.insertUser();
        const std::optional<User> nora = userNamed("NORA");
        QVERIFY(nora);
        QCOMPARE(int(nora->ACCESSLEVEL), 1);
        QCOMPARE(nora->CHANGENAME, std::string("SUPERVISOR"));
        QVERIFY(selectUser(browser.list(), QStringLiteral("NORA")));
        LoginAttempts login(*m_db);
        LoggedIn noraIn;
        QCOMPARE(test::tryLogin(login, "NORA", "nora123", &noraIn), std::string(test::kLoggedIn));
        QCOMPARE(noraIn.accessLevel, 1);
    }

    void aShortPasswordIsRefusedAndTheFormStaysOpen() {
        UserForm form(as("SUPERVISOR", 2), Request::Insert, User{});
        QVERIFY(form.start());
        form.show();
        form.edit(QStringLiteral("userNameEdit"))->setText(QStringLiteral("OSCAR"));
        form.edit(QStringLiteral("passwordEdit"))->setText(QStringLiteral("abcd"));
        form.edit(QStringLiteral("passwordAgainEdit"))->setText(QStringLiteral("abcd"));
        click(button(&form, "okButton"));
        QVERIFY(shownText(QStringLiteral("Password must be at least 5 characters")));
        QVERIFY(form.isVisible());
        QVERIFY(!form.completed());
        QVERIFY(!userNamed("OSCAR"));

        // Pasting more than the field holds is said, not cut silently.
        QLineEdit* last = form.edit(QStringLiteral("lastNameEdit"));
        last->setFocus();
        last->insert(QString(25, QLatin1Char('x')));
        QCOMPARE(last->text().size(), 20);
        QVERIFY(form.notice()->text().contains(QStringLiteral("20")));
        form.close();
    }

    void anAdministratorReleasesASuspendedUser() {
        User ben = *userNamed("BEN");
        ben.FAILFLAG = 1;
        QVERIFY(m_db->change(ben).ok());
        QCOMPARE(test::tryLogin(LoginAttempts(*m_db), "BEN", "demo1"), std::string(kSuspendedText));

        UsersBrowser browser(as("SUPERVISOR", 2));
        QVERIFY(selectUser(browser.list(), QStringLiteral("BEN")));
        screenshot(&browser, "browse-users");
        onModal<UserForm>([](UserForm* form) {
            screenshot(form, "user-form");
            QVERIFY(form->suspendCheck()->isChecked());
            form->suspendCheck()->setChecked(false);
            click(button(form, "okButton"));
        });
        browser.changeUser();
        QCOMPARE(int(userNamed("BEN")->FAILFLAG), 0);
        QCOMPARE(test::tryLogin(LoginAttempts(*m_db), "BEN", "demo1"),
                 std::string(test::kLoggedIn));  // the password was kept
    }

    void theRightsListsAreEditedInMemoryAndSavedWithTheUser() {
        UserForm form(as("SUPERVISOR", 2), Request::Change, *userNamed("BEN"));
        QVERIFY(form.start());
        form.tabs()->setCurrentIndex(1);
        screenshot(&form, "user-form-rights");
        RightsListPanel* assigns = form.rights(QStringLiteral("assignsTo"));
        RightsListPanel* viewedBy = form.rights(QStringLiteral("viewedBy"));
        QVERIFY(assigns && viewedBy);

        m_workspace.services.pickUsers = [](QWidget*, Workspace&) {
            return std::vector<std::string>{"NORA"};
        };
        click(button(assigns, "insertUserButton"));
        QVERIFY(!assigns->list()->findItems(QStringLiteral("NORA"), Qt::MatchExactly).isEmpty());
        // Nothing is written before OK.
        bool granted = true;
        QVERIFY(hasRight(*m_db, Right::Assign, "BEN", "NORA", granted).ok());
        QVERIFY(!granted);

        m_workspace.services.pickUserGroup = [](QWidget*, Workspace&) {
            return std::optional<std::string>("ALL USERS");
        };
        click(button(viewedBy, "addGroupButton"));  // gathered whatever the case of the name
        QVERIFY(std::find(viewedBy->names().begin(), viewedBy->names().end(), "CARLA") !=
                viewedBy->names().end());
        QVERIFY(viewedBy->names().size() >= 4);
        click(button(viewedBy, "deleteGroupButton"));
        QVERIFY(viewedBy->names().empty());
        click(button(&form, "okButton"));
        QVERIFY(form.completed());

        QVERIFY(hasRight(*m_db, Right::Assign, "BEN", "NORA", granted).ok());
        QVERIFY(granted);
        UserRights rights;
        User ben;
        QVERIFY(loadUser(*m_db, "BEN", ben, rights).ok());
        QVERIFY(rights.viewedBy.empty());
        QVERIFY(std::find(rights.assignsTo.begin(), rights.assignsTo.end(), "NORA") !=
                rights.assignsTo.end());
    }

    void anAdministratorRenamingHimselfWorksOnUnderTheNewName() {
        Workspace& ws = as("SUPERVISOR", 2);
        User second;
        second.USERNAME = "ZOE";
        second.ACCESSLEVEL = 2;
        second.PASSWORD = hashPassword("anna12");
        QVERIFY(m_db->add(second).ok());
        UserForm form(ws, Request::Change, *userNamed("ZOE"));
        ws.session.GlobalUser = "ZOE";
        QVERIFY(form.start());
        form.edit(QStringLiteral("userNameEdit"))->setText(QStringLiteral("ZOEY"));
        form.accessButton(0)->setChecked(true);
        click(button(&form, "okButton"));
        QVERIFY(form.completed());
        QCOMPARE(ws.session.GlobalUser, std::string("ZOEY"));
        QCOMPARE(ws.session.GlobalUserAccess, 0);
        QVERIFY(userNamed("ZOEY"));
        as("SUPERVISOR", 2);
    }

    void deletingAUserAsksFirstAndConcludesHisAssignments() {
        UsersBrowser browser(as("SUPERVISOR", 2));
        QVERIFY(selectUser(browser.list(), QStringLiteral("NORA")));
        MessageBox::setNextAnswer(Answer::No);
        browser.deleteUser();
        QVERIFY(shownText(QStringLiteral("All assignments for this User will be concluded.")));
        QVERIFY(userNamed("NORA"));

        QVERIFY(selectUser(browser.list(), QStringLiteral("NORA")));
        MessageBox::setNextAnswer(Answer::Yes);
        onModal<UserForm>([](UserForm* form) {
            MessageBox::setNextAnswer(Answer::Ok);  // "Confirm Delete"
            click(button(form, "okButton"));
        });
        browser.deleteUser();
        QVERIFY(!userNamed("NORA"));

        // The last System Administrator stays, with a message saying why.
        MessageBox::clearShown();
        QVERIFY(selectUser(browser.list(), QStringLiteral("SUPERVISOR")));
        MessageBox::setNextAnswer(Answer::Yes);
        onModal<UserForm>([](UserForm* form) {
            MessageBox::setNextAnswer(Answer::Ok);
            click(button(form, "okButton"));
            QVERIFY(form->isVisible());
            click(button(form, "cancelButton"));
        });
        browser.deleteUser();
        QVERIFY(userNamed("SUPERVISOR"));
        QVERIFY(shownText(QStringLiteral("last System Administrator")));
    }

    void aGeneralUserNeverReachesTheseScreens() {
        Procedures registry;
        registerUserScreens(registry);
        for (int level : {0, 1}) {
            Workspace& ws = as("BEN", level);
            const int before = QApplication::topLevelWidgets().size();
            QVERIFY(registry.run(QStringLiteral("BrowseUsers"), nullptr, ws));
            QVERIFY(registry.run(QStringLiteral("BrowseUserGroups"), nullptr, ws));
            QCoreApplication::processEvents();
            for (QWidget* w : QApplication::topLevelWidgets()) {
                QVERIFY(!qobject_cast<UsersBrowser*>(w));
                QVERIFY(!qobject_cast<UserGroupsBrowser*>(w));
            }
            QVERIFY(QApplication::topLevelWidgets().size() <= before);
            QVERIFY(shownText(QLatin1String(kNotAdministrator)));

            UserForm form(ws, Request::Change, *userNamed("BEN"));
            QVERIFY(!form.start());
            UserGroupForm groupForm(ws, Request::Insert, UserGroup{});
            QVERIFY(!groupForm.start());
        }
        // The administrator gets the windows.
        QVERIFY(registry.run(QStringLiteral("BrowseUsers"), nullptr, as("SUPERVISOR", 2)));
        UsersBrowser* opened = nullptr;
        for (QWidget* w : QApplication::topLevelWidgets())
            if (auto* b = qobject_cast<UsersBrowser*>(w)) opened = b;
        QVERIFY(opened);
        QCOMPARE(opened->list()->sortTabs()->count(), 4);
        opened->close();
    }

    void aUserGroupRefusesAMemberTwiceAndSavesItsMembers() {
        UserGroupsBrowser browser(as("SUPERVISOR", 2), false);
        onModal<UserGroupForm>([](UserGroupForm* form) {
            form->groupEdit()->setText(QStringLiteral("Sales"));
            form->addMembers({"BEN", "CARLA"});
            form->addMembers({"BEN"});
            QVERIFY(shownText(QStringLiteral("Duplicate USERGROUPS/User combination")));
            QCOMPARE(form->memberList()->count(), 2);
            screenshot(form, "user-group-form");
            click(button(form, "okButton"));
        });
        browser.insertGroup();
        std::int64_t members = 0;
        QVERIFY(m_db->count<UserGroupUser>(store::eq("GROUP", std::string("Sales")), members).ok());
        QCOMPARE(members, std::int64_t{2});
    }

    void addUserGroupPicksAGroupFromTheGroupListInSelectMode() {
        Workspace& ws = as("SUPERVISOR", 2);
        onModal<UserGroupsBrowser>([](UserGroupsBrowser* browser) {
            QVERIFY(browser->button(QStringLiteral("selectButton"))->isEnabled());
            QVERIFY(!browser->button(QStringLiteral("deleteButton"))->isEnabled());
            QVERIFY(selectUser(browser->list(), QStringLiteral("Sales")));
            click(browser->button(QStringLiteral("selectButton")));
        });
        QCOMPARE(selectUserGroup(nullptr, ws), std::optional<std::string>("Sales"));

        // From the menu the list picks nothing: its Select button stays off.
        UserGroupsBrowser own(ws, false);
        QVERIFY(!own.button(QStringLiteral("selectButton"))->isEnabled());
    }

    void theUsersOfALimitedProjectAreAddedAndRemoved() {
        LimitedProjectUsersDialog dialog(as("SUPERVISOR", 2), 42, "Move office");
        QCOMPARE(dialog.projectEdit()->text(), QStringLiteral("Move office"));
        m_workspace.services.pickUsers = [](QWidget*, Workspace&) {
            return std::vector<std::string>{"BEN", "CARLA"};
        };
        dialog.insertUsers();
        QCOMPARE(dialog.list()->cellText(0, 0).trimmed(), QStringLiteral("BEN"));
        QCOMPARE(dialog.list()->cellText(0, 1).trimmed(), QStringLiteral("Move office"));
        std::int64_t rows = 0;
        QVERIFY(m_db->count<ProjUser>(store::eq("PROJNUMBER", std::int64_t{42}), rows).ok());
        QCOMPARE(rows, std::int64_t{2});
        dialog.list()->view()->selectRow(0);
        dialog.deleteUser();
        QVERIFY(m_db->count<ProjUser>(store::eq("PROJNUMBER", std::int64_t{42}), rows).ok());
        QCOMPARE(rows, std::int64_t{1});
    }

    void everyWindowHasItsHelpTopic() {
        Workspace& ws = as("SUPERVISOR", 2);
        UsersBrowser users(ws);
        UserGroupsBrowser groups(ws, false);
        UserForm form(ws, Request::Insert, User{});
        UserGroupForm groupForm(ws, Request::Insert, UserGroup{});
        UserMultiSelectDialog select(ws);
        LimitedProjectUsersDialog project(ws, 1, "P");
        for (QWidget* w : std::initializer_list<QWidget*>{&users, &groups, &form, &groupForm,
                                                          &select, &project}) {
            const QUrl url = HelpBrowser::topicUrl(w->whatsThis());
            QVERIFY2(url.toString().contains(QStringLiteral("users.html")),
                     qPrintable(w->whatsThis()));
        }
    }

    void theMultipleSelectListTagsAndClears() {
        UserMultiSelectDialog dialog(as("SUPERVISOR", 2));
        QTableWidget* table = dialog.table();
        QVERIFY(table->rowCount() >= 3);
        table->selectRow(0);
        click(button(&dialog, "tagButton"));
        table->selectRow(2);
        click(button(&dialog, "tagButton"));
        QCOMPARE(dialog.tagged().size(), size_t{2});
        screenshot(&dialog, "users-multiple-select");
        QCOMPARE(table->item(0, 0)->text(), QStringLiteral("*"));
        click(button(&dialog, "tagButton"));  // clears row 2 again
        QCOMPARE(dialog.tagged().size(), size_t{1});
        QCOMPARE(dialog.tagged().front(), table->item(0, 1)->text().toStdString());
        click(button(&dialog, "clearAllButton"));
        QVERIFY(dialog.tagged().empty());
        QVERIFY(table->item(0, 0)->text().isEmpty());
    }
};

}  // namespace tko

QTEST_MAIN(tko::UserWindowsTest)
#include "UserWindowsTest.moc"
