// The Look Forward and History windows on a small office, with the assignment
// form replaced by a recorder: controls and tabs, check boxes and dates that
// persist across a reopen, select mode, the pop-up menu, the keys, and the
// letters typed on History's name tab; and the Calendar window's keys, drag
// and undo.
#include <QAction>
#include <QCheckBox>
#include <QLineEdit>
#include <QMenu>
#include <QPushButton>
#include <QTabBar>
#include <QTableView>
#include <QtTest>

#include "assign/Repetition.h"
#include "data/Password.h"
#include "data/Workspace.h"
#include "platform/Picture.h"
#include "platform/ui/BrowseList.h"
#include "platform/ui/MessageBox.h"
#include "views/ui/CalendarWindow.h"
#include "views/ui/ScheduleWindow.h"

namespace tko {

namespace {
constexpr Date kToday = 82000;
}

class ScheduleWindowsTest : public QObject {
    Q_OBJECT

private:
    std::unique_ptr<QTemporaryDir> m_dir;
    std::unique_ptr<Database> m_db;
    Workspace m_workspace;
    QList<Request> m_forms;
    int m_next = 0;

    ListActions actions() {
        ListActions a;
        a.openForm = [this](QWidget*, Workspace&, Request request, Assignment&) {
            m_forms.append(request);
            return false;
        };
        a.conclude = [](Database& db, const Session& session, const Assignment& seen, Date today) {
            return ConcludeAssignment(db, session, seen.ASSIGNNUMBER, today, &seen);
        };
        return a;
    }

    void add(const std::string& name, const std::string& person, Date due, int secondary = 0,
             Date assigned = kToday - 5) {
        Assignment a;
        a.ASSIGNNUMBER = ++m_next;
        a.NAME = name;
        a.PERSON = person;
        a.USERNAME = "ANNA";
        a.DUEDATE = due;
        a.ASSIGNEDDATE = assigned;
        a.PRIORITY = 5;
        a.SECONDARY = static_cast<std::uint8_t>(secondary);
        a.REPEATTYPE = repeat::NoRepeats;
        QVERIFY(m_db->add(a).ok());
    }

    std::unique_ptr<ScheduleWindow> open(ScheduleKind kind, ScheduleScreen screen,
                                         bool select = false) {
        auto w =
            std::make_unique<ScheduleWindow>(m_workspace, kind, screen, actions(), nullptr, select);
        w->setAttribute(Qt::WA_DeleteOnClose, false);
        return w;
    }

    static QStringList names(BrowseList* list) {
        QStringList out;
        for (int row = 0; row < static_cast<int>(list->pager().rows().size()); ++row)
            out << list->cellText(row, 0);
        return out;
    }

private slots:
    void initTestCase() {
        setPasswordCost(PasswordCost::Minimal);
        MessageBox::setTestMode(true);
        Clock::setFixed(kToday, 360000 * 9);
    }
    void cleanupTestCase() { Clock::useSystem(); }

    void init() {
        m_dir = std::make_unique<QTemporaryDir>();
        Status status;
        m_db = Database::open(DataSource{m_dir->path().toStdString(), {}}, true, status);
        QVERIFY(m_db);
        m_workspace = Workspace{};
        m_workspace.db = m_db.get();
        m_workspace.session.GlobalUser = "ANNA";
        m_workspace.session.GlobalUserAccess = 2;
        m_forms.clear();
        m_next = 0;
        MessageBox::clearShown();
        add("Alpha", "BEN", kToday + 3);
        add("Bravo", "BEN", kToday + 1, 1);
        add("Charlie", "CARLA", kToday - 2);
        add("Delta", "ben", kToday + 9);
    }

