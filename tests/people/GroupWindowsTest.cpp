// The group-list windows on the offscreen platform: the list with its
// selection per access level and its select mode, the form's working list,
// saving and deleting through it, the refusal of another user's group, the
// multiple-select list's tags and the Print button.
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTableWidget>
#include <QtTest>

#include "data/Tables.h"
#include "people/GroupLists.h"
#include "people/ui/GroupListForm.h"
#include "people/ui/GroupListsWindow.h"
#include "people/ui/GroupScreens.h"
#include "people/ui/PeopleMultiSelect.h"
#include "platform/ui/BrowseList.h"
#include "platform/ui/FormScaffold.h"
#include "platform/ui/MessageBox.h"
#include "support/SignedIn.h"

namespace tko {

class GroupWindowsTest : public QObject {
    Q_OBJECT

private:
    QTemporaryDir m_dir;
    std::unique_ptr<Database> m_db;
    Workspace m_workspace;

    Workspace& as(const std::string& user, int access = 0) {
        return test::signedIn(m_workspace, m_db.get(), user, access);
    }
    GroupName storedGroup(const std::string& name, const std::string& user) {
        GroupName g;
        if (!m_db->fetch("GRO:GROUPUSER_KEY", {name, user}, g).ok()) g.GROUPNUMBER = -1;
        return g;
    }
    QStringList members(std::int32_t groupNumber) {
        std::vector<GroupPeople> rows;
        m_db->readAll("GRP:GROUPNUMBER_KEY", store::eq("GROUPNUMBER", std::int64_t{groupNumber}),
                      rows);
        QStringList names;
        for (const GroupPeople& r : rows) names << QString::fromStdString(r.SHORTNAME);
        names.sort();
        return names;
    }
    static QStringList column(BrowseList* list, int col) {
        QStringList out;
        for (int r = 0; r < static_cast<int>(list->pager().rows().size()); ++r)
            out << list->cellText(r, col).trimmed();
        return out;
    }
    void clearGroups() {
        for (const store::TableDef* t : {&GroupName::def(), &GroupPeople::def()}) {
            std::vector<store::Row> rows;
            store::ReadRequest all;
            all.limit = 1000;
            m_db->engine().read(*t, all, rows);
            for (const store::Row& r : rows) m_db->engine().remove(*t, r.pos);
        }
    }

private slots:
    void initTestCase() {
        MessageBox::setTestMode(true);
        QVERIFY(m_dir.isValid());
        m_db = test::newOffice(m_dir);
        QVERIFY(m_db);
        auto person = [&](const char* name, int number, const char* type, const char* owner) {
            Person p;
            p.SHORTNAME = name;
            p.PERSONNUMBER = number;
            p.TYPE = type;
            p.USER = owner;
            p.LASTNAME = std::string(name) + "son";
            QVERIFY(m_db->add(p).ok());
        };
        person("ANNA", 1, "User", "ANNA");
        person("BEN", 2, "User", "BEN");
        person("CARLA", 3, "User", "CARLA");
        person("PRINTSHOP", 4, "Open", "ANNA");
        person("DOCTOR", 5, "Private", "ANNA");
        UserAssign grant{"CARLA", "BEN"};
        QVERIFY(m_db->add(grant).ok());
    }
    void init() {
        MessageBox::clearShown();
        clearGroups();
    }

    void formSavesNameAndWorkingList() {
        GroupListForm form(as("BEN"), Request::Insert, GroupName{});
        QVERIFY(form.start());
        QCOMPARE(form.findChild<QLabel*>(QStringLiteral("createdByLabel"))->text(),
                 QStringLiteral("BEN"));
        QCOMPARE(form.nameEdit()->maxLength(), 20);
        form.nameEdit()->setText(QStringLiteral("Printing"));
        QCOMPARE(form.addTagged({{"PRINTSHOP", 4}, {"CARLA", 3}}), 2);
        // Tagging a member again adds nothing.
        QCOMPARE(form.addTagged({{"CARLA", 3}}), 0);
        QCOMPARE(form.memberTable()->rowCount(), 2);
        QCOMPARE(form.memberTable()->item(0, 0)->text(), QStringLiteral("CARLA"));
        QCOMPARE(form.memberTable()->item(1, 1)->text(), QStringLiteral("4"));
        // The heading of the members shows whole.
        form.show();
        QVERIFY(QTest::qWaitForWindowExposed(&form));
        QHeaderView* header = form.memberTable()->horizontalHeader();
        const QString heading = form.memberTable()->horizontalHeaderItem(0)->text();
        QVERIFY(header->sectionSize(0) >= header->fontMetrics().horizontalAdvance(heading) + 8);
        // Delete takes the highlighted member off the working list only.
        form.memberTable()->selectRow(1);
        form.deleteMember();
        QCOMPARE(form.members().size(), 1);
        QCOMPARE(members(storedGroup("Printing", "BEN").GROUPNUMBER), QStringList{});
        form.scaffold()->ok();
        QVERIFY(form.completed());
        const GroupName stored = storedGroup("Printing", "BEN");
        QVERIFY(stored.GROUPNUMBER > 0);
        QCOMPARE(members(stored.GROUPNUMBER), QStringList{QStringLiteral("CARLA")});
    }

