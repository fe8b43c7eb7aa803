// "Assignment Information Group" on the offscreen platform: the assignment
// form in its group shape, OK storing one record per eligible member, a group
// with nobody eligible keeping the form open, and Cancel taking the form's
// record back.
#include <QCheckBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QSpinBox>
#include <QTabWidget>
#include <QtTest>

#include "assign/AssignmentRules.h"
#include "assign/GroupAssignment.h"
#include "assign/ui/AssignmentForm.h"
#include "data/Tables.h"
#include "people/GroupLists.h"
#include "platform/Picture.h"
#include "platform/ui/FormScaffold.h"
#include "platform/ui/MessageBox.h"
#include "support/SignedIn.h"

namespace tko {

class GroupFormTest : public QObject {
    Q_OBJECT

private:
    QTemporaryDir m_dir;
    std::unique_ptr<Database> m_db;
    Workspace m_workspace;
    const Date m_today = fromYmd(2024, 3, 11);
    GroupName m_team, m_outsiders;

    Workspace& as(const std::string& user, int access = 0) {
        return test::signedIn(m_workspace, m_db.get(), user, access);
    }
    std::vector<Assignment> stored() {
        std::vector<Assignment> rows;
        m_db->readAll("ASS:NUMBER_KEY", store::all(), rows);
        return rows;
    }
    void clearAssignments() {
        for (const Assignment& a : stored()) m_db->remove(a);
    }

private slots:
    void initTestCase() {
        MessageBox::setTestMode(true);
        QVERIFY(m_dir.isValid());
        m_db = test::newOffice(m_dir);
        QVERIFY(m_db);
        Clock::setFixed(m_today, fromHms(10, 30));
        auto person = [&](const char* name, int number, const char* type) {
            Person p;
            p.SHORTNAME = name;
            p.PERSONNUMBER = number;
            p.TYPE = type;
            p.USER = "ANNA";
            QVERIFY(m_db->add(p).ok());
        };
        person("ANNA", 1, "User");
        person("BEN", 2, "User");
        person("CARLA", 3, "User");
        person("PRINTSHOP", 4, "Open");
        UserAssign grant{"BEN", "ANNA"};
        QVERIFY(m_db->add(grant).ok());
        UserPref pref;
        pref.USERNAME = "ANNA";
        pref.PRIORITY = 3;
        QVERIFY(m_db->add(pref).ok());

        m_team.GROUPNAME = "Team";
        WorkingList team;
        team.addAll({{"BEN", 2}, {"CARLA", 3}, {"PRINTSHOP", 4}});
        QVERIFY(saveGroupList(*m_db, as("ANNA").session, m_team, m_team, team).ok());
        m_outsiders.GROUPNAME = "Outsiders";
        WorkingList outsiders;
        outsiders.add({"CARLA", 3});
        QVERIFY(saveGroupList(*m_db, as("ANNA").session, m_outsiders, m_outsiders, outsiders).ok());
    }
    void cleanupTestCase() { Clock::useSystem(); }
    void init() {
        MessageBox::clearShown();
        clearAssignments();
    }

    void groupShape() {
        AssignmentForm form(as("ANNA"), AssignmentForm::Target::Group);
        QVERIFY(form.start());
        QCOMPARE(form.windowTitle(), QStringLiteral("Assignment Information Group"));
        QCOMPARE(form.whatsThis(), QStringLiteral("~Group_Assignment_Information_Window"));
        QCOMPARE(form.personEdit()->maxLength(), 20);
        QCOMPARE(form.personEdit()->toolTip(), QStringLiteral("Group receiving assignment"));
        QCOMPARE(form.concludeCheck()->text(), QStringLiteral("Assi&gnees can conclude"));
        QCOMPARE(form.tabIndex(form.page(QStringLiteral("assigneePage"))), -1);
        for (const char* name :
             {"duplicateButton", "printButton", "textFileButton", "concludeButton"})
            QVERIFY2(form.button(QLatin1String(name))->isHidden(), name);
        // Primed like a single assignment and already numbered.
        QCOMPARE(form.prioritySpin()->value(), 3);
        QCOMPARE(stored().size(), size_t{1});
        // OK waits for a name and a group.
        QVERIFY(!form.button(QStringLiteral("okButton"))->isEnabled());
        form.nameEdit()->setText(QStringLiteral("Stocktaking"));
        QVERIFY(!form.button(QStringLiteral("okButton"))->isEnabled());
        form.setGroup(m_team);
        QVERIFY(form.button(QStringLiteral("okButton"))->isEnabled());
        QCOMPARE(form.personEdit()->text(), QStringLiteral("Team"));
    }

