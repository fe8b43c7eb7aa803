// The assignment windows on the offscreen platform: the form's rules as the
// user meets them, the Repeat Assignment dialog and the Reminder Information
// form. With TKO_SCREENSHOTS=DIR each window is also saved as a PNG.
#include <QApplication>
#include <QCheckBox>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QSpinBox>
#include <QTabBar>
#include <QTabWidget>
#include <QtTest>

#include "assign/AssignmentRules.h"
#include "assign/Repetition.h"
#include "assign/ui/AssignmentForm.h"
#include "assign/ui/AssignmentScreens.h"
#include "assign/ui/ReminderForm.h"
#include "assign/ui/RepeatAssignmentDialog.h"
#include "data/Integrity.h"
#include "platform/Picture.h"
#include "platform/ui/FormScaffold.h"
#include "platform/ui/MessageBox.h"
#include "support/SignedIn.h"

namespace tko {

class AssignmentWindowsTest : public QObject {
    Q_OBJECT

private:
    QTemporaryDir m_dir;
    std::unique_ptr<Database> m_db;
    Workspace m_workspace;
    const Date m_today = fromYmd(2023, 5, 17);

    void screenshot(QWidget* w, const char* name) {
        const QByteArray dir = qgetenv("TKO_SCREENSHOTS");
        if (dir.isEmpty()) return;
        w->grab().save(QString::fromLocal8Bit(dir) + QLatin1Char('/') + QLatin1String(name) +
                       QStringLiteral(".png"));
    }
    Workspace& as(const std::string& user, int access = 0) {
        return test::signedIn(m_workspace, m_db.get(), user, access);
    }
    Assignment stored(std::int32_t number) {
        Assignment a;
        if (!m_db->fetch("ASS:NUMBER_KEY", {std::int64_t{number}}, a).ok()) a.ASSIGNNUMBER = -1;
        return a;
    }
    std::int64_t count() {
        std::int64_t n = -1;
        m_db->count<Assignment>(store::all(), n);
        return n;
    }
    Assignment add(const std::string& owner, const std::string& person, int seen = 1) {
        Assignment a = primeAssignment(UserPref{}, owner, m_today);
        a.NAME = "Order printer paper";
        a.PERSON = person;
        a.SEEN = static_cast<std::uint8_t>(seen);
        a.LOG = "Created 09:00 By " + owner + "\r";
        if (!addNewAssignment(*m_db, a).ok()) qFatal("cannot add");
        return a;
    }
    bool lastMessageIs(int number) {
        return !MessageBox::shown().isEmpty() && MessageBox::shown().last().number == number;
    }

private slots:
    void initTestCase() {
        MessageBox::setTestMode(true);
        QVERIFY(m_dir.isValid());
        m_db = test::newOffice(m_dir);
        QVERIFY(m_db);
        // PAT, whom every user may give assignments to.
        Person pat;
        pat.SHORTNAME = "PAT";
        pat.PERSONNUMBER = 1;
        pat.TYPE = "Open";
        pat.USER = "ANNA";
        QVERIFY(m_db->add(pat).ok());
        Clock::setFixed(m_today, fromHms(10, 30));
    }
    void init() { MessageBox::clearShown(); }
    void cleanupTestCase() { Clock::useSystem(); }

    // Runs first, on the empty file.
    void newRecordIsNumberedOneAndCancelLeavesNothing() {
        QCOMPARE(count(), std::int64_t{0});
        AssignmentForm form(as("ANNA"), Request::Insert, Assignment{});
        QVERIFY(form.start());
        QCOMPARE(form.record().ASSIGNNUMBER, 1);
        QCOMPARE(count(), std::int64_t{1});  // added at once
        QCOMPARE(form.prioritySpin()->value(), 9);
        QCOMPARE(form.record().REPEATTYPE, std::string("No Repeats"));
        QVERIFY(!form.button(QStringLiteral("okButton"))->isEnabled());  // no name, no person yet
        form.nameEdit()->setText(QStringLiteral("Half typed"));
        MessageBox::setNextAnswer(Answer::Yes);  // "Are you sure you want to cancel?"
        form.button(QStringLiteral("cancelButton"))->click();
        QVERIFY(lastMessageIs(23));
        QVERIFY(!form.completed());
        QCOMPARE(count(), std::int64_t{0});
    }