    void lookForwardShowsItsControlsTabsAndColumns() {
        auto w = open(ScheduleKind::LookForward, ScheduleScreen::General);
        QCOMPARE(w->windowTitle(), QStringLiteral("Look Forward (General)"));
        QCOMPARE(w->whatsThis(), QStringLiteral("~Look_Forward_Window_General"));
        QTabBar* tabs = w->list()->sortTabs();
        QCOMPARE(tabs->count(), 5);
        QCOMPARE(tabs->tabText(4), QStringLiteral("By Person/Priority"));
        QCOMPARE(tabs->tabToolTip(0), QStringLiteral("Sort assingments by due date"));
        QCOMPARE(w->list()->columnCount(), 8);
        QVERIFY(!w->list()->view()->isColumnHidden(3));
        QVERIFY(w->list()->view()->isColumnHidden(4));
        QVERIFY(!w->button(QStringLiteral("selectButton")));
        QCOMPARE(w->dueNowCheck()->toolTip(), QStringLiteral("Include assignments due now"));
        // Nothing ticked yet: neither the secondary nor the overdue one.
        QCOMPARE(names(w->list()), (QStringList{QStringLiteral("Alpha"), QStringLiteral("Delta")}));

        auto person = open(ScheduleKind::History, ScheduleScreen::Person);
        QCOMPARE(person->windowTitle(), QStringLiteral("History (Person)"));
        QCOMPARE(person->list()->sortTabs()->count(), 4);
        QCOMPARE(person->selectorEdit()->maxLength(), 15);
        QCOMPARE(person->button(QStringLiteral("lookUpButton"))->toolTip(),
                 QStringLiteral("Look up people"));
        auto group = open(ScheduleKind::LookForward, ScheduleScreen::Group);
        QCOMPARE(group->selectorEdit()->maxLength(), 20);
        QCOMPARE(group->list()->sortTabs()->tabToolTip(3),
                 QStringLiteral("Sort assignments by person then due date"));
    }

    void checkBoxesAndPeriodPersistAcrossAReopen() {
        {
            auto w = open(ScheduleKind::LookForward, ScheduleScreen::General);
            w->secondaryCheck()->setChecked(true);
            w->dueNowCheck()->setChecked(true);
            // Applied at once, not only at closing.
            QCOMPARE(names(w->list()).size(), 4);
            w->reject();
        }
        {
            auto w = open(ScheduleKind::LookForward, ScheduleScreen::Person);
            QVERIFY(w->secondaryCheck()->isChecked());
            QVERIFY(w->dueNowCheck()->isChecked());
            w->dueNowCheck()->setChecked(false);
            w->reject();
        }
        UserPref stored;
        QVERIFY(m_db->fetch("USP:USERNAME_KEY", {std::string("ANNA")}, stored).ok());
        QCOMPARE(int(stored.SECONDARY), 1);
        QCOMPARE(int(stored.CURRENTDUE), 0);
        {
            auto w = open(ScheduleKind::History, ScheduleScreen::General);
            QVERIFY(names(w->list()).isEmpty());  // no period yet
            w->startDateEdit()->setText(formatDate(kToday - 10, u"@D18b"));
            emit w->startDateEdit()->editingFinished();
            w->endDateEdit()->setText(formatDate(kToday, u"@D18b"));
            emit w->endDateEdit()->editingFinished();
            QCOMPARE(names(w->list()).size(), 3);  // secondary still excluded
            w->secondaryCheck()->setChecked(true);
            QCOMPARE(names(w->list()).size(), 4);
            w->reject();
        }
        auto w = open(ScheduleKind::History, ScheduleScreen::Group);
        QVERIFY(w->secondaryCheck()->isChecked());
        QCOMPARE(w->startDateEdit()->text(), formatDate(kToday - 10, u"@D18b"));
        QCOMPARE(w->endDateEdit()->text(), formatDate(kToday, u"@D18b"));
        // Look Forward's choices were kept when History wrote its own.
        QVERIFY(m_db->fetch("USP:USERNAME_KEY", {std::string("ANNA")}, stored).ok());
        QCOMPARE(int(stored.SECONDARY), 1);
    }

