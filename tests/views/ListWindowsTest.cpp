// The due-now, unseen and current-reminders windows on the demo office, with
// the assignment form replaced by a recorder. With TKO_SCREENSHOTS=DIR each
// window is also saved as a PNG.
#include <QAction>
#include <QCheckBox>
#include <QHeaderView>
#include <QLineEdit>
#include <QMenu>
#include <QPointer>
#include <QPushButton>
#include <QScrollBar>
#include <QTabBar>
#include <QTableView>
#include <QtTest>

#include "app/DemoOffice.h"
#include "app/FirstRun.h"
#include "app/ui/MainFrame.h"
#include "assign/lists/ui/DueNowWindow.h"
#include "assign/lists/ui/UnseenWindow.h"
#include "data/Password.h"
#include "data/Workspace.h"
#include "platform/IniFiles.h"
#include "platform/Picture.h"
#include "platform/ui/BrowseList.h"
#include "platform/ui/HelpBrowser.h"
#include "platform/ui/MessageBox.h"
#include "platform/ui/Procedures.h"
#include "views/ui/ReminderWindow.h"

namespace tko {

namespace {
constexpr Date kToday = 82000;
}

class ListWindowsTest : public QObject {
    Q_OBJECT

private:
    std::unique_ptr<QTemporaryDir> m_dir;
    std::unique_ptr<Database> m_db;
    Workspace m_workspace;

    // What the windows asked of the assignment form.
    struct FormCall {
        Request request;
        Assignment record;
    };
    QList<FormCall> m_forms;
    std::function<void(Assignment&)> m_formEdits;  // what the "user" does in the form
    QStringList m_printedOrders;

    ListActions actions(bool withPrint = false) {
        ListActions a;
        a.openForm = [this](QWidget*, Workspace&, Request request, Assignment& record) {
            m_forms.append({request, record});
            if (!m_formEdits) return false;
            m_formEdits(record);
            return true;
        };
        a.conclude = [](Database& db, const Session& session, const Assignment& seen, Date today) {
            return ConcludeAssignment(db, session, seen.ASSIGNNUMBER, today, &seen);
        };
        if (withPrint)
            a.printDue = [this](QWidget*, Workspace&, const QString& order) {
                m_printedOrders << order;
            };
        return a;
    }

    Workspace& as(const char* user, int access) {
        m_workspace.session.GlobalUser = user;
        m_workspace.session.GlobalUserAccess = access;
        return m_workspace;
    }

    void screenshot(QWidget* w, const char* name) {
        const QByteArray dir = qgetenv("TKO_SCREENSHOTS");
        if (dir.isEmpty()) return;
        w->show();
        w->grab().save(QString::fromLocal8Bit(dir) + QLatin1Char('/') + QLatin1String(name) +
                       QStringLiteral(".png"));
    }

    static QStringList column(const BrowseList* list, int column) {
        QStringList out;
        for (int row = 0;
             row < static_cast<int>(const_cast<BrowseList*>(list)->pager().rows().size()); ++row)
            out << list->cellText(row, column);
        return out;
    }

    Assignment stored(const std::string& name) {
        std::vector<Assignment> rows;
        m_db->readAll("ASS:NAME_KEY", store::eq("NAME", name), rows);
        return rows.empty() ? Assignment{} : rows.front();
    }

private slots:
    void initTestCase() {
        setPasswordCost(PasswordCost::Minimal);
        MessageBox::setTestMode(true);
        Clock::setFixed(kToday, 360000 * 9);
    }

    // A fresh demo office for every test: the tests change its data.
    void init() {
        m_dir = std::make_unique<QTemporaryDir>();
        QVERIFY(m_dir->isValid());
        Status status;
        m_db = Database::open(DataSource{m_dir->path().toStdString(), {}}, true, status);
        QVERIFY(m_db);
        const DemoSummary demo = createDemoOffice(*m_db);
        QVERIFY2(demo.ok, demo.error.c_str());
        m_workspace.db = m_db.get();
        m_workspace.programDir = m_dir->path();
        m_forms.clear();
        m_formEdits = nullptr;
        m_printedOrders.clear();
        MessageBox::clearShown();
    }

    void cleanupTestCase() { Clock::useSystem(); }

