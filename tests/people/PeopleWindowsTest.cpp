// The people windows on the offscreen platform: adding, changing and deleting
// a person through the form and the edit list, the form's rules, dialling,
// picking a person and the users of a limited person. With
// TKO_SCREENSHOTS=DIR the windows are also saved as PNGs.
#include <QApplication>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QTabBar>
#include <QTabWidget>
#include <QTimer>
#include <QtTest>

#include "app/DemoOffice.h"
#include "data/Password.h"
#include "data/Tables.h"
#include "people/Dialer.h"
#include "people/PeopleRules.h"
#include "people/ui/PeopleBrowser.h"
#include "people/ui/PeopleScreens.h"
#include "people/ui/PersonForm.h"
#include "platform/ui/BrowseList.h"
#include "platform/ui/HelpBrowser.h"
#include "platform/ui/MessageBox.h"
#include "reports/ui/ReportOutput.h"
#include "support/SignedIn.h"
#include "users/ui/LimitedPersonUsersDialog.h"
#include "users/ui/UserPickers.h"

namespace tko {

class PeopleWindowsTest : public QObject {
    Q_OBJECT

private:
    QTemporaryDir m_dir;
    std::unique_ptr<Database> m_db;
    Workspace m_workspace;
    RecordingDialer m_dialer;

    void screenshot(QWidget* w, const char* name) {
        const QByteArray dir = qgetenv("TKO_SCREENSHOTS");
        if (dir.isEmpty()) return;
        w->grab().save(QString::fromLocal8Bit(dir) + QLatin1Char('/') + QLatin1String(name) +
                       QStringLiteral(".png"));
    }

    Workspace& as(const std::string& user, int access) {
        return test::signedIn(m_workspace, m_db.get(), user, access);
    }

    void setSystemPref(int privatePeople, int confidential = 1) {
        SystemPref sys;
        QVERIFY(readSystemPref(*m_db, sys).ok());
        sys.PRIVATEPEOPLE = static_cast<std::uint8_t>(privatePeople);
        sys.CONFIDENTIAL = static_cast<std::uint8_t>(confidential);
        QVERIFY(m_db->change(sys).ok());
    }

    std::optional<Person> personNamed(const std::string& shortName, const std::string& owner = {}) {
        std::vector<Person> rows;
        if (!m_db->readAll("PEO:SHORT_KEY", store::eq("SHORTNAME", shortName), rows).ok())
            return std::nullopt;
        for (const Person& p : rows)
            if (owner.empty() || p.USER == owner) return p;
        return std::nullopt;
    }

    std::int64_t peopleCount() {
        std::int64_t n = -1;
        m_db->count<Person>(store::all(), n);
        return n;
    }

    Assignment openAssignmentFor(const Person& p, int number) {
        Assignment a;
        a.ASSIGNNUMBER = number;
        a.PERSONNUMBER = p.PERSONNUMBER;
        a.PERSON = p.SHORTNAME;
        a.NAME = "Call back";
        a.DUEDATE = Clock::today();
        m_db->add(a);
        return a;
    }

    static void click(QPushButton* b) {
        QVERIFY(b);
        QVERIFY(b->isEnabled());
        b->click();
    }

    // Runs `step` on the modal person form as soon as it is shown.
    static void onPersonForm(std::function<void(PersonForm*)> step) {
        QTimer::singleShot(0, [step] {
            auto* form = qobject_cast<PersonForm*>(QApplication::activeModalWidget());
            if (!form) {
                for (QWidget* w : QApplication::topLevelWidgets())
                    if (auto* f = qobject_cast<PersonForm*>(w); f && f->isVisible()) form = f;
            }
            QVERIFY(form);
            step(form);
        });
    }

private slots:
    void initTestCase() {
        setPasswordCost(PasswordCost::Minimal);
        MessageBox::setTestMode(true);
        installDialer(&m_dialer);
        QVERIFY(m_dir.isValid());
        m_db = test::newOffice(m_dir);
        QVERIFY(m_db);
        const DemoSummary demo = createDemoOffice(*m_db);
        QVERIFY2(demo.ok, demo.error.c_str());
    }
    void cleanupTestCase() { installDialer(nullptr); }

