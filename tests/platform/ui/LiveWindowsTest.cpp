// Windows that follow other stations' changes, on the offscreen platform with
// two stations on one data directory: a list re-reads its page keeping the
// highlighted row, its place and the focus; a form's bar "Changed at another
// station" comes and goes with the stored record.
#include <QApplication>
#include <QDialog>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTableView>
#include <QTableWidget>
#include <QTest>
#include <QVBoxLayout>

#include "app/ui/MainFrame.h"
#include "assign/AssignmentRules.h"
#include "assign/ReminderRules.h"
#include "assign/ui/AssignmentForm.h"
#include "assign/ui/ReminderForm.h"
#include "data/Database.h"
#include "platform/ChangeWatcher.h"
#include "platform/ui/BrowseList.h"
#include "platform/ui/FormScaffold.h"
#include "platform/ui/ListWindow.h"
#include "platform/ui/MessageBox.h"
#include "support/TestStore.h"

namespace {

constexpr int kWaitMs = 2000;

int numberOf(const tko::store::Row& row) {
    tko::Assignment a;
    a.fromRow(row);
    return a.ASSIGNNUMBER;
}

class NumberList : public tko::ListWindow {
public:
    explicit NumberList(tko::store::Engine& engine)
        : tko::ListWindow(engine, tko::Assignment::def()) {
        setIdentity({"NumberList", "numberList", QStringLiteral("Numbers"), QString()});
        entry = new QLineEdit(this);
        headerLayout()->addWidget(entry);
        list()->setFormat(
            QStringLiteral("40R(2)~Number~@n_6@#ASSIGNNUMBER#120L(2)~Name~@s50@#NAME#"));
        setSortTabs({{"By Number", "Sort by number", "ASS:NUMBER_KEY", ""}});
        finish(500, 400);
    }
    int highlighted() const {
        return list()->selectedRow() ? numberOf(*list()->selectedRow()) : -1;
    }
    bool lists(int number) const {
        for (const auto& row : list()->pager().rows())
            if (numberOf(row) == number) return true;
        return false;
    }
    QLineEdit* entry = nullptr;
};

}  // namespace

class LiveWindowsTest : public QObject {
    Q_OBJECT

private:
    std::unique_ptr<tko::test::TempDir> m_dir;
    std::unique_ptr<tko::Database> m_here, m_there;
    std::unique_ptr<tko::ChangeWatcher> m_watcher;

    tko::Assignment stored(int number) {
        tko::Assignment a;
        m_here->fetch("ASS:NUMBER_KEY", {std::int64_t{number}}, a);
        return a;
    }

private slots:
    void initTestCase() { tko::MessageBox::setTestMode(true); }
    void init() {
        tko::MessageBox::clearShown();
        m_dir = std::make_unique<tko::test::TempDir>();
        const tko::DataSource source = tko::test::freshSource(*m_dir);
        m_here = tko::test::openStation(source);
        m_there = tko::test::openStation(source);
        QVERIFY(m_here && m_there);
        QVERIFY(m_here->begin({"ASSIGNMENT"}, 2000).ok());
        for (int n = 10; n <= 400; n += 10) {
            tko::Assignment a;
            a.ASSIGNNUMBER = n;
            a.NAME = "task " + std::to_string(n);
            QVERIFY(m_here->add(a).ok());
        }
        QVERIFY(m_here->commit().ok());
        m_watcher = std::make_unique<tko::ChangeWatcher>(m_here->engine());
        m_watcher->start(50);
    }
    void cleanup() {
        m_watcher.reset();
        m_here.reset();
        m_there.reset();
        m_dir.reset();
    }

    void listFollowsAnotherStationKeepingRowPlaceAndFocus() {
        NumberList list(m_here->engine());
        list.show();
        QVERIFY(QTest::qWaitForWindowExposed(&list));
        // Highlight 50, a few rows down the first page; the user types in the entry.
        for (int i = 0; i < 4; ++i) QTest::keyClick(list.list()->view(), Qt::Key_Down);
        QCOMPARE(list.highlighted(), 50);
        const int place = list.list()->pager().selectedIndex();
        list.entry->setFocus();
        QTest::keyClicks(list.entry, QStringLiteral("ab"));

        tko::Assignment added;
        added.ASSIGNNUMBER = 25;
        added.NAME = "added elsewhere";
        QVERIFY(m_there->add(added).ok());
        QVERIFY(QTest::qWaitFor([&] { return list.lists(25); }, kWaitMs));
        QCOMPARE(list.highlighted(), 50);
        QCOMPARE(list.list()->pager().selectedIndex(), place);
        QCOMPARE(QApplication::focusWidget(), static_cast<QWidget*>(list.entry));
        QCOMPARE(list.entry->text(), QStringLiteral("ab"));

        // The highlighted row deleted elsewhere: its neighbour takes its place.
        tko::Assignment gone = stored(50);
        QVERIFY(m_there->remove(gone).ok());
        QVERIFY(QTest::qWaitFor([&] { return !list.lists(50); }, kWaitMs));
        QCOMPARE(list.highlighted(), 60);
    }