    void duplicateNameKeepsTheFormOpen() {
        GroupName first;
        first.GROUPNAME = "Team";
        QVERIFY(saveGroupList(*m_db, as("BEN").session, first, first, {}).ok());
        GroupListForm form(as("BEN"), Request::Insert, GroupName{});
        QVERIFY(form.start());
        form.nameEdit()->setText(QStringLiteral("Team"));
        form.scaffold()->ok();
        QVERIFY(!form.completed());
        QVERIFY(!MessageBox::shown().isEmpty());
        QCOMPARE(MessageBox::shown().last().number, 24);
        QVERIFY(MessageBox::shown().last().text.contains(
            QStringLiteral("Duplicate GroupName/User combination")));
        QCOMPARE(form.nameEdit()->text(), QStringLiteral("Team"));  // nothing typed is lost
    }

    void deleteThroughTheForm() {
        GroupName g;
        g.GROUPNAME = "Gone soon";
        WorkingList list;
        list.add({"CARLA", 3});
        QVERIFY(saveGroupList(*m_db, as("BEN").session, g, g, list).ok());
        GroupListForm form(as("BEN"), Request::Delete, g);
        QVERIFY(form.start());
        QVERIFY(!form.nameEdit()->isEnabled() || form.nameEdit()->isReadOnly());
        QVERIFY(!form.button(QStringLiteral("insertButton"))->isEnabled());
        MessageBox::setNextAnswer(Answer::Ok);  // confirm the deletion (message 32)
        form.scaffold()->ok();
        QVERIFY(form.completed());
        QCOMPARE(storedGroup("Gone soon", "BEN").GROUPNUMBER, -1);
        QCOMPARE(members(g.GROUPNUMBER), QStringList{});
    }

    void anotherUsersGroupDoesNotOpen() {
        GroupName annas;
        annas.GROUPNAME = "Anna's";
        QVERIFY(saveGroupList(*m_db, as("ANNA").session, annas, annas, {}).ok());
        GroupListForm form(as("BEN", 1), Request::Change, annas);
        QVERIFY(!form.start());
        GroupListForm admin(as("BOSS", 2), Request::Change, annas);
        QVERIFY(admin.start());
        QCOMPARE(admin.findChild<QLabel*>(QStringLiteral("createdByLabel"))->text(),
                 QStringLiteral("ANNA"));
    }

    void listShowsOwnGroupsOrAllAndSelects() {
        for (const char* owner : {"ANNA", "BEN"}) {
            GroupName g;
            g.GROUPNAME = std::string(owner) + " group";
            QVERIFY(saveGroupList(*m_db, as(owner).session, g, g, {}).ok());
        }
        GroupListsWindow mine(as("BEN", 1), true);
        QCOMPARE(column(mine.list(), 0), QStringList{QStringLiteral("BEN group")});
        QVERIFY(mine.button(QStringLiteral("selectButton"))->isEnabled());
        mine.choose();
        QVERIFY(mine.chosen());
        QCOMPARE(mine.chosen()->GROUPNAME, std::string("BEN group"));

        GroupListsWindow all(as("BOSS", 2), false);
        QCOMPARE(column(all.list(), 0),
                 (QStringList{QStringLiteral("ANNA group"), QStringLiteral("BEN group")}));
        QCOMPARE(column(all.list(), 1),
                 (QStringList{QStringLiteral("ANNA"), QStringLiteral("BEN")}));
        QVERIFY(!all.button(QStringLiteral("selectButton"))->isEnabled());
        all.choose();  // not in select mode: nothing chosen
        QVERIFY(!all.chosen());
    }

    void multipleSelectTagsAndClears() {
        PeopleMultiSelect picker(as("BEN", 2));
        // BEN's choice: himself, CARLA (granted), the open print shop; not
        // ANNA (no grant) nor ANNA's private doctor, whatever his level.
        QCOMPARE(column(picker.list(), 1),
                 (QStringList{QStringLiteral("BEN"), QStringLiteral("CARLA"),
                              QStringLiteral("PRINTSHOP")}));
        picker.list()->pager().select(1);
        picker.toggleHighlighted();
        picker.list()->pager().select(2);
        picker.toggleHighlighted();
        QCOMPARE(picker.tagMark(0), QString());
        QVERIFY(!picker.tagMark(1).isEmpty());
        QCOMPARE(picker.tagged().size(), size_t{2});
        picker.toggleHighlighted();  // clears PRINTSHOP again
        QCOMPARE(picker.tagged().size(), size_t{1});
        QCOMPARE(picker.tagged().front().SHORTNAME, std::string("CARLA"));
        picker.clearAll();
        QVERIFY(picker.tagged().empty());
        QCOMPARE(picker.tagMark(1), QString());
    }

    void printRunsTheReportProcedureWithTheGroup() {
        GroupName g;
        g.GROUPNAME = "Printed";
        QVERIFY(saveGroupList(*m_db, as("BEN").session, g, g, {}).ok());
        GroupListForm form(as("BEN"), Request::Change, g);
        QVERIFY(form.start());
        form.print();
        QVERIFY(!MessageBox::shown().isEmpty());
        QCOMPARE(MessageBox::shown().last().number, 6);
        QVERIFY(MessageBox::shown().last().text.contains(QStringLiteral("PrintGroupList")));

        // Once a report is registered under that name, it runs and learns the group.
        std::optional<GroupName> seen;
        procedures().add(QStringLiteral("PrintGroupList"),
                         [&](QWidget*, Workspace&) { seen = groupListToPrint(); });
        MessageBox::clearShown();
        form.print();
        QVERIFY(MessageBox::shown().isEmpty());
        QVERIFY(seen);
        QCOMPARE(seen->GROUPNUMBER, g.GROUPNUMBER);
        QVERIFY(!groupListToPrint());  // only while the report runs
    }
};

}  // namespace tko

QTEST_MAIN(tko::GroupWindowsTest)
#include "GroupWindowsTest.moc"