    void endDateIsSharedAndABadDateChangesNothing() {
        auto w = open(ScheduleKind::LookForward, ScheduleScreen::General);
        w->endDateEdit()->setText(formatDate(kToday + 3, u"@D18b"));
        emit w->endDateEdit()->editingFinished();
        QCOMPARE(m_workspace.session.EndDate, kToday + 3);
        QCOMPARE(names(w->list()), QStringList{QStringLiteral("Alpha")});
        w->endDateEdit()->setText(QStringLiteral("the 40th of never"));
        emit w->endDateEdit()->editingFinished();
        QCOMPARE(MessageBox::shown().size(), 1);
        QCOMPARE(m_workspace.session.EndDate, kToday + 3);
        QCOMPARE(w->endDateEdit()->text(), QStringLiteral("the 40th of never"));
        // Another screen opens on the same end date.
        auto other = open(ScheduleKind::LookForward, ScheduleScreen::Group);
        QCOMPARE(other->endDateEdit()->text(), formatDate(kToday + 3, u"@D18b"));
    }

    // Screens open side by side: each shows the end date its list is read
    // with, and closing one writes only what it changed.
    void screensOpenAtOnceShowTheSharedDateAndKeepEachOthersChoices() {
        auto general = open(ScheduleKind::LookForward, ScheduleScreen::General);
        auto person = open(ScheduleKind::LookForward, ScheduleScreen::Person);
        auto history = open(ScheduleKind::History, ScheduleScreen::General);
        auto history2 = open(ScheduleKind::History, ScheduleScreen::Person);
        QCOMPARE(general->endDateEdit()->text(), QString());
        person->endDateEdit()->setText(formatDate(kToday + 3, u"@D18b"));
        emit person->endDateEdit()->editingFinished();
        // The next read of General's list (here: ticking secondary) uses the
        // shared date and shows it.
        general->secondaryCheck()->setChecked(true);
        QCOMPARE(general->endDateEdit()->text(), formatDate(kToday + 3, u"@D18b"));
        QCOMPARE(names(general->list()),
                 (QStringList{QStringLiteral("Bravo"), QStringLiteral("Alpha")}));
        // Coming back to it after another screen set the date reads it again.
        m_workspace.session.EndDate = kToday + 9;
        general->show();
        general->activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(general.get()));
        QCOMPARE(general->endDateEdit()->text(), formatDate(kToday + 9, u"@D18b"));
        QCOMPARE(names(general->list()).size(), 3);
        // A date being typed is not overwritten by a read of the list.
        general->endDateEdit()->setText(QStringLiteral("12"));
        general->endDateEdit()->setModified(true);
        general->dueNowCheck()->setChecked(true);
        QCOMPARE(general->endDateEdit()->text(), QStringLiteral("12"));
        general->dueNowCheck()->setChecked(false);
        general->hide();

        person->dueNowCheck()->setChecked(true);
        history->startDateEdit()->setText(formatDate(kToday - 10, u"@D18b"));
        emit history->startDateEdit()->editingFinished();
        history2->secondaryCheck()->setChecked(true);
        person->reject();
        history->reject();
        general->reject();   // changed secondary only (due now back as opened)
        history2->reject();  // changed its check box only
        UserPref stored;
        QVERIFY(m_db->fetch("USP:USERNAME_KEY", {std::string("ANNA")}, stored).ok());
        QCOMPARE(int(stored.SECONDARY), 1);
        QCOMPARE(int(stored.CURRENTDUE), 1);
        QCOMPARE(int(stored.HISTSECONDARY), 1);
        QCOMPARE(stored.HISTSTARTDATE, kToday - 10);
    }

    void personScreenMatchesThePersonWithoutRegardToCase() {
        auto w = open(ScheduleKind::LookForward, ScheduleScreen::Person);
        QVERIFY(names(w->list()).isEmpty());
        w->selectorEdit()->setText(QStringLiteral("Ben"));
        emit w->selectorEdit()->editingFinished();
        QCOMPARE(names(w->list()), (QStringList{QStringLiteral("Alpha"), QStringLiteral("Delta")}));
        w->list()->sortTabs()->setCurrentIndex(2);  // by name: exact
        QVERIFY(names(w->list()).isEmpty());
    }

