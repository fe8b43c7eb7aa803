// The three deletion screens on the offscreen platform: choosing the person
// (typed, with the rights of the screen), deleting one assignment with the
// confirmation, deleting all of a person's after the question, and deleting
// by date through the progress window. The batch screens refuse anyone but a
// System Administrator.
#include <QApplication>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QtTest>

#include "app/DemoOffice.h"
#include "assign/Deletion.h"
#include "assign/ui/DeleteAssignmentWindow.h"
#include "assign/ui/DeleteByDateWindow.h"
#include "assign/ui/DeleteByPersonDialog.h"
#include "assign/ui/DeletionScreens.h"
#include "data/Password.h"
#include "platform/Picture.h"
#include "platform/ui/BrowseList.h"
#include "platform/ui/MessageBox.h"
#include "platform/ui/Procedures.h"
#include "support/SignedIn.h"

namespace tko {

class DeletionWindowsTest : public QObject {
    Q_OBJECT

private:
    QTemporaryDir m_dir;
    std::unique_ptr<Database> m_db;
    Workspace m_workspace;
    int m_next = 1000;

    Workspace& as(const std::string& user, int access) {
        return test::signedIn(m_workspace, m_db.get(), user, access);
    }

    Person personNamed(const std::string& shortName) {
        Person p;
        [&] { QVERIFY(m_db->fetch("PEO:SHORT_KEY", {shortName}, p).ok()); }();
        return p;
    }

    // An assignment of `who` given by `by`, concluded on `closeDate`, with a
    // reminder of another user.
    int assignment(const Person& who, Date closeDate, const std::string& by = {}) {
        Assignment a;
        a.USERNAME = by;
        a.ASSIGNNUMBER = ++m_next;
        a.PERSONNUMBER = who.PERSONNUMBER;
        a.PERSON = who.SHORTNAME;
        a.NAME = "Window test";
        a.DUEDATE = 50000;
        a.CLOSEDATE = closeDate;
        m_db->add(a);
        Reminder r;
        r.ASSIGNNUMBER = a.ASSIGNNUMBER;
        r.PERSON = "SOMEONE";
        r.USER = "SOMEONE";
        r.REMINDNUMBER = 100000 + a.ASSIGNNUMBER;
        m_db->add(r);
        return a.ASSIGNNUMBER;
    }