    void init() {
        MessageBox::clearShown();
        setSystemPref(1);
    }

    void addChangeAndDeleteAPersonThroughTheWindows() {
        Workspace& ws = as("BEN", 0);
        const std::int64_t before = peopleCount();

        // Add: a General User with private people allowed adds a Private person.
        {
            PersonForm form(ws, Request::Insert, Person{});
            QVERIFY(form.start());
            form.show();
            QVERIFY(form.typeButton(4)->isChecked());
            for (int position = 1; position <= 4; ++position)
                QVERIFY(!form.typeButton(position)->isEnabled());
            form.shortNameEdit()->setText(QStringLiteral("PLUMBER"));
            form.edit(QStringLiteral("lastNameEdit"))->setText(QStringLiteral("Pipe"));
            form.edit(QStringLiteral("phoneEdit"))->setText(QStringLiteral("555-0100"));
            screenshot(&form, "person_form");
            click(form.button(QStringLiteral("okButton")));
            QVERIFY(form.completed());
        }
        QCOMPARE(peopleCount(), before + 1);
        std::optional<Person> plumber = personNamed("PLUMBER");
        QVERIFY(plumber);
        QCOMPARE(plumber->TYPE, std::string("Private"));
        QCOMPARE(plumber->USER, std::string("BEN"));
        QCOMPARE(plumber->DATE, Clock::today());

        // Change through the edit list's Change/View.
        PeopleBrowser browser(ws, PeopleList::Edit, false);
        browser.show();
        QVERIFY(browser.list()->reloadAt(plumber->toRow()).ok());
        QCOMPARE(browser.list()->selectedRow()->pos, plumber->rowPos);
        screenshot(&browser, "browse_people_edit");
        onPersonForm([](PersonForm* form) {
            form->edit(QStringLiteral("firstNameEdit"))->setText(QStringLiteral("Mario"));
            form->button(QStringLiteral("okButton"))->click();
        });
        browser.changePerson();
        plumber = personNamed("PLUMBER");
        QCOMPARE(plumber->FIRSTNAME, std::string("Mario"));

        // Delete: conclude first, then the form's own confirmation.
        const Assignment open = openAssignmentFor(*plumber, 9001);
        QVERIFY(browser.list()->reloadAt(plumber->toRow()).ok());
        MessageBox::setNextAnswer(Answer::Yes);  // "All assignments ... concluded." "Continue?"
        MessageBox::setNextAnswer(Answer::Ok);   // message 32
        onPersonForm([](PersonForm* form) { form->button(QStringLiteral("okButton"))->click(); });
        browser.deletePerson();
        QVERIFY(!personNamed("PLUMBER"));
        QCOMPARE(peopleCount(), before);
        Assignment concluded;
        QVERIFY(m_db->fetch("ASS:NUMBER_KEY", {std::int64_t{9001}}, concluded).ok());
        QCOMPARE(concluded.CLOSEDATE, Clock::today());
        QCOMPARE(MessageBox::shown().size(), 2);
        QCOMPARE(MessageBox::shown()[0].text,
                 QStringLiteral("All assignments for this person will be concluded.\nContinue?"));
        QCOMPARE(MessageBox::shown()[1].number, 32);
    }

    void cancellingTheFormsDeleteLeavesTheAssignmentsConcluded() {
        Workspace& ws = as("ANNA", 2);
        std::optional<Person> shop = personNamed("TAXADVISOR");
        QVERIFY(shop);
        openAssignmentFor(*shop, 9002);
        PeopleBrowser browser(ws, PeopleList::Edit, false);
        QVERIFY(browser.list()->reloadAt(shop->toRow()).ok());
        MessageBox::setNextAnswer(Answer::Yes);
        MessageBox::setNextAnswer(Answer::Cancel);  // message 32: keep the person
        onPersonForm([](PersonForm* form) {
            form->button(QStringLiteral("okButton"))->click();
            QVERIFY(form->isVisible());
            form->button(QStringLiteral("cancelButton"))->click();
        });
        browser.deletePerson();
        QVERIFY(personNamed("TAXADVISOR"));
        Assignment a;
        QVERIFY(m_db->fetch("ASS:NUMBER_KEY", {std::int64_t{9002}}, a).ok());
        QCOMPARE(a.CLOSEDATE, Clock::today());
    }