    void dueNowShowsTheOpenPrimaryWorkDueByTodayInFourOrders() {
        DueNowWindow window(as(kFirstUserName, 2), actions());
        screenshot(&window, "due-now");
        QCOMPARE(window.windowTitle(), QStringLiteral("Assignments Due Now"));
        QCOMPARE(window.whatsThis(), QStringLiteral("~Assignments_Due_Now_Window"));
        BrowseList* list = window.list();
        QCOMPARE(list->columnCount(), 7);
        const QStringList headings{QStringLiteral("Assignment"),   QStringLiteral("Person"),
                                   QStringLiteral("Priority"),     QStringLiteral("Due Date"),
                                   QStringLiteral("User Name"),    QStringLiteral("Secondary"),
                                   QStringLiteral("Assign Number")};
        for (int i = 0; i < headings.size(); ++i)
            QCOMPARE(list->view()->model()->headerData(i, Qt::Horizontal).toString(), headings[i]);

        // The administrator sees everybody's; the secondary "Water the plants",
        // the concluded and the future ones are not listed. By priority first.
        QCOMPARE(column(list, 0),
                 (QStringList{QStringLiteral("Pay the office rent"),
                              QStringLiteral("Prepare the quarterly sales figures"),
                              QStringLiteral("Review the backup settings")}));
        QCOMPARE(list->cellText(0, 3), formatDate(kToday - 2, u"@D17b"));
        QCOMPARE(list->cellText(0, 1), QStringLiteral("CARLA"));

        QTabBar* tabs = list->sortTabs();
        QCOMPARE(tabs->count(), 4);
        QCOMPARE(tabs->tabText(3), QStringLiteral("By Assignment Name"));
        QCOMPARE(tabs->tabToolTip(0), QStringLiteral("Sort assignments by priority"));
        QCOMPARE(tabs->tabToolTip(3), QStringLiteral("Sort assignments alphabetically"));

        // Another tab keeps the highlighted row and lists the same rows in its order.
        QVERIFY(list->pager().select(1));
        tabs->setCurrentIndex(1);
        QCOMPARE(column(list, 0),
                 (QStringList{QStringLiteral("Pay the office rent"),
                              QStringLiteral("Review the backup settings"),
                              QStringLiteral("Prepare the quarterly sales figures")}));
        QCOMPARE(list->cellText(list->pager().selectedIndex(), 0),
                 QStringLiteral("Prepare the quarterly sales figures"));
        tabs->setCurrentIndex(2);
        QCOMPARE(column(list, 1), (QStringList{QStringLiteral("BEN"), QStringLiteral("CARLA"),
                                               QString::fromLatin1(kFirstUserName)}));

        // "Print" without the reports: message 6 naming the report.
        window.print();
        QCOMPARE(MessageBox::shown().size(), 1);
        QCOMPARE(MessageBox::shown().front().number, 6);
        QCOMPARE(MessageBox::shown().front().text,
                 QStringLiteral("The Procedure ReportDueAssignments has not been defined."));
    }

    // The filter box: the words typed narrow the list (letter case and
    // accents aside, over the shown text columns) in every tab; Escape clears
    // the box first and closes the window only once it is empty.
    void theFilterBoxNarrowsTheListInEveryTabAndEscapeClearsIt() {
        DueNowWindow window(as(kFirstUserName, 2), actions());
        window.setAttribute(Qt::WA_DeleteOnClose, false);
        window.show();
        QVERIFY(QTest::qWaitForWindowExposed(&window));
        BrowseList* list = window.list();
        QLineEdit* filter = window.filterEdit();
        const QStringList all = column(list, 0);
        QCOMPARE(all.size(), 3);
        const struct {
            const char* typed;
            QStringList names;
        } cases[] = {{"REN", {QStringLiteral("Pay the office rent")}},
                     {"quartérly  SALES", {QStringLiteral("Prepare the quarterly sales figures")}},
                     {"carla", {QStringLiteral("Pay the office rent")}},
                     {"the", all},
                     {"nothing-like-this", {}}};
        for (const auto& c : cases) {
            filter->clear();
            const QString typed = QString::fromUtf8(c.typed);
            if (typed.toLatin1() == QByteArray(c.typed)) {
                QTest::keyClicks(filter, typed);
            } else {  // keyClicks types ASCII only: as a paste would
                filter->setText(typed);
                emit filter->textEdited(typed);
            }
            QTRY_COMPARE(column(list, 0), c.names);
            list->sortTabs()->setCurrentIndex(3);
            QCOMPARE(column(list, 0).size(), c.names.size());
            list->sortTabs()->setCurrentIndex(0);
        }
        QTest::keyClick(filter, Qt::Key_Escape);
        QVERIFY(filter->text().isEmpty());
        QCOMPARE(column(list, 0), all);
        QVERIFY(window.isVisible());
        QTest::keyClick(filter, Qt::Key_Escape);
        QVERIFY(!window.isVisible());
    }