    void listFollowsAnotherWindowOfTheSameStation() {
        NumberList list(m_here->engine());
        list.show();
        QVERIFY(QTest::qWaitForWindowExposed(&list));
        tko::Assignment a = stored(20);
        a.NAME = "renamed in another window";
        QVERIFY(m_here->change(a).ok());
        QVERIFY(QTest::qWaitFor(
            [&] {
                for (int r = 0; r < 5; ++r)
                    if (list.list()->cellText(r, 1).startsWith(QStringLiteral("renamed")))
                        return true;
                return false;
            },
            kWaitMs));
    }

    // A form or question opened from the list is up: the list follows all the
    // same, and the row the form was opened on stays valid until it closes.
    void listFollowsWhileAModalWindowIsUp() {
        NumberList list(m_here->engine());
        list.show();
        QVERIFY(QTest::qWaitForWindowExposed(&list));
        const tko::store::Row* held = list.list()->selectedRow();
        QVERIFY(held);
        const tko::store::Row heldCopy = *held;
        QDialog modal(&list);
        modal.setModal(true);
        modal.show();
        QVERIFY(QTest::qWaitForWindowExposed(&modal));
        tko::Assignment added;
        added.ASSIGNNUMBER = 15;  // shown below the highlighted first row
        QVERIFY(m_there->add(added).ok());
        tko::Assignment renamed = stored(10);  // the highlighted row itself
        renamed.NAME = "renamed elsewhere";
        QVERIFY(m_there->change(renamed).ok());
        QVERIFY(QTest::qWaitFor(
            [&] {
                return list.lists(15) &&
                       list.list()->cellText(0, 1) == QStringLiteral("renamed elsewhere");
            },
            kWaitMs));
        QVERIFY(!list.reloadPending());
        QCOMPARE(list.highlighted(), 10);
        // The page before is kept while the modal window is up.
        QVERIFY(list.list()->pager().retiredPageCount() > 0);
        QCOMPARE(numberOf(*held), 10);
        QVERIFY(held->values == heldCopy.values);
        modal.close();
        QVERIFY(
            QTest::qWaitFor([&] { return list.list()->pager().retiredPageCount() == 0; }, kWaitMs));
    }

    void formBarComesWithAChangeElsewhereAndKeepMineHidesIt() {
        tko::Assignment mine = stored(30);
        QDialog form;
        auto* layout = new QVBoxLayout(&form);
        auto* name = new QLineEdit(QString::fromStdString(mine.NAME), &form);
        layout->addWidget(name);
        auto* scaffold = new tko::FormScaffold(&form, tko::Request::Change, &form);
        scaffold->watchRecord(m_here->engine(), tko::Assignment::def(), [&] {
            tko::Assignment now = mine;
            now.NAME = name->text().toStdString();
            return now.toRow();
        });
        form.show();
        QVERIFY(QTest::qWaitForWindowExposed(&form));
        name->setText(QStringLiteral("my edit"));

        // Another station's change of a different record raises no bar.
        tko::Assignment other = stored(40);
        other.NAME = "other record";
        QVERIFY(m_there->change(other).ok());
        QTest::qWait(300);
        QVERIFY(!scaffold->changedBar());

        tko::Assignment theirs = stored(30);
        theirs.NAME = "their edit";
        theirs.PRIORITY = 7;
        QVERIFY(m_there->change(theirs).ok());
        QVERIFY(QTest::qWaitFor([&] { return scaffold->changedBar() != nullptr; }, kWaitMs));
        QVERIFY(scaffold->changedBar()->findChild<QLabel*>()->text().startsWith(
            QStringLiteral("Changed at another station")));
        // The user's edit is untouched by the notice.
        QCOMPARE(name->text(), QStringLiteral("my edit"));

        // "Show changes": their values beside mine, field by field.
        QTest::mouseClick(form.findChild<QPushButton*>(QStringLiteral("showChangesButton")),
                          Qt::LeftButton);
        auto* window = form.findChild<QDialog*>(QStringLiteral("changesWindow"));
        QVERIFY(window && window->isVisible() && !window->isModal());
        auto* table = window->findChild<QTableWidget*>(QStringLiteral("changesTable"));
        QCOMPARE(table->rowCount(), 2);
        QMap<QString, QPair<QString, QString>> rows;
        for (int r = 0; r < table->rowCount(); ++r)
            rows[table->item(r, 0)->text()] = {table->item(r, 1)->text(),
                                               table->item(r, 2)->text()};
        QCOMPARE(rows.value(QStringLiteral("NAME")),
                 qMakePair(QStringLiteral("their edit"), QStringLiteral("my edit")));
        QCOMPARE(rows.value(QStringLiteral("PRIORITY")).first, QStringLiteral("7"));
        window->close();

        // "Keep mine": gone, and it stays gone for that change...
        QTest::mouseClick(form.findChild<QPushButton*>(QStringLiteral("keepMineButton")),
                          Qt::LeftButton);
        QVERIFY(!scaffold->changedBar());
        scaffold->checkRecord();
        QVERIFY(!scaffold->changedBar());
        // ...but a further change brings it back.
        theirs.NAME = "their second edit";
        QVERIFY(m_there->change(theirs).ok());
        QVERIFY(QTest::qWaitFor([&] { return scaffold->changedBar() != nullptr; }, kWaitMs));

        // Deleted elsewhere: the bar says so.
        QVERIFY(m_there->remove(theirs).ok());
        QVERIFY(QTest::qWaitFor(
            [&] {
                return scaffold->changedBar() &&
                       scaffold->changedBar()->findChild<QLabel*>()->text().contains(
                           QStringLiteral("deleted"));
            },
            kWaitMs));
    }