    void answeringNoToTheConclusionChangesNothing() {
        Workspace& ws = as("ANNA", 2);
        std::optional<Person> shop = personNamed("PRINTSHOP");
        openAssignmentFor(*shop, 9003);
        PeopleBrowser browser(ws, PeopleList::Edit, false);
        QVERIFY(browser.list()->reloadAt(shop->toRow()).ok());
        MessageBox::setNextAnswer(Answer::No);
        browser.deletePerson();  // no form opens: a modal form would block here
        QVERIFY(personNamed("PRINTSHOP"));
        Assignment a;
        QVERIFY(m_db->fetch("ASS:NUMBER_KEY", {std::int64_t{9003}}, a).ok());
        QCOMPARE(a.CLOSEDATE, 0);
    }

    void aGeneralUserCannotDeleteAnOpenPerson() {
        Workspace& ws = as("BEN", 0);
        std::optional<Person> shop = personNamed("PRINTSHOP");
        PeopleBrowser browser(ws, PeopleList::Edit, false);
        QVERIFY(browser.list()->reloadAt(shop->toRow()).ok());
        browser.deletePerson();
        QVERIFY(personNamed("PRINTSHOP"));
        QCOMPARE(MessageBox::shown().size(), 1);
        QCOMPARE(MessageBox::shown()[0].text,
                 QStringLiteral("Only System Administrators can delete an Open person"));
    }

    void cancellingAnInsertRemovesTheAddedPersonAndItsUsers() {
        Workspace& ws = as("ANNA", 1);
        const std::int64_t before = peopleCount();
        std::int64_t peoUsersBefore = 0;
        QVERIFY(m_db->count<PeoUser>(store::all(), peoUsersBefore).ok());
        PersonForm form(ws, Request::Insert, Person{});
        QVERIFY(form.start());
        form.show();
        QCOMPARE(peopleCount(), before + 1);  // numbered and added at once
        form.typeButton(3)->setChecked(true);
        form.shortNameEdit()->setText(QStringLiteral("AUDITOR"));
        QVERIFY(form.button(QStringLiteral("usersLimitedButton"))->isEnabled());
        {
            LimitedPersonUsersDialog users(ws, form.record().PERSONNUMBER, "AUDITOR");
            users.addUsers({"BEN"});
            QCOMPARE(users.list()->cellText(0, 0), QStringLiteral("BEN"));
        }
        MessageBox::setNextAnswer(Answer::Yes);  // message 23
        click(form.button(QStringLiteral("cancelButton")));
        QVERIFY(!form.completed());
        QCOMPARE(peopleCount(), before);
        std::int64_t peoUsers = -1;
        QVERIFY(m_db->count<PeoUser>(store::all(), peoUsers).ok());
        QCOMPARE(peoUsers, peoUsersBefore);
    }

    void withoutPrivatePeopleAGeneralUserIsRefusedAndNothingIsAdded() {
        setSystemPref(0);
        Workspace& ws = as("BEN", 0);
        const std::int64_t before = peopleCount();
        PersonForm form(ws, Request::Insert, Person{});
        QVERIFY(!form.start());
        QCOMPARE(peopleCount(), before);
        QCOMPARE(MessageBox::shown().size(), 1);
        QCOMPARE(MessageBox::shown()[0].text,
                 QStringLiteral("You do not have authority to add people to system"));
    }

    void aTakenShortNameKeepsTheFormOpenOnTheShortName() {
        Workspace& ws = as("ANNA", 2);
        PersonForm form(ws, Request::Insert, Person{});
        QVERIFY(form.start());
        form.show();
        form.typeButton(2)->setChecked(true);
        form.shortNameEdit()->setText(QStringLiteral("DENTIST"));  // Ben's private person
        form.tabs()->setCurrentIndex(2);
        click(form.button(QStringLiteral("okButton")));
        QVERIFY(form.isVisible());
        QCOMPARE(
            MessageBox::shown().last().text,
            QStringLiteral("Invalid Short Name.\nAlready used for User, Open, or Limited person"));
        QCOMPARE(form.tabs()->currentIndex(), 0);
        // As a private person of her own she may use it.
        form.typeButton(4)->setChecked(true);
        click(form.button(QStringLiteral("okButton")));
        QVERIFY(form.completed());
        QVERIFY(personNamed("DENTIST", "ANNA"));
    }