    void printHandsTheReportTheCurrentOrdersName() {
        DueNowWindow window(as(kFirstUserName, 2), actions(true));
        const QStringList expected{QStringLiteral("Priority"), QStringLiteral("Due Date"),
                                   QStringLiteral("Person"), QStringLiteral("Alphabetically")};
        for (int tab = 0; tab < 4; ++tab) {
            window.list()->sortTabs()->setCurrentIndex(tab);
            window.button(QStringLiteral("printButton"))->click();
        }
        QCOMPARE(m_printedOrders, expected);
        QVERIFY(MessageBox::shown().isEmpty());
    }

    void includeSecondaryStartsFromTheIniFileAndReloads() {
        const QString ini = todayIniPath(m_workspace.programDir);
        writeIncludeSecondary(ini, false);
        {
            DueNowWindow window(as(kFirstUserName, 2), actions());
            QVERIFY(!window.includeSecondaryCheck()->isChecked());
            QCOMPARE(window.list()->pager().rows().size(), size_t{3});
            window.includeSecondaryCheck()->setChecked(true);
            QCOMPARE(window.list()->pager().rows().size(), size_t{4});
            QVERIFY(column(window.list(), 0).contains(QStringLiteral("Water the plants")));
        }
        QVERIFY(readIncludeSecondary(ini));
        DueNowWindow again(as(kFirstUserName, 2), actions());
        QVERIFY(again.includeSecondaryCheck()->isChecked());
        QCOMPARE(again.list()->pager().rows().size(), size_t{4});
    }

    void aGeneralUserSeesOnlyTheirOwnAndEmptyListsDisableTheRowButtons() {
        writeIncludeSecondary(todayIniPath(m_workspace.programDir), false);
        DueNowWindow ben(as("BEN", 0), actions());
        QCOMPARE(column(ben.list(), 0),
                 QStringList{QStringLiteral("Prepare the quarterly sales figures")});
        QVERIFY(ben.button(QStringLiteral("changeButton"))->isEnabled());

        // Anna's only work due today is secondary.
        DueNowWindow anna(as("ANNA", 1), actions());
        QVERIFY(anna.list()->pager().isEmpty());
        QVERIFY(!anna.button(QStringLiteral("changeButton"))->isEnabled());
        QVERIFY(!anna.button(QStringLiteral("concludeButton"))->isEnabled());
        QVERIFY(anna.button(QStringLiteral("insertButton"))->isEnabled());
        anna.includeSecondaryCheck()->setChecked(true);
        QCOMPARE(column(anna.list(), 0), QStringList{QStringLiteral("Water the plants")});
        QVERIFY(anna.button(QStringLiteral("concludeButton"))->isEnabled());
    }

    void changeViewOpensTheWholeRecordAndTheListFollowsTheChange() {
        DueNowWindow window(as(kFirstUserName, 2), actions());
        QVERIFY(window.list()->pager().select(1));  // "Prepare the quarterly sales figures"
        m_formEdits = [this](Assignment& record) {
            record.PRIORITY = 9;
            QVERIFY(m_db->change(record).ok());
        };
        window.button(QStringLiteral("changeButton"))->click();
        QCOMPARE(m_forms.size(), 1);
        QCOMPARE(m_forms[0].request, Request::Change);
        QCOMPARE(m_forms[0].record.NAME, std::string("Prepare the quarterly sales figures"));
        // The form gets the stored record with its memos, not just the list's columns.
        QCOMPARE(m_forms[0].record.GENERALMEMO,
                 std::string("Use the new spreadsheet template on the shared drive."));
        // Now last by priority, and still the highlighted row.
        QCOMPARE(window.list()->cellText(2, 0),
                 QStringLiteral("Prepare the quarterly sales figures"));
        QCOMPARE(window.list()->pager().selectedIndex(), 2);

        m_formEdits = nullptr;  // a cancelled insert changes nothing
        window.button(QStringLiteral("insertButton"))->click();
        QCOMPARE(m_forms.size(), 2);
        QCOMPARE(m_forms[1].request, Request::Insert);
        QCOMPARE(m_forms[1].record.ASSIGNNUMBER, 0);
        QCOMPARE(window.list()->pager().rows().size(), size_t{3});
    }