    void insertWritesTheCreatedLine() {
        AssignmentForm form(as("ANNA"), Request::Insert, Assignment{});
        QVERIFY(form.start());
        // The name has the focus at opening: what is typed first is kept.
        form.show();
        QVERIFY(QTest::qWaitForWindowActive(&form));
        QTest::keyClicks(QApplication::focusWidget(), QStringLiteral("Book"));
        QCOMPARE(form.nameEdit()->text(), QStringLiteral("Book"));
        // Prompts reach their fields by their hot keys.
        QTest::keyClick(&form, Qt::Key_Y, Qt::AltModifier);  // Priorit&y:
        QCOMPARE(QApplication::focusWidget(), form.prioritySpin());
        form.nameEdit()->setText(QStringLiteral("Book the meeting room"));
        form.personEdit()->setText(QStringLiteral("PAT"));
        QVERIFY(form.button(QStringLiteral("okButton"))->isEnabled());
        screenshot(&form, "assignment_form");
        form.button(QStringLiteral("okButton"))->click();
        QVERIFY(form.completed());
        const Assignment a = stored(form.record().ASSIGNNUMBER);
        QCOMPARE(a.NAME, std::string("Book the meeting room"));
        QCOMPARE(a.PERSON, std::string("PAT"));
        QVERIFY(a.LOG.rfind("Created " + formatTime(fromHms(10, 30), u"@T1").toStdString(), 0) ==
                0);
        QVERIFY(a.LOG.back() == '\r');
    }

    void priorityOutsideOneToNineIsRefused() {
        const Assignment a = add("ANNA", "PAT");
        AssignmentForm form(as("ANNA"), Request::Change, a);
        QVERIFY(form.start());
        for (int bad : {0, 10}) {
            MessageBox::clearShown();
            form.prioritySpin()->setValue(bad);
            // Leaving the field refuses it; with 0 "OK" is not even offered.
            emit form.prioritySpin()->editingFinished();
            QVERIFY2(lastMessageIs(10), qPrintable(QString::number(bad)));
            QCOMPARE(form.button(QStringLiteral("okButton"))->isEnabled(), bad != 0);
            MessageBox::clearShown();
            form.button(QStringLiteral("okButton"))->click();
            if (bad == 0) continue;
            QVERIFY2(lastMessageIs(10), qPrintable(QString::number(bad)));
            QVERIFY(MessageBox::shown().last().text.contains(
                QStringLiteral("Importance of Assignment")));
            QVERIFY(!form.completed());
        }
        QCOMPARE(stored(a.ASSIGNNUMBER).PRIORITY, a.PRIORITY);
        for (int good : {1, 9}) {
            AssignmentForm again(as("ANNA"), Request::Change, stored(a.ASSIGNNUMBER));
            QVERIFY(again.start());
            again.prioritySpin()->setValue(good);
            MessageBox::clearShown();
            again.button(QStringLiteral("okButton"))->click();
            QVERIFY(MessageBox::shown().isEmpty());
            QVERIFY(again.completed());
            QCOMPARE(int(stored(a.ASSIGNNUMBER).PRIORITY), good);
        }
    }

    void aDueDateThatIsNoDateIsRefusedAndNothingIsWritten() {
        const Assignment a = add("ANNA", "PAT");
        AssignmentForm form(as("ANNA"), Request::Change, a);
        QVERIFY(form.start());
        form.nameEdit()->setText(QStringLiteral("Renamed while the date is wrong"));
        for (const QString& typed :
             {QStringLiteral("the 45th of Smarch"), QStringLiteral("31/12/2100")}) {
            form.dueDateEdit()->setText(typed);
            MessageBox::clearShown();
            // Refused when the field is left; OK waits for a real date.
            emit form.dueDateEdit()->editingFinished();
            QVERIFY2(!MessageBox::shown().isEmpty(), qPrintable(typed));
            QVERIFY2(MessageBox::shown().last().text.contains(QStringLiteral("Due Date")),
                     qPrintable(typed));
            QVERIFY(!form.button(QStringLiteral("okButton"))->isEnabled());
            form.button(QStringLiteral("okButton"))->click();
            QVERIFY(!form.completed());
            QCOMPARE(form.dueDateEdit()->text(), typed);  // what was typed stays for mending
        }
        const Assignment stored_ = stored(a.ASSIGNNUMBER);
        QCOMPARE(stored_.DUEDATE, a.DUEDATE);
        QCOMPARE(stored_.NAME, a.NAME);
    }