    void confidentialTabAndRedCaptionsFollowTheRules() {
        std::optional<Person> dentist = personNamed("DENTIST", "BEN");
        QVERIFY(dentist);
        {
            PersonForm form(as("BEN", 0), Request::Change, *dentist);
            QVERIFY(form.start());
            form.show();
            const int conf = form.tabIndex(QStringLiteral("confCommentsEdit"));
            const int comments = form.tabIndex(QStringLiteral("commentsEdit"));
            QVERIFY(form.tabs()->isTabVisible(conf));
            QVERIFY(form.tabs()->tabBar()->tabTextColor(comments) != QColor(255, 0, 0));
            form.memo(QStringLiteral("commentsEdit"))
                ->setPlainText(QStringLiteral("Friday mornings only"));
            QCOMPARE(form.tabs()->tabBar()->tabTextColor(comments), QColor(255, 0, 0));
            form.memo(QStringLiteral("commentsEdit"))->clear();
            QVERIFY(form.tabs()->tabBar()->tabTextColor(comments) != QColor(255, 0, 0));
            // Ben may not change the type, nor give this private person other users.
            QVERIFY(!form.typeButton(2)->isEnabled());
            QVERIFY(!form.button(QStringLiteral("usersLimitedButton"))->isEnabled());
            click(form.button(QStringLiteral("cancelButton")));
        }
        {
            // Not even a System Administrator sees another user's confidential comments.
            PersonForm form(as("ANNA", 2), Request::Change, *dentist);
            QVERIFY(form.start());
            QVERIFY(!form.tabs()->isTabVisible(form.tabIndex(QStringLiteral("confCommentsEdit"))));
        }
    }

    void aPersonTheUserMayNotChangeOpensReadOnlyAndAUsersNameIsLocked() {
        std::optional<Person> dentist = personNamed("DENTIST", "BEN");
        std::optional<Person> ben = personNamed("BEN");
        QVERIFY(dentist && ben);
        QCOMPARE(store::rtrim(ben->TYPE), std::string("User"));
        {
            // Another user's Private person, opened from a list that shows it.
            PersonForm form(as("CARLA", 0), Request::Change, *dentist);
            QVERIFY(form.start());
            QVERIFY(!form.mayEdit());
            QVERIFY(form.shortNameEdit()->isReadOnly());
            QVERIFY(form.edit(QStringLiteral("lastNameEdit"))->isReadOnly());
            QVERIFY(form.memo(QStringLiteral("commentsEdit"))->isReadOnly());
            QVERIFY(!form.button(QStringLiteral("okButton"))->isEnabled());
            QVERIFY(!form.button(QStringLiteral("anniversaryInsertButton"))->isEnabled());
            QCOMPARE(form.findChild<QLabel*>(QStringLiteral("statusLabel"))->text(),
                     QStringLiteral("Record can only be Viewed"));
        }
        {
            PersonForm form(as("ANNA", 2), Request::Change, *ben);
            QVERIFY(form.start());
            QVERIFY(form.mayEdit());
            QVERIFY(form.shortNameEdit()->isReadOnly());
            QVERIFY(!form.edit(QStringLiteral("lastNameEdit"))->isReadOnly());
            QVERIFY(form.button(QStringLiteral("okButton"))->isEnabled());
        }
    }

    void printAsksTheQuestionsThenRunsThePersonReport() {
        int printers = 0;
        reportOutputHooks().confirmPrinter = [&](QWidget*, QPrinter&) {
            ++printers;
            return false;  // the print dialog cancelled: nothing is printed
        };
        std::optional<Person> dentist = personNamed("DENTIST", "BEN");
        PersonForm form(as("BEN", 0), Request::Change, *dentist);
        QVERIFY(form.start());
        form.print();
        QCOMPARE(MessageBox::shown().size(), 2);
        QCOMPARE(MessageBox::shown()[0].text, QStringLiteral("Include Comments?"));
        QCOMPARE(MessageBox::shown()[1].text, QStringLiteral("Include Confidential Comments?"));
        QCOMPARE(printers, 1);
        MessageBox::clearShown();
        std::optional<Person> shop = personNamed("PRINTSHOP");
        PersonForm open(as("BEN", 0), Request::Change, *shop);
        QVERIFY(open.start());
        open.print();
        QCOMPARE(MessageBox::shown().size(), 1);  // no confidential question for an Open person
        QCOMPARE(printers, 2);
        reportOutputHooks() = {};
    }