    void concludeMovesARepeatingAssignmentOutAndKeepsTheCursorNearby() {
        DueNowWindow window(as(kFirstUserName, 2), actions());
        QCOMPARE(window.list()->cellText(0, 0),
                 QStringLiteral("Pay the office rent"));  // monthly, due two days ago
        QVERIFY(window.list()->pager().select(0));
        window.button(QStringLiteral("concludeButton"))->click();
        const Assignment rent = stored("Pay the office rent");
        QCOMPARE(rent.CLOSEDATE, 0);
        QVERIFY(rent.DUEDATE > kToday);
        QCOMPARE(column(window.list(), 0),
                 (QStringList{QStringLiteral("Prepare the quarterly sales figures"),
                              QStringLiteral("Review the backup settings")}));
        QCOMPARE(window.list()->pager().selectedIndex(), 0);

        // A one-off one is closed for good.
        QVERIFY(window.list()->pager().select(1));
        window.concludeSelected();
        QVERIFY(stored("Review the backup settings").CLOSEDATE == kToday);
        QCOMPARE(column(window.list(), 0),
                 QStringList{QStringLiteral("Prepare the quarterly sales figures")});
        QCOMPARE(window.list()->pager().selectedIndex(), 0);
    }

    void unseenListsWhatOthersGaveAndViewingMarksItSeen() {
        UnseenWindow window(as("BEN", 0), actions());
        screenshot(&window, "unseen");
        QCOMPARE(window.windowTitle(), QStringLiteral("View Unseen or Changed Assignments"));
        QCOMPARE(window.viewButton()->toolTip(), QStringLiteral("View information on assignment"));
        QCOMPARE(window.list()->columnCount(), 5);
        QStringList names = column(window.list(), 0);
        names.sort();
        QCOMPARE(names, (QStringList{QStringLiteral("Plan the team meeting"),
                                     QStringLiteral("Prepare the quarterly sales figures"),
                                     QStringLiteral("Send the invoice reminders")}));
        QCOMPARE(window.list()->cellText(0, 3), formatDate(kToday - 10, u"@D17"));

        // The form marks what it shows as seen.
        m_formEdits = [this](Assignment& record) {
            record.SEEN = 1;
            QVERIFY(m_db->change(record).ok());
        };
        QVERIFY(window.list()->pager().select(0));
        const QString viewed = window.list()->cellText(0, 0);
        window.viewButton()->click();
        QCOMPARE(m_forms.size(), 1);
        QCOMPARE(m_forms[0].request, Request::Change);
        QCOMPARE(window.list()->pager().rows().size(), size_t{2});
        QVERIFY(window.list()->cellText(0, 0) != viewed);
        window.viewSelected();
        window.viewSelected();
        QVERIFY(window.list()->pager().isEmpty());
        QVERIFY(!window.viewButton()->isEnabled());

        // The supervisor gave everything to others or to himself: nothing unseen.
        UnseenWindow supervisor(as(kFirstUserName, 2), actions());
        QVERIFY(supervisor.list()->pager().isEmpty());
    }