    void confidentialMemoAloneKeepsSeenAndLog() {
        const Assignment a = add("ANNA", "PAT", 1);
        AssignmentForm form(as("ANNA"), Request::Change, a);
        QVERIFY(form.start());
        form.confMemoEdit()->setPlainText(QStringLiteral("Only between us"));
        form.button(QStringLiteral("okButton"))->click();
        QVERIFY(form.completed());
        const Assignment after = stored(a.ASSIGNNUMBER);
        QCOMPARE(after.CONFMEMO, std::string("Only between us"));
        QCOMPARE(after.LOG, a.LOG);
        QCOMPARE(int(after.SEEN), 1);
        // A change of the general comments logs and marks unseen.
        AssignmentForm again(as("ANNA"), Request::Change, after);
        QVERIFY(again.start());
        again.generalMemoEdit()->setPlainText(QStringLiteral("Recycled paper"));
        again.button(QStringLiteral("okButton"))->click();
        const Assignment changed = stored(a.ASSIGNNUMBER);
        QCOMPARE(int(changed.SEEN), 0);
        QVERIFY(changed.LOG.find("Changed") != std::string::npos);
    }

    void entriesHoldTheirFieldWidthAndLongMemosNameTheirField() {
        const Assignment a = add("ANNA", "PAT");
        AssignmentForm form(as("ANNA"), Request::Change, a);
        QVERIFY(form.start());
        // Typing stops at the width the user can see, instead of a cut at OK.
        QCOMPARE(form.nameEdit()->maxLength(), 50);
        QCOMPARE(form.personEdit()->maxLength(), 15);
        form.nameEdit()->setText(QStringLiteral("Renamed"));
        const struct {
            QPlainTextEdit* edit;
            const char* message;
            int width;
        } memos[] = {
            {form.generalMemoEdit(), "Comments can hold at most 2000 characters.", 2000},
            {form.assignMemoEdit(), "Assignee notes can hold at most 2000 characters.", 2000},
            {form.confMemoEdit(), "Confidential comments can hold at most 1000 characters.", 1000}};
        for (const auto& memo : memos) {
            memo.edit->setPlainText(QString(memo.width + 1, QLatin1Char('m')));
            MessageBox::clearShown();
            form.button(QStringLiteral("okButton"))->click();
            QVERIFY2(!form.completed(), memo.message);
            QVERIFY2(!MessageBox::shown().isEmpty(), memo.message);
            QCOMPARE(MessageBox::shown().last().text, QString::fromLatin1(memo.message));
            // The text stays whole in the form for the user to shorten.
            QCOMPARE(memo.edit->toPlainText().size(), memo.width + 1);
            memo.edit->setPlainText(QString(memo.width, QLatin1Char('m')));
        }
        const Assignment unchanged = stored(a.ASSIGNNUMBER);
        QCOMPARE(unchanged.NAME, a.NAME);
        QCOMPARE(unchanged.GENERALMEMO, a.GENERALMEMO);
        // At exactly their widths all three are written.
        MessageBox::clearShown();
        form.button(QStringLiteral("okButton"))->click();
        QVERIFY(form.completed());
        QCOMPARE(stored(a.ASSIGNNUMBER).CONFMEMO, std::string(1000, 'm'));
    }