    void dialHandsNineteenCharactersToTheDialer() {
        std::optional<Person> lawyer = personNamed("LAWYER");
        QVERIFY(lawyer);
        const Person original = *lawyer;
        lawyer->PHONENUMBER = "+49 (89) 555-0123 ext 4567";  // 26 characters
        QVERIFY(m_db->change(*lawyer).ok());
        const size_t before = m_dialer.calls().size();

        PeopleBrowser browser(as("ANNA", 2), PeopleList::Viewable, false);
        QVERIFY(browser.list()->reloadAt(lawyer->toRow()).ok());
        click(browser.button(QStringLiteral("dialButton")));
        PersonForm form(as("ANNA", 2), Request::Change, *lawyer);
        QVERIFY(form.start());
        click(form.button(QStringLiteral("dialButton")));

        const std::vector<DialRequest> calls = m_dialer.calls();
        QCOMPARE(calls.size(), before + 2);
        for (size_t i = before; i < calls.size(); ++i) {
            QCOMPARE(calls[i].number, std::string("+49 (89) 555-0123 e"));
            QCOMPARE(calls[i].calledParty, std::string("LAWYER"));
        }
    }

    void theThreeListsCarryTheirButtonsAndColumns() {
        Workspace& ws = as("BEN", 0);
        PeopleBrowser edit(ws, PeopleList::Edit, false);
        PeopleBrowser assign(ws, PeopleList::Assignable, false);
        PeopleBrowser view(ws, PeopleList::Viewable, false);
        QVERIFY(edit.button(QStringLiteral("deleteButton")));
        QVERIFY(!assign.button(QStringLiteral("deleteButton")));
        QVERIFY(assign.button(QStringLiteral("insertButton")));
        QVERIFY(!view.button(QStringLiteral("insertButton")));
        QCOMPARE(view.button(QStringLiteral("changeButton"))->text(), QStringLiteral("View"));
        QVERIFY(!edit.button(QStringLiteral("selectButton"))->isEnabled());
        QCOMPARE(edit.list()->columnCount(), 5);
        QCOMPARE(assign.list()->columnCount(), 4);
        QCOMPARE(view.list()->columnCount(), 5);
        QCOMPARE(edit.list()->sortTabs()->count(), 3);
        QCOMPARE(edit.list()->sortTabs()->tabText(2), QStringLiteral("By Organization"));
        screenshot(&view, "browse_people_viewed");
    }

    void selectModeReturnsTheChosenPersonWithItsMemos() {
        std::optional<Person> dentist = personNamed("DENTIST", "BEN");
        dentist->COMMENTS = "Bring the X-rays";
        QVERIFY(m_db->change(*dentist).ok());
        Workspace& ws = as("BEN", 0);
        PeopleBrowser picker(ws, PeopleList::Assignable, true);
        QVERIFY(picker.list()->reloadAt(dentist->toRow()).ok());
        click(picker.button(QStringLiteral("selectButton")));
        QVERIFY(picker.chosen());
        QCOMPARE(picker.chosen()->PERSONNUMBER, dentist->PERSONNUMBER);
        QCOMPARE(picker.chosen()->COMMENTS, std::string("Bring the X-rays"));

        // Through the contract the assignment form uses.
        QTimer::singleShot(0, [] {
            auto* b = qobject_cast<PeopleBrowser*>(QApplication::activeModalWidget());
            QVERIFY(b);
            b->list()->reload();
            b->selectPerson();
        });
        const std::optional<Person> chosen = selectAssignablePerson(nullptr, ws);
        QVERIFY(chosen);
        QTimer::singleShot(0, [] {
            if (auto* b = qobject_cast<PeopleBrowser*>(QApplication::activeModalWidget()))
                b->button(QStringLiteral("closeButton"))->click();
        });
        QVERIFY(!selectAssignablePerson(nullptr, ws));
    }

