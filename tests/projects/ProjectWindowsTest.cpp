// The project windows on the offscreen platform: a new project numbered at
// once and removed on Cancel, saving through OK, the actions on the project's
// assignments with their messages, the check boxes bound to the user's
// preferences, the notes box and Projects for Assignment. The assignment
// form, Look Forward and the users screen are replaced by recorders.
// With TKO_SCREENSHOTS=DIR the windows are also saved as PNGs.
#include <QAbstractButton>
#include <QApplication>
#include <QCheckBox>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTimer>
#include <QtTest>

#include "assign/ui/AssignmentForm.h"
#include "data/Numbering.h"
#include "platform/Date.h"
#include "platform/ui/BrowseList.h"
#include "platform/ui/FormScaffold.h"
#include "platform/ui/MessageBox.h"
#include "platform/ui/Procedures.h"
#include "projects/ProjectRules.h"
#include "projects/ui/ProjectBrowser.h"
#include "projects/ui/ProjectForm.h"
#include "projects/ui/ProjectNotesDialog.h"
#include "projects/ui/ProjectsForAssignmentDialog.h"
#include "support/SignedIn.h"
#include "users/ui/LimitedProjectUsersDialog.h"

namespace tko {

class ProjectWindowsTest : public QObject {
    Q_OBJECT

private:
    QTemporaryDir m_dir;
    std::unique_ptr<Database> m_db;
    Workspace m_workspace;
    int m_formsOpened = 0;
    std::optional<Assignment> m_pick;

    void screenshot(QWidget* w, const char* name) {
        const QByteArray dir = qgetenv("TKO_SCREENSHOTS");
        if (dir.isEmpty()) return;
        w->grab().save(QString::fromLocal8Bit(dir) + QLatin1Char('/') + QLatin1String(name) +
                       QStringLiteral(".png"));
    }
    Workspace& as(const std::string& user, int access = 0) {
        return test::signedIn(m_workspace, m_db.get(), user, access);
    }
    // Recorders: the assignment form stores a new assignment on Insert and
    // reports Change as done; the picker hands back m_pick.
    ProjectActions actions() {
        ProjectActions a;
        a.openForm = [this](QWidget*, Workspace& ws, Request request, Assignment& record) {
            ++m_formsOpened;
            if (request == Request::Insert) {
                record = Assignment{};
                record.NAME = "Made in the form";
                record.PERSON = ws.session.GlobalUser;
                record.USERNAME = ws.session.GlobalUser;
                record.DUEDATE = 1000;
                return addNumbered(*m_db, record, &Assignment::ASSIGNNUMBER, "ASS:NUMBER_KEY").ok();
            }
            return true;
        };
        a.pickAssignment = [this](QWidget*, Workspace&) { return m_pick; };
        return a;
    }
    Project project(const std::string& name, const std::string& owner,
                    const char* type = kProjectOpen) {
        Project p;
        p.NAME = name;
        p.USER = owner;
        p.TYPE = type;
        if (!addNumbered(*m_db, p, &Project::PROJNUMBER, "PRO:AUTONUMBER_KEY").ok())
            qFatal("cannot add project");
        return p;
    }
    Assignment assignment(const std::string& person, const std::string& maker, int secondary = 0) {
        Assignment a;
        a.NAME = "Task for " + person;
        a.PERSON = person;
        a.USERNAME = maker;
        a.DUEDATE = 900;
        a.SECONDARY = static_cast<std::uint8_t>(secondary);
        a.REPEATTYPE = "No Repeats";
        if (!addNumbered(*m_db, a, &Assignment::ASSIGNNUMBER, "ASS:NUMBER_KEY").ok())
            qFatal("cannot add assignment");
        return a;
    }
    void link(const Project& p, const Assignment& a, const std::string& user) {
        ProjAssign l{p.NAME, p.PROJNUMBER, a.ASSIGNNUMBER, user};
        if (!m_db->add(l).ok()) qFatal("cannot link");
    }
    template <class R>
    std::int64_t countOf(const store::Filter& filter = store::all()) {
        std::int64_t n = -1;
        m_db->count<R>(filter, n);
        return n;
    }
    std::int64_t linksOf(const Project& p) {
        return countOf<ProjAssign>(store::eq("PROJNUMBER", std::int64_t{p.PROJNUMBER}));
    }
    bool lastTextIs(const char* text) {
        return !MessageBox::shown().isEmpty() &&
               MessageBox::shown().last().text == QLatin1String(text);
    }
    bool lastMessageIs(int number) {
        return !MessageBox::shown().isEmpty() && MessageBox::shown().last().number == number;
    }
    int rows(ProjectForm& form) { return static_cast<int>(form.list()->pager().rows().size()); }

private slots:
    void initTestCase() {
        MessageBox::setTestMode(true);
        QVERIFY(m_dir.isValid());
        m_db = test::newOffice(m_dir);
        QVERIFY(m_db);
        SystemPref sys;
        sys.VIEWALL = 1;  // everybody may see everything, yet not open it from a project
        QVERIFY(m_db->add(sys).ok());
    }
    void init() {
        MessageBox::clearShown();
        m_formsOpened = 0;
        m_pick.reset();
    }