    void dueDateChangedTwiceKeepsTheOpeningDate() {
        const Assignment a = add("ANNA", "PAT");
        AssignmentForm form(as("ANNA"), Request::Change, a);
        QVERIFY(form.start());
        form.dueDateEdit()->setText(formatDate(a.DUEDATE + 5, u"@D18"));
        form.dueDateEdit()->setText(formatDate(a.DUEDATE + 9, u"@D18"));
        form.button(QStringLiteral("okButton"))->click();
        QVERIFY(form.completed());
        const Assignment after = stored(a.ASSIGNNUMBER);
        QCOMPARE(after.DUEDATE, a.DUEDATE + 9);
        QCOMPARE(after.PREVDUE, a.DUEDATE);
    }

    void assigneeOpeningMarksSeenEvenWhenCancelled() {
        const Assignment a = add("ANNA", "PAT", 0);
        {
            AssignmentForm form(as("PAT"), Request::Change, a);
            QVERIFY(form.start());
            QVERIFY(!form.page(QStringLiteral("generalPage"))->isEnabled());
            QVERIFY(form.tabIndex(form.page(QStringLiteral("confidentialPage"))) < 0);
            QVERIFY(!form.assignMemoEdit()->isReadOnly());
            QVERIFY(!form.button(QStringLiteral("concludeButton"))->isEnabled());
            // The disabled Reminders tab keeps the style's greyed caption.
            auto* tabs = form.findChild<QTabWidget*>();
            const int reminders = tabs->indexOf(form.page(QStringLiteral("remindersPage")));
            QVERIFY(reminders >= 0 && !tabs->isTabEnabled(reminders));
            QVERIFY(!tabs->tabBar()->tabTextColor(reminders).isValid());
            form.button(QStringLiteral("cancelButton"))->click();
        }
        QCOMPARE(int(stored(a.ASSIGNNUMBER).SEEN), 1);
    }

    void seenMarkingRefusedClosesAsCancelled() {
        const Assignment a = add("ANNA", "PAT", 0);
        Status status;
        auto other = Database::open(DataSource{m_dir.path().toStdString(), {}}, false, status);
        QVERIFY(other);
        Assignment theirs = a;
        theirs.NAME = "Changed elsewhere";
        QVERIFY(changeRecord(*other, theirs, a).ok());
        AssignmentForm form(as("PAT"), Request::Change, a);  // holds the old version
        QVERIFY(!form.start());
        QVERIFY(!MessageBox::shown().isEmpty());
        QCOMPARE(int(stored(a.ASSIGNNUMBER).SEEN), 0);
    }

    void concludeFromTheForm() {
        Assignment a = add("ANNA", "PAT");
        Assignment before = a;
        a.REPEATTYPE = repeat::WeeksAfterConcluded;
        a.REPNUMBER = 2;
        QVERIFY(changeRecord(*m_db, a, before).ok());
        AssignmentForm form(as("ANNA"), Request::Change, a);
        QVERIFY(form.start());
        QVERIFY(form.repeatLabel()->isVisibleTo(&form));
        QCOMPARE(form.repeatLabel()->text(),
                 QStringLiteral("Due every 2 week(s) after concluded last time."));
        form.button(QStringLiteral("concludeButton"))->click();
        QCOMPARE(stored(a.ASSIGNNUMBER).DUEDATE, m_today + 14);
        QCOMPARE(form.dueDateEdit()->text(), formatDate(m_today + 14, u"@D18"));
        // The user who may not conclude gets no effect and no message.
        Assignment permitted = stored(a.ASSIGNNUMBER);
        AssignmentForm assignee(as("PAT"), Request::Change, permitted);
        QVERIFY(assignee.start());
        MessageBox::clearShown();
        assignee.conclude();
        QVERIFY(MessageBox::shown().isEmpty());
        QCOMPARE(stored(a.ASSIGNNUMBER).DUEDATE, m_today + 14);
    }