    void selectModeHandsBackTheHighlightedAssignment() {
        auto w = open(ScheduleKind::LookForward, ScheduleScreen::General, true);
        QPushButton* select = w->button(QStringLiteral("selectButton"));
        QVERIFY(select);
        QVERIFY(select->isDefault());
        QVERIFY(!w->button(QStringLiteral("changeButton"))->isEnabled());
        QVERIFY(!w->button(QStringLiteral("insertButton"))->isEnabled());
        QVERIFY(!w->button(QStringLiteral("concludeButton"))->isEnabled());
        QVERIFY(w->list()->pager().select(1));
        select->click();
        QCOMPARE(w->result(), int(QDialog::Accepted));
        QVERIFY(w->chosen().has_value());
        QCOMPARE(w->chosen()->NAME, std::string("Delta"));
        // Nothing was opened for change or insert on the way.
        QVERIFY(m_forms.isEmpty());
    }

    void keysActAnywhereInTheWindow() {
        auto w = open(ScheduleKind::LookForward, ScheduleScreen::General);
        w->show();
        w->activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(w.get()));
        w->endDateEdit()->setFocus();
        QCOMPARE(w->list()->pager().selectedIndex(), 0);
        QTest::keyClick(w->endDateEdit(), Qt::Key_Down);
        QCOMPARE(w->list()->pager().selectedIndex(), 1);
        QTest::keyClick(w->endDateEdit(), Qt::Key_Up);
        QCOMPARE(w->list()->pager().selectedIndex(), 0);
        QTest::keyClick(w->endDateEdit(), Qt::Key_Insert);
        QTest::keyClick(w->endDateEdit(), Qt::Key_Return, Qt::ControlModifier);
        QCOMPARE(m_forms, (QList<Request>{Request::Insert, Request::Change}));
    }

    void anEmptyListGreysThePopupButInsertStillInserts() {
        m_workspace.session.EndDate = kToday - 100;  // nothing due that early
        auto w = open(ScheduleKind::LookForward, ScheduleScreen::General);
        QVERIFY(w->list()->pager().isEmpty());
        const QList<QAction*> items = w->buildPopup()->actions();
        QCOMPARE(items.size(), 3);
        QCOMPARE(items[0]->text(), QStringLiteral("Insert"));
        QVERIFY(items[0]->isEnabled());
        QVERIFY(!items[1]->isEnabled());
        QVERIFY(!items[2]->isEnabled());
        QVERIFY(!w->button(QStringLiteral("changeButton"))->isEnabled());
        QTest::keyClick(w->list()->view(), Qt::Key_Insert);
        QCOMPARE(m_forms, QList<Request>{Request::Insert});

        // With rows, "Projects" is there; until projects exist it says so.
        m_workspace.session.EndDate = 0;
        auto full = open(ScheduleKind::LookForward, ScheduleScreen::General);
        QMenu* popup = full->buildPopup();
        QVERIFY(popup->actions()[2]->isEnabled());
        popup->actions()[2]->trigger();
        QCOMPARE(MessageBox::shown().size(), 1);
        QCOMPARE(MessageBox::shown().front().number, 6);
    }

    void historyNameTabMovesOnTypedLetters() {
        add("Bravo two", "CARLA", kToday, 0, kToday - 4);
        add("Echo", "CARLA", kToday, 0, kToday - 4);
        UserPref pref;
        pref.USERNAME = "ANNA";
        pref.HISTSECONDARY = 1;
        pref.HISTSTARTDATE = kToday - 30;
        pref.HISTENDDATE = kToday;
        QVERIFY(m_db->add(pref).ok());
        auto w = open(ScheduleKind::History, ScheduleScreen::General);
        w->list()->sortTabs()->setCurrentIndex(4);
        BrowseList* list = w->list();
        QCOMPARE(list->cellText(list->pager().selectedIndex(), 0), QStringLiteral("Alpha"));
        QTest::keyClicks(list->view(), QStringLiteral("b"));
        QCOMPARE(list->cellText(list->pager().selectedIndex(), 0), QStringLiteral("Bravo"));
        // The same first letter again: the next row, whatever its name.
        QTest::keyClicks(list->view(), QStringLiteral("b"));
        QCOMPARE(list->cellText(list->pager().selectedIndex(), 0), QStringLiteral("Bravo two"));
        QTest::keyClicks(list->view(), QStringLiteral("B"));
        QCOMPARE(list->cellText(list->pager().selectedIndex(), 0), QStringLiteral("Charlie"));
        QTest::keyClicks(list->view(), QStringLiteral("e"));
        QCOMPARE(list->cellText(list->pager().selectedIndex(), 0), QStringLiteral("Echo"));
    }

    // The Calendar: keys move the day, a drag moves a due date through the
    // store, Ctrl+Z undoes it, Enter opens the assignment's form.
    void calendarKeysDragAndUndo() {
        CalendarWindow w(m_workspace, actions(), nullptr);
        w.setAttribute(Qt::WA_DeleteOnClose, false);
        w.resize(1000, 700);
        w.show();
        QVERIFY(QTest::qWaitForWindowExposed(&w));
        CalendarView* view = w.view();
        QCOMPARE(view->selectedDate(), kToday);
        auto namesOn = [&](Date date) {
            QStringList out;
            for (size_t i : view->entriesOn(date))
                out << QString::fromStdString(view->entries()[i].name);
            return out;
        };
        QCOMPARE(namesOn(kToday + 3), QStringList{QStringLiteral("Alpha")});
        QVERIFY(namesOn(kToday + 1).isEmpty());  // secondary, not ticked
        view->setFocus();
        QTest::keyClick(view, Qt::Key_Right);
        QTest::keyClick(view, Qt::Key_Down);
        QCOMPARE(view->selectedDate(), kToday + 8);
        QTest::keyClick(view, Qt::Key_PageDown);
        QCOMPARE(view->selectedDate(), shiftMonths(kToday + 8, 1));
        QVERIFY(view->firstShown() > kToday);  // the next month's grid was read
        QTest::keyClick(view, Qt::Key_Home);
        QCOMPARE(view->selectedDate(), kToday);
        QCOMPARE(namesOn(kToday + 3), QStringList{QStringLiteral("Alpha")});

        // Drag Alpha one day on.
        const QPoint from = view->entryRect(kToday + 3, 0).center();
        const QPoint to = view->cellRect(kToday + 4).center();
        auto send = [&](QEvent::Type type, QPoint at, Qt::MouseButtons buttons) {
            QMouseEvent event(type, at, view->mapToGlobal(at), Qt::LeftButton, buttons,
                              Qt::NoModifier);
            QApplication::sendEvent(view, &event);
        };
        send(QEvent::MouseButtonPress, from, Qt::LeftButton);
        send(QEvent::MouseMove, (from + to) / 2, Qt::LeftButton);
        send(QEvent::MouseMove, to, Qt::LeftButton);
        send(QEvent::MouseButtonRelease, to, Qt::NoButton);
        Assignment alpha;
        QVERIFY(m_db->fetch("ASS:NUMBER_KEY", {std::int64_t{1}}, alpha).ok());
        QCOMPARE(alpha.DUEDATE, kToday + 4);
        QCOMPARE(namesOn(kToday + 4), QStringList{QStringLiteral("Alpha")});
        QCOMPARE(w.undoMoves().size(), size_t{1});
        QTest::keyClick(view, Qt::Key_Z, Qt::ControlModifier);
        QVERIFY(m_db->fetch("ASS:NUMBER_KEY", {std::int64_t{1}}, alpha).ok());
        QCOMPARE(alpha.DUEDATE, kToday + 3);
        QCOMPARE(namesOn(kToday + 3), QStringList{QStringLiteral("Alpha")});
        QVERIFY(MessageBox::shown().isEmpty());

        view->setSelectedDate(kToday + 3);
        QTest::keyClick(view, Qt::Key_Return);
        QCOMPARE(m_forms, QList<Request>{Request::Change});
    }
};

}  // namespace tko

QTEST_MAIN(tko::ScheduleWindowsTest)
#include "ScheduleWindowsTest.moc"