    void newProjectIsStoredAtOnceAndCancelLeavesNothing() {
        const std::int64_t before = countOf<Project>();
        ProjectForm form(as("ANNA"), Request::Insert, Project{}, actions());
        QVERIFY(form.start());
        QVERIFY(form.project().PROJNUMBER > 0);
        QCOMPARE(countOf<Project>(), before + 1);
        // An assignment made through "Insert New" joins the new project at once.
        form.insertAssignment();
        QCOMPARE(m_formsOpened, 1);
        QCOMPARE(linksOf(form.project()), std::int64_t{1});
        QCOMPARE(rows(form), 1);
        const std::int64_t assignments = countOf<Assignment>();
        form.nameEdit()->setText(QStringLiteral("Half typed"));
        MessageBox::setNextAnswer(Answer::Yes);  // "Are you sure you want to cancel?"
        form.button(QStringLiteral("cancelButton"))->click();
        QVERIFY(lastMessageIs(23));
        QVERIFY(!form.completed());
        QCOMPARE(countOf<Project>(), before);
        QCOMPARE(linksOf(form.project()), std::int64_t{0});
        QCOMPARE(countOf<Assignment>(), assignments);  // the assignment itself stays
    }

    void secondNewProjectWaitsForTheFirstToBeNamed() {
        ProjectForm first(as("KIM"), Request::Insert, Project{}, actions());
        QVERIFY(first.start());
        const std::int64_t projects = countOf<Project>();
        ProjectForm second(as("KIM"), Request::Insert, Project{}, actions());
        QVERIFY(!second.start());
        QVERIFY(lastTextIs(kUnnamedProjectExists));
        QCOMPARE(countOf<Project>(), projects);
        first.button(QStringLiteral("cancelButton"))->click();
        ProjectForm third(as("KIM"), Request::Insert, Project{}, actions());
        QVERIFY(third.start());
        third.button(QStringLiteral("cancelButton"))->click();
        QCOMPARE(countOf<Project>(), projects - 1);
    }

    void okStoresNameAndTypeAndRefusesADuplicate() {
        project("Taken", "ANNA");
        ProjectForm form(as("ANNA"), Request::Insert, Project{}, actions());
        QVERIFY(form.start());
        form.nameEdit()->setText(QStringLiteral("Taken"));
        form.typeButton(kProjectLimited)->click();
        QVERIFY(form.button(QStringLiteral("usersButton"))->isEnabled());
        form.button(QStringLiteral("okButton"))->click();
        QVERIFY(lastMessageIs(24));
        QVERIFY(MessageBox::shown().last().text.contains(QStringLiteral("Prroject/User Key")));
        QVERIFY(!form.completed());

        // A name past 30 characters is kept whole, marked, and refused.
        form.nameEdit()->setText(QString(31, QLatin1Char('x')));
        QVERIFY(!form.findChild<QLabel*>(QStringLiteral("nameNote"))->isHidden());
        QCOMPARE(form.nameEdit()->text().size(), 31);
        form.button(QStringLiteral("okButton"))->click();
        QVERIFY(!form.completed());

        form.nameEdit()->setText(QStringLiteral("Brand new"));
        screenshot(&form, "project_form");
        form.button(QStringLiteral("okButton"))->click();
        QVERIFY(form.completed());
        Project stored;
        QVERIFY(m_db->fetch("PRO:AUTONUMBER_KEY", {std::int64_t{form.project().PROJNUMBER}}, stored)
                    .ok());
        QCOMPARE(stored.NAME, std::string("Brand new"));
        QCOMPARE(stored.TYPE, std::string(kProjectLimited));
        QCOMPARE(stored.USER, std::string("ANNA"));
    }