    void duplicateCopiesAndTheCopyWaitsForItsPerson() {
        AssignmentForm form(as("ANNA"), Request::Insert, Assignment{});
        QVERIFY(form.start());
        const std::int32_t first = form.record().ASSIGNNUMBER;
        form.nameEdit()->setText(QStringLiteral("Fill in the survey"));
        form.personEdit()->setText(QStringLiteral("PAT"));
        form.button(QStringLiteral("duplicateButton"))->click();
        QVERIFY(form.record().ASSIGNNUMBER != first);
        QVERIFY(form.personEdit()->text().isEmpty());
        // Like "OK", "Duplicate" waits for the copy's person.
        QVERIFY(!form.button(QStringLiteral("duplicateButton"))->isEnabled());
        QCOMPARE(form.nameEdit()->text(), QStringLiteral("Fill in the survey"));
        QCOMPARE(stored(first).PERSON, std::string("PAT"));
        const std::int32_t copy = form.record().ASSIGNNUMBER;
        MessageBox::setNextAnswer(Answer::Yes);
        form.button(QStringLiteral("cancelButton"))->click();
        QVERIFY(form.completed());                // the first one was stored
        QCOMPARE(stored(copy).ASSIGNNUMBER, -1);  // the unconfirmed copy is gone
    }

    void textFileIsWrittenThroughThePath() {
        const Assignment a = add("ANNA", "PAT");
        AssignmentForm form(as("ANNA"), Request::Change, a);
        QVERIFY(form.start());
        const QString path = m_dir.filePath(QStringLiteral("out.txt"));
        QCOMPARE(form.writeTextFile(path), QString());
        QFile file(path);
        QVERIFY(file.open(QIODevice::ReadOnly | QIODevice::Text));
        const QStringList lines = QString::fromUtf8(file.readAll()).split(QLatin1Char('\n'));
        QCOMPARE(lines.first(), QStringLiteral("         ASSIGNMENT INFORMATION"));
        QVERIFY(lines.contains(QStringLiteral("Assignment: Order printer paper")));
        for (const QString& line : lines) QVERIFY(line.size() <= 60);
        QVERIFY(
            !form.writeTextFile(m_dir.filePath(QStringLiteral("missing/dir/out.txt"))).isEmpty());
    }

    void repeatDialogLabelsNumberAndStop() {
        Assignment a = add("ANNA", "PAT");
        RepeatAssignmentDialog dialog(a);
        dialog.show();
        QVERIFY(dialog.typeButton(1)->isChecked());
        QVERIFY(!dialog.numberEdit()->isEnabled());
        QVERIFY(dialog.nextDatesLabel()->text().isEmpty());  // no rule, no dates
        QVERIFY(
            dialog.weekdayButton(1)->isChecked());  // Monday offered for a record without a rule
        dialog.typeButton(7)->click();
        QCOMPARE(dialog.unitLabel()->text(), QStringLiteral("Week(s)"));
        QCOMPARE(dialog.afterLabel()->text(), QStringLiteral("after last concluded"));
        dialog.typeButton(5)->click();
        QCOMPARE(dialog.unitLabel()->text(), QStringLiteral("Month(s)"));
        QCOMPARE(dialog.afterLabel()->text(), QStringLiteral("after last Due Date"));
        screenshot(&dialog, "repeat_dialog");
        dialog.accept();
        QVERIFY(!MessageBox::shown().isEmpty());
        QCOMPARE(MessageBox::shown().last().text, QStringLiteral("Missing number of Month(s)"));
        QCOMPARE(dialog.result(), int(QDialog::Rejected));
        dialog.numberEdit()->setText(QStringLiteral("3"));
        dialog.accept();
        QCOMPARE(a.REPEATTYPE, std::string("Months after Last Due"));
        QCOMPARE(int(a.REPNUMBER), 3);
        dialog.typeButton(2)->click();
        QVERIFY(dialog.numberEdit()->text().isEmpty());
        // "Stop Repeating" acts at once on the record.
        dialog.stopCheck()->setChecked(true);
        QCOMPARE(a.CLOSEDATE, m_today);
        dialog.stopCheck()->setChecked(false);
        QCOMPARE(a.CLOSEDATE, 0);
        dialog.occurrenceButton(5)->click();
        dialog.weekdayButton(5)->click();
        // The preview follows the edit: five last Fridays of consecutive months.
        const QString preview = dialog.nextDatesLabel()->text();
        QVERIFY(preview.startsWith(QStringLiteral("Next dates: ")));
        const QStringList dates = preview.mid(12).split(QStringLiteral(", "));
        QCOMPARE(dates.size(), 5);
        int month = 0;
        for (const QString& text : dates) {
            const QDate date = QDate::fromString(text, QStringLiteral("M/d/yyyy"));
            QVERIFY2(date.isValid(), qPrintable(text));
            QCOMPARE(date.dayOfWeek(), 5);
            QVERIFY(date.day() + 7 > date.daysInMonth());
            QVERIFY(month == 0 || date.month() == month % 12 + 1);
            month = date.month();
        }
        dialog.accept();
        QCOMPARE(a.REPEATTYPE, std::string("Specific Weekday"));
        QCOMPARE(a.WEEKINMONTH, std::string("Last"));
        QCOMPARE(int(a.DAYNO), 5);
        QCOMPARE(a.WEEKDAY, std::string("Friday"));
        // Set Weekdays stores the flags; a stored Sunday rule shows Sunday.
        a.DAYNO = 0;
        a.WEEKINMONTH = "1st";
        RepeatAssignmentDialog again(a);
        QVERIFY(again.weekdayButton(0)->isChecked());
        again.typeButton(9)->click();
        again.dayCheck(0)->setChecked(true);
        again.dayCheck(3)->setChecked(true);
        again.accept();
        QCOMPARE(a.REPEATTYPE, std::string("Set Weekdays"));
        QCOMPARE(a.SETDAYREPT, (std::array<std::uint8_t, 7>{1, 0, 0, 1, 0, 0, 0}));
    }