    bool exists(int number) {
        Assignment a;
        return m_db->fetch("ASS:NUMBER_KEY", {std::int64_t{number}}, a).ok();
    }
    bool hasReminder(int number) {
        Reminder r;
        return m_db->fetch("REM:ASSIGNNUMBER_KEY", {std::int64_t{number}}, r).ok();
    }
    std::int64_t assignmentsOf(const Person& p) {
        std::int64_t n = -1;
        m_db->count<Assignment>(assignmentsOfPerson(p.PERSONNUMBER), n);
        return n;
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

    void init() { MessageBox::clearShown(); }

    void individualDeletionListsAPersonsAssignmentsAndConfirms() {
        Workspace& ws = as("BEN", 0);
        const Person ben = personNamed("BEN");
        const int number = assignment(ben, 0, "BEN");
        const int fromAnna = assignment(ben, 0, "ANNA");
        DeleteAssignmentWindow window(ws);
        window.show();
        // No person chosen yet: nobody's assignments are listed.
        QVERIFY(!window.list()->selectedRow());

        // ANNA's private DOCTOR is not a person BEN may name.
        window.personEdit()->setText(QStringLiteral("DOCTOR"));
        QVERIFY(!window.personEntered());
        QVERIFY(!MessageBox::shown().isEmpty());
        QVERIFY(!window.person());

        window.personEdit()->setText(QStringLiteral("BEN"));
        QVERIFY(window.personEntered());
        QVERIFY(window.list()->selectedRow());
        QCOMPARE(window.list()->cellText(0, 1).trimmed().isEmpty(), false);

        // On our assignment, Cancel on the confirmation keeps it.
        Assignment target;
        QVERIFY(m_db->fetch("ASS:NUMBER_KEY", {std::int64_t{number}}, target).ok());
        window.list()->reloadAt(target.toRow());
        QCOMPARE(int(std::get<std::int64_t>(window.list()->selectedRow()->values.at(0))), number);
        MessageBox::setNextAnswer(Answer::Cancel);
        window.deleteSelected();
        QVERIFY(exists(number));

        MessageBox::setNextAnswer(Answer::Ok);
        window.deleteSelected();
        QVERIFY(!exists(number));
        QVERIFY(!hasReminder(number));

        // Work ANNA gave him is listed but not his to delete.
        QVERIFY(m_db->fetch("ASS:NUMBER_KEY", {std::int64_t{fromAnna}}, target).ok());
        window.list()->reloadAt(target.toRow());
        QCOMPARE(int(std::get<std::int64_t>(window.list()->selectedRow()->values.at(0))), fromAnna);
        MessageBox::clearShown();
        MessageBox::setNextAnswer(Answer::Ok);
        window.deleteSelected();
        QVERIFY(exists(fromAnna));
        QVERIFY(!MessageBox::shown().isEmpty());

        // A refused name after BEN leaves nobody chosen: no list, no Type or
        // User, no Delete; the typed name stays for the user to mend.
        QVERIFY(window.button(QStringLiteral("deleteButton"))->isEnabled());
        window.personEdit()->setText(QStringLiteral("DOCTOR"));
        QVERIFY(!window.personEntered());
        QVERIFY(!window.person());
        QVERIFY(!window.list()->selectedRow());
        QCOMPARE(window.list()->pager().rows().size(), size_t{0});
        QVERIFY(window.findChild<QLabel*>(QStringLiteral("typeLabel"))->text().isEmpty());
        QVERIFY(window.findChild<QLabel*>(QStringLiteral("userLabel"))->text().isEmpty());
        QVERIFY(!window.button(QStringLiteral("deleteButton"))->isEnabled());
        QCOMPARE(window.personEdit()->text(), QStringLiteral("DOCTOR"));
    }

    void deletingAllOfAPersonAsksFirstAndTakesEverything() {
        Workspace& ws = as("SUPERVISOR", 2);
        const Person shop = personNamed("PRINTSHOP");
        const Person tax = personNamed("TAXADVISOR");
        const int open = assignment(shop, 0);
        const int concluded = assignment(shop, 40000);
        const int other = assignment(tax, 0);

        DeleteByPersonDialog dialog(ws);
        dialog.show();
        // A refused name after a chosen one leaves no details of it behind.
        dialog.personEdit()->setText(QStringLiteral("TAXADVISOR"));
        QVERIFY(dialog.personEntered());
        dialog.personEdit()->setText(QStringLiteral("NOSUCHONE"));
        QVERIFY(!dialog.personEntered());
        QVERIFY(dialog.findChild<QLabel*>(QStringLiteral("typeLabel"))->text().isEmpty());
        dialog.personEdit()->setText(QStringLiteral("PRINTSHOP"));
        MessageBox::setNextAnswer(Answer::Cancel);
        dialog.ok();
        QVERIFY(dialog.isVisible());
        QVERIFY(exists(open) && exists(concluded));

        MessageBox::setNextAnswer(Answer::Yes);
        dialog.ok();
        QCOMPARE(dialog.result(), int(QDialog::Accepted));
        QCOMPARE(assignmentsOf(shop), std::int64_t{0});
        QVERIFY(!hasReminder(open) && !hasReminder(concluded));
        QVERIFY(exists(other));
    }

    void deletingByDateRunsToTheEndAndKeepsTheEnteredDay() {
        Workspace& ws = as("SUPERVISOR", 2);
        const Person tax = personNamed("TAXADVISOR");
        const int early = assignment(tax, 30000);
        const int onTheDay = assignment(tax, 30010);
        const int open = assignment(tax, 0);

        DeleteByDateWindow window(ws);
        window.show();
        window.dateEdit()->setText(formatDate(30010, u"@D18"));
        MessageBox::setNextAnswer(Answer::Cancel);
        window.ok();
        QVERIFY(exists(early));

        MessageBox::clearShown();
        MessageBox::setNextAnswer(Answer::Yes);
        window.ok();
        QVERIFY(window.deleted() >= 1);
        // It ends by saying how many went.
        QCOMPARE(MessageBox::shown().last().text,
                 QString::number(window.deleted()) +
                     QStringLiteral(" concluded assignments were deleted."));
        QVERIFY(!exists(early));
        QVERIFY(!hasReminder(early));
        QVERIFY(exists(onTheDay));
        QVERIFY(exists(open));
        QCOMPARE(window.result(), int(QDialog::Accepted));
    }

    void aDateThatCannotBeReadIsRefused() {
        Workspace& ws = as("SUPERVISOR", 2);
        DeleteByDateWindow window(ws);
        window.show();
        window.dateEdit()->setText(QStringLiteral("yesterday"));
        window.ok();
        QVERIFY(window.isVisible());
        QCOMPARE(MessageBox::shown().size(), 1);
        QCOMPARE(window.dateEdit()->text(), QStringLiteral("yesterday"));
        window.dateEdit()->clear();  // no date at all
        window.ok();
        QVERIFY(window.isVisible());
        QCOMPARE(MessageBox::shown().size(), 2);
    }

    void theBatchScreensAreForAdministratorsOnly() {
        Procedures registry;
        registerDeletionScreens(registry);
        Workspace& ws = as("BEN", 0);
        const int before = QApplication::topLevelWidgets().size();
        QVERIFY(registry.run(QStringLiteral("DeleteBatchByDate"), nullptr, ws));
        QCOMPARE(MessageBox::shown().size(), 1);
        QVERIFY(registry.run(QStringLiteral("DeleteBatchByPerson"), nullptr, ws));
        QCOMPARE(MessageBox::shown().size(), 2);
        QCOMPARE(QApplication::topLevelWidgets().size(), before);
        // The individual screen is open to everybody.
        QVERIFY(registry.run(QStringLiteral("DeleteAssignment"), nullptr, ws));
        bool opened = false;
        for (QWidget* w : QApplication::topLevelWidgets())
            if (auto* d = qobject_cast<DeleteAssignmentWindow*>(w); d && d->isVisible()) {
                opened = true;
                d->close();
            }
        QVERIFY(opened);
    }
};

}  // namespace tko

QTEST_MAIN(tko::DeletionWindowsTest)
#include "DeletionWindowsTest.moc"