    void othersSeeTheProjectButCannotChangeIt() {
        const Project p = project("Anna's plan", "ANNA");
        ProjectForm form(as("BEN"), Request::Change, p, actions());
        QVERIFY(form.start());
        QVERIFY(form.nameEdit()->isReadOnly());
        QVERIFY(!form.typeButton(kProjectPrivate)->isEnabled());
        QVERIFY(!form.button(QStringLiteral("usersButton"))->isEnabled());
        // BEN still adds work to it.
        form.insertAssignment();
        QCOMPARE(linksOf(p), std::int64_t{1});
    }

    void changeViewOnlyForPersonMakerOrAdministrator() {
        const Project p = project("Shared view", "ANNA");
        link(p, assignment("BEN", "ANNA"), "ANNA");
        // CARLA sees everything (SYP:VIEWALL) but is neither person nor maker.
        ProjectForm carla(as("CARLA"), Request::Change, p, actions());
        QVERIFY(carla.start());
        QCOMPARE(rows(carla), 1);
        carla.button(QStringLiteral("changeButton"))->click();
        QVERIFY(lastTextIs(kNotAuthorizedToView));
        QCOMPARE(m_formsOpened, 0);

        ProjectForm ben(as("BEN"), Request::Change, p, actions());
        QVERIFY(ben.start());
        ben.button(QStringLiteral("changeButton"))->click();
        QCOMPARE(m_formsOpened, 1);
        ProjectForm boss(as("BOSS", 2), Request::Change, p, actions());
        QVERIFY(boss.start());
        boss.button(QStringLiteral("changeButton"))->click();
        QCOMPARE(m_formsOpened, 2);
    }

    void addExistingTwiceKeepsOneLink() {
        const Project p = project("Picks", "ANNA");
        m_pick = assignment("BEN", "ANNA");
        ProjectForm form(as("ANNA"), Request::Change, p, actions());
        QVERIFY(form.start());
        form.button(QStringLiteral("addExistingButton"))->click();
        QCOMPARE(linksOf(p), std::int64_t{1});
        QCOMPARE(rows(form), 1);
        form.button(QStringLiteral("addExistingButton"))->click();
        QVERIFY(lastTextIs(kAlreadyPartOfProject));
        QCOMPARE(linksOf(p), std::int64_t{1});

        // Closing the picker without a choice adds nothing and says nothing.
        m_pick.reset();
        MessageBox::clearShown();
        form.button(QStringLiteral("addExistingButton"))->click();
        QVERIFY(MessageBox::shown().isEmpty());
    }

    void unboundScreensNameTheirProcedure() {
        const Project p = project("Unbound", "ANNA", kProjectLimited);
        ProjectActions bare = actions();
        bare.pickAssignment = nullptr;
        bare.editUsers = nullptr;
        ProjectForm form(as("ANNA"), Request::Change, p, bare);
        QVERIFY(form.start());
        form.button(QStringLiteral("addExistingButton"))->click();
        QVERIFY(lastMessageIs(6));
        QVERIFY(MessageBox::shown().last().text.contains(QLatin1String(kPickAssignmentProcedure)));
        form.button(QStringLiteral("usersButton"))->click();
        QVERIFY(MessageBox::shown().last().text.contains(QLatin1String(kProjectUsersProcedure)));
    }

    void usersScreenGetsTheProject() {
        const Project p = project("With users", "ANNA", kProjectLimited);
        ProjectActions withUsers = actions();
        std::int32_t seen = 0;
        std::string seenName;
        withUsers.editUsers = [&](QWidget*, Workspace&, const Project& shown) {
            seen = shown.PROJNUMBER;
            seenName = shown.NAME;
        };
        {
            // A new project: its users get the name typed so far, not a blank.
            ProjectForm fresh(as("ANNA"), Request::Insert, Project{}, withUsers);
            QVERIFY(fresh.start());
            fresh.nameEdit()->setText(QStringLiteral("Brand new"));
            fresh.typeButton(kProjectLimited)->click();
            fresh.button(QStringLiteral("usersButton"))->click();
            QCOMPARE(seenName, std::string("Brand new"));
            MessageBox::setNextAnswer(Answer::Yes);
            fresh.scaffold()->cancel();
        }
        ProjectForm form(as("ANNA"), Request::Change, p, withUsers);
        QVERIFY(form.start());
        form.nameEdit()->setText(QStringLiteral("Renamed, not saved"));
        form.button(QStringLiteral("usersButton"))->click();
        QCOMPARE(seen, p.PROJNUMBER);
        QCOMPARE(seenName, std::string("With users"));  // the stored name until OK
        // Only a Limited project has users to keep.
        form.typeButton(kProjectOpen)->click();
        QVERIFY(!form.button(QStringLiteral("usersButton"))->isEnabled());
    }

