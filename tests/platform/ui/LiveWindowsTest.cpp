// Windows that follow other stations' changes, on the offscreen platform with
// two stations on one data directory: a list re-reads its page keeping the
// highlighted row, its place and the focus; a form's bar "Changed at another
// station" comes and goes with the stored record, and the user's edits
// survive another station's change (Keep mine, Ditto after message 38).
#include <QApplication>
#include <QDialog>
#include <QDialogButtonBox>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QTableView>
#include <QTableWidget>
#include <QTest>
#include <QTimer>
#include <QVBoxLayout>

#include "app/ui/MainFrame.h"
#include "assign/AssignmentRules.h"
#include "assign/ReminderRules.h"
#include "assign/ui/AssignmentForm.h"
#include "assign/ui/ReminderForm.h"
#include "data/Database.h"
#include "platform/ChangeWatcher.h"
#include "platform/Picture.h"
#include "platform/ui/BrowseList.h"
#include "platform/ui/FormScaffold.h"
#include "platform/ui/ListWindow.h"
#include "platform/ui/MessageBox.h"
#include "support/TestStore.h"

namespace {

constexpr int kWaitMs = 2000;

// Answers the modal choice of both-changed fields: checks `radio` and
// presses OK (or Cancel).
void answerChoice(const QString& radio, bool ok) {
    QWidget* dialog = QApplication::activeModalWidget();
    if (!dialog) return;
    if (auto* button = dialog->findChild<QRadioButton*>(radio)) button->setChecked(true);
    auto* box = dialog->findChild<QDialogButtonBox*>();
    box->button(ok ? QDialogButtonBox::Ok : QDialogButtonBox::Cancel)->click();
}

// A picture of `window` for looking at its layout, when TKO_SHOTS names a folder.
void saveShot(QWidget* window, const char* name) {
    const QByteArray folder = qgetenv("TKO_SHOTS");
    if (window && !folder.isEmpty())
        window->grab().save(QString::fromLocal8Bit(folder) + QLatin1Char('/') +
                            QLatin1String(name));
}

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
    tko::Workspace m_workspace;

    // Adds `a` given by ANNA and opens her assignment form on it, shown.
    bool openAnnasForm(tko::Assignment& a, std::unique_ptr<tko::AssignmentForm>& form) {
        if (!tko::addNewAssignment(*m_here, a).ok()) return false;
        m_workspace.db = m_here.get();
        m_workspace.session.GlobalUser = "ANNA";
        form = std::make_unique<tko::AssignmentForm>(m_workspace, tko::Request::Change, a);
        if (!form->start()) return false;
        form->show();
        return QTest::qWaitForWindowExposed(form.get());
    }

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
        const tko::Assignment opened = mine;
        scaffold->keepEdits([&] { return opened.toRow(); },
                            [&](const tko::store::Row&, const tko::store::Row& shown) {
                                mine.fromRow(shown);
                                name->setText(QString::fromStdString(mine.NAME));
                            },
                            [] {
                                return std::vector<tko::FieldView>{
                                    {"NAME", "Assignment", "", ""},
                                    {"PRIORITY", "Priority", "@n1", ""}};
                            });
        form.show();
        QVERIFY(QTest::qWaitForWindowExposed(&form));
        name->setText(QStringLiteral("my edit"));

        // Another station's change of a different record raises no bar: once
        // the station has heard of it (the form heard it first, it listened
        // first), the bar is still away.
        bool heard = false;
        QObject::connect(m_watcher.get(), &tko::ChangeWatcher::changed, &form,
                         [&](const tko::store::ChangeNotice& notice) {
                             heard = heard || notice.touches("ASSIGNMENT");
                         });
        tko::Assignment other = stored(40);
        other.NAME = "other record";
        QVERIFY(m_there->change(other).ok());
        QVERIFY(QTest::qWaitFor([&] { return heard; }, kWaitMs));
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
        QCOMPARE(rows.value(QStringLiteral("Assignment")),
                 qMakePair(QStringLiteral("their edit"), QStringLiteral("my edit")));
        QCOMPARE(rows.value(QStringLiteral("Priority")).first, QStringLiteral("7"));
        window->close();