    void assignmentFormWarnsEarlyAndSavingStillGivesMessage38() {
        tko::Assignment a = tko::primeAssignment(tko::UserPref{}, "ANNA", 82000);
        a.NAME = "Order printer paper";
        a.PERSON = "PAT";
        a.SEEN = 1;
        QVERIFY(tko::addNewAssignment(*m_here, a).ok());
        tko::Workspace workspace;
        workspace.db = m_here.get();
        workspace.session.GlobalUser = "ANNA";
        tko::AssignmentForm form(workspace, tko::Request::Change, a);
        QVERIFY(form.start());
        form.show();
        QVERIFY(QTest::qWaitForWindowExposed(&form));
        form.nameEdit()->setText(QStringLiteral("Order toner"));

        tko::Assignment theirs = stored(a.ASSIGNNUMBER);
        theirs.NAME = "Order paper and toner";
        QVERIFY(m_there->change(theirs).ok());
        QVERIFY(QTest::qWaitFor([&] { return form.scaffold()->changedBar() != nullptr; }, kWaitMs));
        QVERIFY(tko::MessageBox::shown().isEmpty());  // a bar, not a box
        QCOMPARE(form.nameEdit()->text(), QStringLiteral("Order toner"));

        form.button(QStringLiteral("okButton"))->click();
        QVERIFY(!tko::MessageBox::shown().isEmpty());
        QCOMPARE(tko::MessageBox::shown().last().number, 38);
        QCOMPARE(stored(a.ASSIGNNUMBER).NAME, std::string("Order paper and toner"));
        QVERIFY(!form.completed());
    }

    // The smaller forms watch their record the same way.
    void reminderFormShowsTheBarWhenAnotherStationChangesTheReminder() {
        tko::Assignment a = tko::primeAssignment(tko::UserPref{}, "ANNA", 82000);
        a.NAME = "Renew the lease";
        a.PERSON = "PAT";
        QVERIFY(tko::addNewAssignment(*m_here, a).ok());
        tko::Reminder r = tko::primeReminder(a, "ANNA");
        r.DATE = 82010;
        r.NOTE = "Call the landlord";
        QVERIFY(tko::addNewReminder(*m_here, r).ok());
        tko::Workspace workspace;
        workspace.db = m_here.get();
        workspace.session.GlobalUser = "ANNA";
        tko::ReminderForm form(workspace, tko::Request::Change, r, a);
        QVERIFY(form.start());
        form.show();
        QVERIFY(QTest::qWaitForWindowExposed(&form));
        QVERIFY(!form.scaffold()->changedBar());

        tko::Reminder theirs;
        QVERIFY(
            m_there->fetch("REM:REMINDERNUMBER_KEY", {std::int64_t{r.REMINDNUMBER}}, theirs).ok());
        theirs.NOTE = "Write to the landlord";
        QVERIFY(m_there->change(theirs).ok());
        QVERIFY(QTest::qWaitFor([&] { return form.scaffold()->changedBar() != nullptr; }, kWaitMs));
        QCOMPARE(form.noteEdit()->text(), QStringLiteral("Call the landlord"));
    }

    void statusBarCountOfDueWorkFollowsAnotherStation() {
        tko::Workspace workspace;
        workspace.db = m_here.get();
        tko::MainFrame frame(workspace);
        frame.enterSession("ANNA", 0);
        auto* label = frame.findChild<QLabel*>(QStringLiteral("workStatusLabel"));
        QVERIFY(label);
        QCOMPARE(label->text(), QStringLiteral("Due now: 0"));

        tko::Assignment due;
        due.ASSIGNNUMBER = 1000;
        due.NAME = "given by Ben";
        due.PERSON = "ANNA";
        due.USERNAME = "BEN";
        due.DUEDATE = tko::Clock::today();
        QVERIFY(m_there->add(due).ok());
        QVERIFY(QTest::qWaitFor(
            [&] { return label->text().startsWith(QStringLiteral("Due now: 1")); }, kWaitMs));
        QVERIFY(label->text().contains(QStringLiteral("You have unseen or changed assignments")));

        // Concluded elsewhere: no longer due.
        due = stored(1000);
        due.CLOSEDATE = tko::Clock::today();
        QVERIFY(m_there->change(due).ok());
        QVERIFY(QTest::qWaitFor([&] { return label->text() == QStringLiteral("Due now: 0"); },
                                kWaitMs));
    }
};

QTEST_MAIN(LiveWindowsTest)
#include "LiveWindowsTest.moc"