    void limitedProjectUsersFollowARenameAndSeeTheProject() {
        ProjectActions real = actions();
        real.editUsers = programProjectActions(m_workspace.services).editUsers;
        ProjectForm form(as("NORA"), Request::Insert, Project{}, real);
        QVERIFY(form.start());
        form.typeButton(kProjectLimited)->click();
        QTimer::singleShot(0, [] {
            auto* users =
                qobject_cast<LimitedProjectUsersDialog*>(QApplication::activeModalWidget());
            if (!users) return;
            users->addUsers({"OTTO"});
            users->accept();
        });
        form.button(QStringLiteral("usersButton"))->click();
        const auto number = std::int64_t{form.project().PROJNUMBER};
        QCOMPARE(countOf<ProjUser>(store::eq("PROJNUMBER", number)), std::int64_t{1});
        form.nameEdit()->setText(QStringLiteral("Nora's limited"));
        form.button(QStringLiteral("okButton"))->click();
        QVERIFY(form.completed());
        ProjUser row;
        QVERIFY(m_db->fetch("PRU:NUMBERUSER_KEY", {number, std::string("OTTO")}, row).ok());
        QCOMPARE(row.NAME, std::string("Nora's limited"));
        bool visible = false;
        QVERIFY(
            projectVisibleTo(*m_db, as("OTTO").session, form.project().PROJNUMBER, visible).ok());
        QVERIFY(visible);
        QVERIFY(
            projectVisibleTo(*m_db, as("PAUL").session, form.project().PROJNUMBER, visible).ok());
        QVERIFY(!visible);
    }

    void removeNeedsTheRightAndKeepsTheAssignment() {
        const Project p = project("Removals", "ANNA");
        const Assignment a = assignment("BEN", "ANNA");
        link(p, a, "ANNA");
        ProjectForm ben(as("BEN"), Request::Change, p, actions());
        QVERIFY(ben.start());
        ben.button(QStringLiteral("removeButton"))->click();
        QVERIFY(lastTextIs(kNoAuthorityToRemove));
        QCOMPARE(linksOf(p), std::int64_t{1});

        ProjectForm anna(as("ANNA"), Request::Change, p, actions());
        QVERIFY(anna.start());
        anna.button(QStringLiteral("removeButton"))->click();
        QCOMPARE(linksOf(p), std::int64_t{0});
        QCOMPARE(rows(anna), 0);
        QVERIFY(!anna.button(QStringLiteral("removeButton"))->isEnabled());
        QCOMPARE(countOf<Assignment>(store::eq("ASSIGNNUMBER", std::int64_t{a.ASSIGNNUMBER})),
                 std::int64_t{1});
    }

    void concludeRunsTheSharedConclusion() {
        const Project p = project("To conclude", "LEA");
        const Assignment a = assignment("MO", "LEA");
        link(p, a, "LEA");
        QVERIFY(saveProjectListOptions(*m_db, "LEA", {false, true}).ok());
        QVERIFY(saveProjectListOptions(*m_db, "MO", {false, true}).ok());
        ProjectActions real = actions();
        real.conclude = programProjectActions(m_workspace.services).conclude;

        // MO is the assignee without the right to conclude: nothing changes.
        ProjectForm mo(as("MO"), Request::Change, p, real);
        QVERIFY(mo.start());
        mo.button(QStringLiteral("concludeButton"))->click();
        Assignment stored;
        QVERIFY(m_db->fetch("ASS:NUMBER_KEY", {std::int64_t{a.ASSIGNNUMBER}}, stored).ok());
        QCOMPARE(stored.CLOSEDATE, 0);

        ProjectForm lea(as("LEA"), Request::Change, p, real);
        QVERIFY(lea.start());
        QCOMPARE(rows(lea), 1);
        lea.button(QStringLiteral("concludeButton"))->click();
        QVERIFY(m_db->fetch("ASS:NUMBER_KEY", {std::int64_t{a.ASSIGNNUMBER}}, stored).ok());
        QVERIFY(stored.CLOSEDATE != 0);
        QCOMPARE(rows(lea), 0);  // "Open assignments only" lets it go
        QCOMPARE(linksOf(p), std::int64_t{1});
    }