        // "Keep mine" with both names changed offers the choice; the user
        // keeps his. The form then holds the stored version: no bar.
        QTimer::singleShot(0, [] { answerChoice(QStringLiteral("mineChoice_NAME"), true); });
        QTest::mouseClick(form.findChild<QPushButton*>(QStringLiteral("keepMineButton")),
                          Qt::LeftButton);
        QVERIFY(!scaffold->changedBar());
        QCOMPARE(name->text(), QStringLiteral("my edit"));
        QCOMPARE(mine.PRIORITY, 7);
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
        std::unique_ptr<tko::AssignmentForm> form;
        QVERIFY(openAnnasForm(a, form));
        form->nameEdit()->setText(QStringLiteral("Order toner"));

        tko::Assignment theirs = stored(a.ASSIGNNUMBER);
        theirs.NAME = "Order paper and toner";
        QVERIFY(m_there->change(theirs).ok());
        QVERIFY(
            QTest::qWaitFor([&] { return form->scaffold()->changedBar() != nullptr; }, kWaitMs));
        QVERIFY(tko::MessageBox::shown().isEmpty());  // a bar, not a box
        QCOMPARE(form->nameEdit()->text(), QStringLiteral("Order toner"));

        form->button(QStringLiteral("okButton"))->click();
        QVERIFY(!tko::MessageBox::shown().isEmpty());
        QCOMPARE(tko::MessageBox::shown().last().number, 38);
        QCOMPARE(stored(a.ASSIGNNUMBER).NAME, std::string("Order paper and toner"));
        QVERIFY(!form->completed());
    }

    // Message 38 keeps what the user typed: the form shows the stored record,
    // Ctrl+' (or "Ditto") puts the user's values back over it, field by field
    // (both-changed ones as the user chooses, memos with both texts), and
    // the next OK saves on the current version.
    void assignmentFormRecallsTheUsersEditsAfterMessage38() {
        tko::Assignment a = tko::primeAssignment(tko::UserPref{}, "ANNA", 82000);
        a.NAME = "Order printer paper";
        a.PERSON = "PAT";
        a.SEEN = 1;
        a.GENERALMEMO = "Ask for prices";
        std::unique_ptr<tko::AssignmentForm> form;
        QVERIFY(openAnnasForm(a, form));
        form->nameEdit()->setText(QStringLiteral("Order toner"));
        auto* comments = form->findChild<QPlainTextEdit*>(QStringLiteral("commentsPageEdit"));
        comments->setPlainText(QStringLiteral("Ask for prices\nANNA: two offers in"));

        tko::Assignment theirs = stored(a.ASSIGNNUMBER);
        theirs.NAME = "Order paper and toner";
        theirs.PRIORITY = 2;
        theirs.GENERALMEMO = "Ask for prices\r\nSUP: only from Kell";
        QVERIFY(m_there->change(theirs).ok());

        form->button(QStringLiteral("okButton"))->click();
        QCOMPARE(tko::MessageBox::shown().size(), 1);
        QCOMPARE(tko::MessageBox::shown().last().number, 38);
        QCOMPARE(form->nameEdit()->text(), QStringLiteral("Order paper and toner"));
        QVERIFY(form->scaffold()->canRecall());
        QVERIFY(form->scaffold()->changedBar());
        auto* ditto = form->findChild<QPushButton*>(QStringLiteral("dittoButton"));
        QVERIFY(ditto && ditto->isVisible());
        QVERIFY(!form->findChild<QPushButton*>(QStringLiteral("keepMineButton"))->isVisible());
        saveShot(form.get(), "assignment-ditto.png");
        // "Show changes" now sets the user's refused version beside the stored one.
        form->findChild<QPushButton*>(QStringLiteral("showChangesButton"))->click();
        auto* window = form->findChild<QDialog*>(QStringLiteral("changesWindow"));
        QVERIFY(window);
        auto* table = window->findChild<QTableWidget*>(QStringLiteral("changesTable"));
        QStringList captions;
        for (int r = 0; r < table->rowCount(); ++r) captions << table->item(r, 0)->text();
        QCOMPARE(captions, QStringList({QStringLiteral("Assignment"), QStringLiteral("Priority"),
                                        QStringLiteral("Comments")}));
        QVERIFY(QTest::qWaitForWindowExposed(window));
        saveShot(window, "show-changes-recall.png");
        window->close();
        form->activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(form.get()));

        // Only the name was changed on both sides: it alone is offered.
        QStringList offered;
        QTimer::singleShot(0, [&] {
            if (QWidget* choice = QApplication::activeModalWidget())
                for (auto* radio : choice->findChildren<QRadioButton*>())
                    offered << radio->objectName();
            saveShot(QApplication::activeModalWidget(), "assignment-choice.png");
            answerChoice(QStringLiteral("mineChoice_NAME"), true);
        });
        QTest::keyClick(form.get(), Qt::Key_Apostrophe, Qt::ControlModifier);
        offered.sort();
        QCOMPARE(offered, QStringList({QStringLiteral("mineChoice_NAME"),
                                       QStringLiteral("theirsChoice_NAME")}));
        QVERIFY(!form->scaffold()->canRecall());
        QVERIFY(!form->scaffold()->changedBar());
        QCOMPARE(form->nameEdit()->text(), QStringLiteral("Order toner"));
        QCOMPARE(comments->toPlainText(),
                 QStringLiteral("Ask for prices\nSUP: only from Kell\nANNA: two offers in"));

        // Saved on the current version: no second message, nothing lost.
        form->button(QStringLiteral("okButton"))->click();
        QCOMPARE(tko::MessageBox::shown().size(), 1);
        QVERIFY(form->completed());
        const tko::Assignment saved = stored(a.ASSIGNNUMBER);
        QCOMPARE(saved.NAME, std::string("Order toner"));
        QCOMPARE(saved.PRIORITY, 2);
        QCOMPARE(saved.GENERALMEMO,
                 std::string("Ask for prices\r\nSUP: only from Kell\r\nANNA: two offers in"));
    }

    // "Keep mine" on fields the two stations changed apart: no question, and
    // OK saves both without message 38.
    void assignmentFormKeepMineMergesDisjointChanges() {
        tko::Assignment a = tko::primeAssignment(tko::UserPref{}, "ANNA", 82000);
        a.NAME = "Book the venue";
        a.PERSON = "PAT";
        a.SEEN = 1;
        a.DUEDATE = 82526;
        std::unique_ptr<tko::AssignmentForm> form;
        QVERIFY(openAnnasForm(a, form));
        form->nameEdit()->setText(QStringLiteral("Book the hall"));

        tko::Assignment theirs = stored(a.ASSIGNNUMBER);
        theirs.DUEDATE = 82528;
        QVERIFY(m_there->change(theirs).ok());
        QVERIFY(
            QTest::qWaitFor([&] { return form->scaffold()->changedBar() != nullptr; }, kWaitMs));

        // "Show changes" in the form's words and the user's date picture, whole.
        form->findChild<QPushButton*>(QStringLiteral("showChangesButton"))->click();
        auto* window = form->findChild<QDialog*>(QStringLiteral("changesWindow"));
        QVERIFY(window);
        auto* table = window->findChild<QTableWidget*>(QStringLiteral("changesTable"));
        QCOMPARE(table->rowCount(), 2);
        QCOMPARE(table->item(0, 0)->text(), QStringLiteral("Assignment"));
        QCOMPARE(table->item(1, 0)->text(), QStringLiteral("Due Date"));
        QCOMPARE(table->item(1, 1)->text(), tko::formatDate(82528, u"@D18b"));
        QCOMPARE(table->item(1, 2)->text(), tko::formatDate(82526, u"@D18b"));
        QVERIFY(QTest::qWaitForWindowExposed(window));
        const int right =
            table->horizontalHeader()->sectionViewportPosition(2) + table->columnWidth(2);
        QVERIFY(right <= table->viewport()->width());
        saveShot(window, "show-changes.png");
        window->close();

        form->findChild<QPushButton*>(QStringLiteral("keepMineButton"))->click();
        QVERIFY(!form->scaffold()->changedBar());
        QCOMPARE(form->nameEdit()->text(), QStringLiteral("Book the hall"));
        form->button(QStringLiteral("okButton"))->click();
        QVERIFY(tko::MessageBox::shown().isEmpty());
        QVERIFY(form->completed());
        const tko::Assignment saved = stored(a.ASSIGNNUMBER);
        QCOMPARE(saved.NAME, std::string("Book the hall"));
        QCOMPARE(saved.DUEDATE, 82528);
        QCOMPARE(saved.PREVDUE, 0);  // the user did not move the due date
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