    void usersForLimitedPersonInsertAndDelete() {
        std::optional<Person> lawyer = personNamed("LAWYER");
        Workspace& ws = as("CARLA", 0);
        LimitedPersonUsersDialog::setUserPicker(
            [](QWidget*, const std::vector<std::string>& candidates) {
                // CARLA and ANNA are listed already, so they are not offered.
                for (const std::string& c : candidates)
                    if (c == "CARLA" || c == "ANNA") return std::vector<std::string>{};
                return std::vector<std::string>{"BEN"};
            });
        LimitedPersonUsersDialog dialog(ws, lawyer->PERSONNUMBER, lawyer->SHORTNAME);
        dialog.show();
        QCOMPARE(dialog.personEdit()->text(), QStringLiteral("LAWYER"));
        click(dialog.findChild<QPushButton*>(QStringLiteral("insertButton")));
        PeoUser ben;
        QVERIFY(m_db->fetch("PEU:PERSONNUMBER_KEY",
                            {std::int64_t{lawyer->PERSONNUMBER}, std::string("BEN")}, ben)
                    .ok());
        QCOMPARE(dialog.list()->selectedRow()->pos, ben.rowPos);
        screenshot(&dialog, "users_for_limited_person");
        click(dialog.findChild<QPushButton*>(QStringLiteral("deleteButton")));
        QVERIFY(!m_db->fetch("PEU:PERSONNUMBER_KEY",
                             {std::int64_t{lawyer->PERSONNUMBER}, std::string("BEN")}, ben)
                     .ok());
        LimitedPersonUsersDialog::setUserPicker(nullptr);

        // By default the users come from "Browse Users - Multiple Select";
        // one listed already is not added twice.
        m_workspace.services.pickUsers = [](QWidget*, Workspace&) {
            return std::vector<std::string>{"ANNA", "BEN"};
        };
        click(dialog.findChild<QPushButton*>(QStringLiteral("insertButton")));
        m_workspace.services.pickUsers = {};
        std::int64_t rows = 0;
        QVERIFY(m_db->count<PeoUser>(store::eq("PERSONNUMBER", std::int64_t{lawyer->PERSONNUMBER}),
                                     rows)
                    .ok());
        QCOMPARE(rows, std::int64_t{3});  // CARLA, ANNA and BEN
    }

    void everyWindowHasItsHelpTopic() {
        Workspace& ws = as("BEN", 0);
        PersonForm form(ws, Request::Change, *personNamed("PRINTSHOP"));
        LimitedPersonUsersDialog users(ws, 1, "X");
        QList<QWidget*> windows{&form, &users};
        std::vector<std::unique_ptr<PeopleBrowser>> lists;
        for (PeopleList kind : {PeopleList::Edit, PeopleList::Assignable, PeopleList::Viewable}) {
            lists.push_back(std::make_unique<PeopleBrowser>(ws, kind, false));
            windows << lists.back().get();
        }
        for (QWidget* w : windows)
            QVERIFY2(!HelpBrowser::topicUrl(w->whatsThis()).isEmpty(), qPrintable(w->whatsThis()));
    }

    void registeredProceduresOpenTheWindows() {
        Procedures registry;
        registerPeopleScreens(registry);
        QVERIFY(registry.has(QStringLiteral("UpdatePeople")));
        QVERIFY(registry.has(QStringLiteral("BrowsePeople")));
        QVERIFY(registry.run(QStringLiteral("BrowsePeople"), nullptr, as("BEN", 0)));
        PeopleBrowser* window = nullptr;
        for (QWidget* w : QApplication::topLevelWidgets())
            if (auto* b = qobject_cast<PeopleBrowser*>(w); b && b->isVisible()) window = b;
        QVERIFY(window);
        QCOMPARE(window->windowTitle(), QStringLiteral("Browse People (Edit)"));
        QVERIFY(!window->isModal());
        window->close();
    }
};

}  // namespace tko

QTEST_MAIN(tko::PeopleWindowsTest)
#include "PeopleWindowsTest.moc"