    void checkBoxesFilterAndPersist() {
        const Project p = project("Options", "DORA");
        link(p, assignment("DORA", "DORA"), "DORA");
        link(p, assignment("DORA", "DORA", 1), "DORA");
        Assignment closed = assignment("DORA", "DORA");
        closed.CLOSEDATE = 950;
        QVERIFY(m_db->change(closed).ok());
        link(p, closed, "DORA");

        ProjectForm form(as("DORA"), Request::Change, p, actions());
        QVERIFY(form.start());
        QVERIFY(!form.secondaryCheck()->isChecked());
        QCOMPARE(rows(form), 2);
        form.secondaryCheck()->click();
        QCOMPARE(rows(form), 3);
        form.openOnlyCheck()->click();
        QCOMPARE(rows(form), 2);
        UserPref pref;
        QVERIFY(m_db->fetch("USP:USERNAME_KEY", {std::string("DORA")}, pref).ok());
        QCOMPARE(int(pref.PROJSECONDARY), 1);
        QCOMPARE(int(pref.PROJOPEN), 1);

        ProjectForm again(as("DORA"), Request::Change, p, actions());
        QVERIFY(again.start());
        QVERIFY(again.secondaryCheck()->isChecked() && again.openOnlyCheck()->isChecked());
    }

    void notesBoxKeepsLongTextAndRefusesToClose() {
        ProjectNotesDialog notes("First line\r\nSecond", false);
        QCOMPARE(notes.edit()->toPlainText(), QStringLiteral("First line\nSecond"));
        QCOMPARE(notes.notes(), std::string("First line\r\nSecond"));
        notes.edit()->setPlainText(QString(1001, QLatin1Char('n')));
        QCOMPARE(notes.edit()->toPlainText().size(), 1001);  // nothing cut
        notes.show();
        notes.accept();
        QVERIFY(notes.isVisible());  // refused with a message
        QCOMPARE(MessageBox::shown().size(), 1);
        notes.edit()->setPlainText(QString(1000, QLatin1Char('n')));
        notes.accept();
        QVERIFY(!notes.isVisible());
        QCOMPARE(notes.result(), int(QDialog::Accepted));
    }

    void projectsForAssignmentListsWhatTheUserSees() {
        const Assignment a = assignment("BEN", "ANNA");
        link(project("Everybody's", "ANNA"), a, "ANNA");
        link(project("Anna's own", "ANNA", kProjectPrivate), a, "ANNA");
        ProjectsForAssignmentDialog ben(as("BEN"), a);
        QCOMPARE(ben.nameEdit()->text(), QStringLiteral("Task for BEN"));
        QCOMPARE(ben.personEdit()->text(), QStringLiteral("BEN"));
        QCOMPARE(int(ben.list()->pager().rows().size()), 1);
        QCOMPARE(ben.list()->cellText(0, 0), QStringLiteral("Everybody's"));
        screenshot(&ben, "projects_for_assignment");
        ProjectsForAssignmentDialog anna(as("ANNA"), a);
        QCOMPARE(int(anna.list()->pager().rows().size()), 2);
    }