    void okGivesEveryEligibleMemberARecord() {
        AssignmentForm form(as("ANNA"), AssignmentForm::Target::Group);
        QVERIFY(form.start());
        form.nameEdit()->setText(QStringLiteral("Stocktaking"));
        form.setGroup(m_team);
        form.scaffold()->ok();
        QVERIFY(form.completed());
        const std::vector<Assignment> rows = stored();
        QCOMPARE(rows.size(), size_t{2});  // CARLA does not take ANNA's assignments
        QCOMPARE(rows[0].PERSON, std::string("BEN"));
        QCOMPARE(rows[1].PERSON, std::string("PRINTSHOP"));
        QCOMPARE(rows[1].ASSIGNNUMBER, rows[0].ASSIGNNUMBER + 1);
        for (const Assignment& a : rows) {
            QCOMPARE(a.NAME, std::string("Stocktaking"));
            QCOMPARE(a.PRIORITY, std::uint8_t{3});
            QVERIFY(a.LOG.rfind("Created", 0) == 0);
        }
        QCOMPARE(form.groupRecords().size(), size_t{2});
        // The member skipped is named, with the reason.
        QVERIFY(!MessageBox::shown().isEmpty());
        QCOMPARE(MessageBox::shown().last().text,
                 QStringLiteral("The assignment went to 2 of the 3 members.\n"
                                "Not given to CARLA: they take no assignments from you."));
    }

    void noEligibleMemberKeepsTheFormOpenAndWritesNothing() {
        AssignmentForm form(as("ANNA"), AssignmentForm::Target::Group);
        QVERIFY(form.start());
        form.nameEdit()->setText(QStringLiteral("Stocktaking"));
        form.setGroup(m_outsiders);
        form.scaffold()->ok();
        QVERIFY(!form.completed());
        QVERIFY(!MessageBox::shown().isEmpty());
        QCOMPARE(MessageBox::shown().last().text,
                 QString::fromLatin1(kNoEligibleMember) +
                     QStringLiteral("\nNot given to CARLA: they take no assignments from you."));
        std::vector<Assignment> rows = stored();
        QCOMPARE(rows.size(), size_t{1});
        QVERIFY(rows[0].PERSON.empty());
        QCOMPARE(form.nameEdit()->text(), QStringLiteral("Stocktaking"));

        // Another group then goes through from the same form.
        form.setGroup(m_team);
        form.scaffold()->ok();
        QVERIFY(form.completed());
        QCOMPARE(stored().size(), size_t{2});
    }

    void cancelTakesTheFormsRecordBack() {
        {
            AssignmentForm form(as("ANNA"), AssignmentForm::Target::Group);
            QVERIFY(form.start());
            QCOMPARE(stored().size(), size_t{1});
            form.nameEdit()->setText(QStringLiteral("Never mind"));
            MessageBox::setNextAnswer(Answer::Yes);  // "Are you sure you want to cancel?"
            form.scaffold()->cancel();
            QVERIFY(!form.completed());
        }
        QCOMPARE(stored().size(), size_t{0});
    }

    void typedGroupNameIsLookedUpWithinTheUsersGroups() {
        AssignmentForm form(as("ANNA"), AssignmentForm::Target::Group);
        QVERIFY(form.start());
        form.personEdit()->setText(QStringLiteral("Team"));
        emit form.personEdit()->editingFinished();
        QVERIFY(form.group());
        QCOMPARE(form.group()->GROUPNUMBER, m_team.GROUPNUMBER);
        // BEN owns no group of that name: the look-up falls to the list,
        // which (closed at once in the test) chooses nothing.
        AssignmentForm bens(as("BEN"), AssignmentForm::Target::Group);
        QVERIFY(bens.start());
        QTimer::singleShot(0, [] {
            if (QWidget* modal = QApplication::activeModalWidget()) modal->close();
        });
        bens.personEdit()->setText(QStringLiteral("Team"));
        emit bens.personEdit()->editingFinished();
        QVERIFY(!bens.group());
        QCOMPARE(bens.personEdit()->text(), QString());
    }
};

}  // namespace tko

QTEST_MAIN(tko::GroupFormTest)
#include "GroupFormTest.moc"