    void currentRemindersShowTheUsersDueRemindersWithTheirAssignments() {
        ReminderWindow window(as(kFirstUserName, 2), actions());
        screenshot(&window, "reminders");
        QCOMPARE(window.windowTitle(), QStringLiteral("Current Reminders"));
        QCOMPARE(window.whatsThis(), QStringLiteral("~Current_Reminders_Window"));
        QCOMPARE(window.button(QStringLiteral("deleteButton"))->toolTip(),
                 QStringLiteral("Permanently delete this reminde"));
        // Anna's reminder (in twenty days) is not the supervisor's; his two are, oldest first.
        QCOMPARE(window.list()->pager().rows().size(), size_t{2});
        QCOMPARE(window.cellText(0, 1), QStringLiteral("Transfer must leave today"));
        QCOMPARE(window.cellText(0, 2), QStringLiteral("Pay the office rent"));
        QCOMPARE(window.cellText(0, 3), QStringLiteral("CARLA"));
        QCOMPARE(window.cellText(0, 5), window.cellText(0, 6));
        QCOMPARE(window.cellText(1, 2), QStringLiteral("Prepare the quarterly sales figures"));
        QCOMPARE(window.cellText(1, 7), QString::fromLatin1(kFirstUserName));

        // "Alert" twice gives the flag back.
        QCOMPARE(window.cellText(0, 4), QStringLiteral("1"));
        window.button(QStringLiteral("alertButton"))->click();
        QCOMPARE(window.cellText(0, 4), QStringLiteral("0"));
        window.toggleAlert();
        QCOMPARE(window.cellText(0, 4), QStringLiteral("1"));

        // "View" opens the reminder's assignment for a change; so does Ctrl+Enter.
        QVERIFY(window.list()->pager().select(1));
        window.button(QStringLiteral("viewButton"))->click();
        QTest::keyClick(window.list()->view(), Qt::Key_Return, Qt::ControlModifier);
        QCOMPARE(m_forms.size(), 2);
        QCOMPARE(m_forms[0].request, Request::Change);
        QCOMPARE(m_forms[0].record.NAME, std::string("Prepare the quarterly sales figures"));
        QCOMPARE(m_forms[1].record.ASSIGNNUMBER, m_forms[0].record.ASSIGNNUMBER);

        std::unique_ptr<QMenu> menu(window.buildContextMenu());
        QVERIFY(menu->actions().front()->isEnabled());
        menu->actions().front()->trigger();
        QCOMPARE(m_forms.size(), 3);

        // "Delete" asks first (message 32); Cancel keeps the reminder, OK
        // deletes it, as does the Delete key after OK.
        window.button(QStringLiteral("deleteButton"))->click();
        QCOMPARE(MessageBox::shown().size(), 1);
        QCOMPARE(MessageBox::shown().front().number, 32);
        QCOMPARE(window.list()->pager().rows().size(), size_t{2});
        MessageBox::setNextAnswer(Answer::Ok);
        window.button(QStringLiteral("deleteButton"))->click();
        QCOMPARE(window.list()->pager().rows().size(), size_t{1});
        MessageBox::setNextAnswer(Answer::Ok);
        QTest::keyClick(window.list()->view(), Qt::Key_Delete);
        QVERIFY(window.list()->pager().isEmpty());
        QCOMPARE(MessageBox::queuedAnswers(), 0);
        MessageBox::clearShown();
        std::vector<Reminder> left;
        QVERIFY(m_db->readAll("REM:DATE_KEY", store::all(), left).ok());
        // Only the two due reminders of the supervisor went; the others' and his
        // future one stay.
        QCOMPARE(left.size(), size_t{4});
        for (const Reminder& r : left) QVERIFY(r.USER != kFirstUserName || r.DATE > Clock::today());
        for (const char* name : {"viewButton", "deleteButton", "alertButton"})
            QVERIFY(!window.button(QLatin1String(name))->isEnabled());
        menu.reset(window.buildContextMenu());
        QVERIFY(!menu->actions().front()->isEnabled());

        // Without the reports "Print" names the report it would run.
        window.print();
        QCOMPARE(MessageBox::shown().size(), 1);
        QCOMPARE(MessageBox::shown().front().text,
                 QStringLiteral("The Procedure ReportCurrentReminders has not been defined."));
    }

    // Shown at its first size, Current Reminders shows every column without
    // scrolling sideways, "Assign Number" once, and Escape closes it.
    void currentRemindersFitsItsWidthAndEscapeClosesIt() {
        QPointer<ReminderWindow> window = new ReminderWindow(as(kFirstUserName, 2), actions());
        window->show();
        QVERIFY(QTest::qWaitForWindowExposed(window));
        QTableView* view = window->list()->view();
        int shown = 0;
        int widths = 0;
        QStringList headings;
        for (int i = 0; i < window->list()->columnCount(); ++i) {
            if (view->isColumnHidden(i)) continue;
            ++shown;
            widths += view->columnWidth(i);
            headings << view->model()->headerData(i, Qt::Horizontal).toString();
        }
        QCOMPARE(shown, 7);
        QCOMPARE(headings.count(QStringLiteral("Assign Number")), 1);
        QVERIFY2(widths <= view->viewport()->width(),
                 qPrintable(QStringLiteral("%1 > %2").arg(widths).arg(view->viewport()->width())));
        QVERIFY(!view->horizontalScrollBar()->isVisible());

        // Escape from the list and from the window: the own window closes and goes.
        view->setFocus();
        QTest::keyClick(view, Qt::Key_Escape);
        QTRY_VERIFY(!window);
    }