    void browserListsWhatTheUserSeesAndHandsBackTheWholeRecord() {
        Project mine = project("Eve's secret", "EVE", kProjectPrivate);
        mine.NOTE = "kept beside the record";
        QVERIFY(m_db->change(mine).ok());
        project("Frank's secret", "FRANK", kProjectPrivate);
        ProjectBrowser browser(as("EVE"), true, actions());
        QStringList names;
        for (int i = 0; i < int(browser.list()->pager().rows().size()); ++i)
            names << browser.list()->cellText(i, 0);
        QVERIFY(names.contains(QStringLiteral("Eve's secret")));
        QVERIFY(!names.contains(QStringLiteral("Frank's secret")));
        QVERIFY(names.contains(QStringLiteral("Anna's plan")));  // Open
        screenshot(&browser, "browse_projects");

        QVERIFY(!browser.button(QStringLiteral("selectButton"))->isHidden());
        const int row = int(names.indexOf(QStringLiteral("Eve's secret")));
        QVERIFY(browser.list()->pager().select(row));
        browser.button(QStringLiteral("selectButton"))->click();
        QCOMPARE(browser.result(), int(QDialog::Accepted));
        QVERIFY(browser.chosen());
        QCOMPARE(browser.chosen()->NOTE, std::string("kept beside the record"));

        ProjectBrowser menu(as("EVE"), false, actions());
        // From the menu "Select" is there, as in the other lists, but disabled.
        QVERIFY(menu.button(QStringLiteral("selectButton")));
        QVERIFY(!menu.button(QStringLiteral("selectButton"))->isHidden());
        QVERIFY(!menu.button(QStringLiteral("selectButton"))->isEnabled());
        QVERIFY(menu.testAttribute(Qt::WA_DeleteOnClose));  // a window of its own
    }

    void deleteOnlyByOwnerAfterConfirmation() {
        const Project p = project("AAA to delete", "GINA");
        const Assignment a = assignment("GINA", "GINA");
        link(p, a, "GINA");
        ProjectBrowser other(as("HANS"), false, actions());
        QVERIFY(other.list()->pager().select(0));
        QCOMPARE(other.list()->cellText(0, 0), QStringLiteral("AAA to delete"));
        other.deleteProject();
        QVERIFY(lastTextIs(kProjectNotYours));
        QCOMPARE(countOf<Project>(store::eq("PROJNUMBER", std::int64_t{p.PROJNUMBER})),
                 std::int64_t{1});

        ProjectBrowser owner(as("GINA"), false, actions());
        QVERIFY(owner.list()->pager().select(0));
        MessageBox::setNextAnswer(Answer::Cancel);
        owner.deleteProject();
        QVERIFY(lastMessageIs(32));
        QCOMPARE(countOf<Project>(store::eq("PROJNUMBER", std::int64_t{p.PROJNUMBER})),
                 std::int64_t{1});
        MessageBox::setNextAnswer(Answer::Ok);
        owner.deleteProject();
        QCOMPARE(countOf<Project>(store::eq("PROJNUMBER", std::int64_t{p.PROJNUMBER})),
                 std::int64_t{0});
        QCOMPARE(linksOf(p), std::int64_t{0});
        QCOMPARE(countOf<Assignment>(store::eq("ASSIGNNUMBER", std::int64_t{a.ASSIGNNUMBER})),
                 std::int64_t{1});
    }

    void screensAreRegistered() {
        Procedures registry;
        registerProjectScreens(registry);
        QVERIFY(registry.has(QLatin1String(kBrowseProjectsProcedure)));
        QWidget parent;
        QVERIFY(registry.run(QLatin1String(kBrowseProjectsProcedure), &parent, as("ANNA")));
        auto* window = parent.findChild<ProjectBrowser*>();
        QVERIFY(window && window->isVisible());
        window->close();
    }

    void assignmentFormAddsAProjectThroughThePicker() {
        const Project p = project("AAA first of all", "IRIS");
        const Assignment a = assignment("JO", "IRIS");
        AssignmentForm form(as("IRIS"), Request::Change, a);
        QVERIFY(form.start());
        QCOMPARE(int(form.projectList()->pager().rows().size()), 0);
        // Pick the first project in the modal Browse Projects.
        auto pickFirst = [] {
            auto* browser = qobject_cast<ProjectBrowser*>(QApplication::activeModalWidget());
            if (!browser) return;
            browser->list()->pager().select(0);
            browser->choose();
        };
        QTimer::singleShot(0, pickFirst);
        form.button(QStringLiteral("addProjectButton"))->click();
        QCOMPARE(linksOf(p), std::int64_t{1});
        QCOMPARE(int(form.projectList()->pager().rows().size()), 1);
        QCOMPARE(form.projectList()->cellText(0, 0), QStringLiteral("AAA first of all"));
        // Picking it again adds nothing.
        QTimer::singleShot(0, pickFirst);
        form.button(QStringLiteral("addProjectButton"))->click();
        QCOMPARE(linksOf(p), std::int64_t{1});
        form.reject();
    }
};

}  // namespace tko

QTEST_MAIN(tko::ProjectWindowsTest)
#include "ProjectWindowsTest.moc"