    void reminderInsertCancelAndChange() {
        const Assignment a = add("ANNA", "PAT");
        std::vector<Reminder> list;
        {
            ReminderForm form(as("ANNA"), Request::Insert, Reminder{}, a);
            QVERIFY(form.start());
            QCOMPARE(form.reminder().REMINDNUMBER, 1);  // first in an empty file
            QVERIFY(form.alarmCheck()->isChecked());
            QCOMPARE(form.forLabel()->text(), QStringLiteral("Order printer paper"));
            screenshot(&form, "reminder_form");
            form.scaffold()->cancel();  // nothing typed: closes without asking
            QVERIFY(!form.completed());
        }
        QVERIFY(remindersOf(*m_db, a.ASSIGNNUMBER, list).ok());
        QVERIFY(list.empty());
        {
            ReminderForm form(as("ANNA"), Request::Insert, Reminder{}, a);
            QVERIFY(form.start());
            form.dateEdit()->setText(formatDate(m_today + 2, u"@D18"));
            form.noteEdit()->setText(QStringLiteral("Ask about toner"));
            form.scaffold()->ok();
            QVERIFY(form.completed());
        }
        QVERIFY(remindersOf(*m_db, a.ASSIGNNUMBER, list).ok());
        QCOMPARE(list.size(), size_t{1});
        QCOMPARE(list[0].NOTE, std::string("Ask about toner"));
        QCOMPARE(list[0].DATE, m_today + 2);
        QCOMPARE(list[0].USER, std::string("ANNA"));
        // A date that cannot be read is refused and nothing is written.
        {
            ReminderForm form(as("ANNA"), Request::Change, list[0], a);
            QVERIFY(form.start());
            form.dateEdit()->setText(QStringLiteral("no such day"));
            form.scaffold()->ok();
            QVERIFY(!form.completed());
            QVERIFY(!MessageBox::shown().isEmpty());
        }
        // Delete asks for confirmation first.
        {
            ReminderForm form(as("ANNA"), Request::Delete, list[0], a);
            QVERIFY(form.start());
            MessageBox::setNextAnswer(Answer::Ok);
            form.scaffold()->ok();
            QVERIFY(lastMessageIs(32));
            QVERIFY(form.completed());
        }
        QVERIFY(remindersOf(*m_db, a.ASSIGNNUMBER, list).ok());
        QVERIFY(list.empty());
    }
};

}  // namespace tko

QTEST_MAIN(tko::AssignmentWindowsTest)
#include "AssignmentWindowsTest.moc"