    void escapeClosesEveryListWindow() {
        QList<QPointer<ListWindow>> windows{new DueNowWindow(as(kFirstUserName, 2), actions()),
                                            new UnseenWindow(as("BEN", 0), actions()),
                                            new ReminderWindow(as(kFirstUserName, 2), actions())};
        for (const QPointer<ListWindow>& window : windows) {
            window->setAttribute(Qt::WA_DeleteOnClose, false);
            window->show();
            QVERIFY(QTest::qWaitForWindowExposed(window));
            QWidget* focus = window->focusWidget() ? window->focusWidget() : window.data();
            QTest::keyClick(focus, Qt::Key_Escape);
            QVERIFY2(!window->isVisible(), qPrintable(window->objectName()));
            delete window.data();
        }
        QVERIFY(MessageBox::shown().isEmpty());
    }

    void aReminderDeletedElsewhereIsReportedNotFatal() {
        ReminderWindow window(as(kFirstUserName, 2), actions());
        QVERIFY(window.list()->pager().select(0));
        Reminder gone;
        gone.fromRow(*window.list()->selectedRow());
        QVERIFY(m_db->remove(gone).ok());
        window.toggleAlert();
        QCOMPARE(MessageBox::shown().size(), 1);
        QCOMPARE(MessageBox::shown().front().number, 35);
        QCOMPARE(window.list()->pager().rows().size(), size_t{1});
        MessageBox::clearShown();
        Reminder other;
        other.fromRow(*window.list()->selectedRow());
        QVERIFY(m_db->remove(other).ok());
        MessageBox::setNextAnswer(Answer::Ok);
        window.deleteSelected();
        QCOMPARE(MessageBox::shown().size(), 2);
        QCOMPARE(MessageBox::shown().at(1).number, 35);
        QVERIFY(window.list()->pager().isEmpty());
    }

    void eachWindowHasItsHelpTopic() {
        for (const char* topic : {"~Assignments_Due_Now_Window", "~Browse_Unseen_Assignments",
                                  "~Current_Reminders_Window"})
            QVERIFY2(!HelpBrowser::topicUrl(QLatin1String(topic)).isEmpty(), topic);
    }

    void theStartUpAlertsOpenTheListTheyAreAbout() {
        QStringList opened;
        for (const char* name :
             {"BrowseDueAssignments", "BrowseUnseenAssignments", "BrowseReminders"})
            procedures().add(QLatin1String(name), [&opened, name](QWidget*, Workspace&) {
                opened << QLatin1String(name);
            });
        // Ben has an assignment due and unseen work: "Yes" to both opens both lists.
        {
            MessageBox::setNextAnswer(Answer::Yes);
            MessageBox::setNextAnswer(Answer::Yes);
            MainFrame frame(m_workspace);
            frame.enterSession("BEN", 0);
            QCOMPARE(MessageBox::shown().size(), 2);
            QVERIFY(MessageBox::shown()[0].text.startsWith(
                QStringLiteral("You have reminders or assignments due for today")));
            QCOMPARE(MessageBox::shown()[0].title, QStringLiteral("Assignments Due Now"));
            QVERIFY(MessageBox::shown()[1].text.startsWith(
                QStringLiteral("You have unseen or changed assignments")));
            QCOMPARE(opened, (QStringList{QStringLiteral("BrowseDueAssignments"),
                                          QStringLiteral("BrowseUnseenAssignments")}));
        }
        // "No" opens nothing.
        opened.clear();
        MessageBox::clearShown();
        {
            MessageBox::setNextAnswer(Answer::No);
            MessageBox::setNextAnswer(Answer::No);
            MainFrame frame(m_workspace);
            frame.enterSession("BEN", 0);
            QVERIFY(opened.isEmpty());
        }
        // Only an alarmed reminder is due for Anna (her work due today is
        // secondary): the alert leads to her reminders.
        Reminder reminder;
        reminder.REMINDNUMBER = 99;
        reminder.USER = "ANNA";
        reminder.DATE = kToday;
        reminder.ALARMFLAG = 1;
        QVERIFY(m_db->add(reminder).ok());
        MessageBox::clearShown();
        MessageBox::setNextAnswer(Answer::Yes);
        MessageBox::setNextAnswer(Answer::No);  // her unseen work can wait
        MainFrame frame(m_workspace);
        frame.enterSession("ANNA", 1);
        QCOMPARE(MessageBox::shown().size(), 2);
        QVERIFY(MessageBox::shown()[0].text.startsWith(
            QStringLiteral("You have reminders or assignments due for today")));
        QCOMPARE(MessageBox::shown()[0].title, QStringLiteral("Current Reminders"));
        QCOMPARE(opened, QStringList{QStringLiteral("BrowseReminders")});
    }
};

}  // namespace tko

QTEST_MAIN(tko::ListWindowsTest)
#include "ListWindowsTest.moc"
