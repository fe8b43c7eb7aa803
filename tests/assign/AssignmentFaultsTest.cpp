// The assignment form as a new user meets it: a typed person reaches only the
// people the picking list offers, a due date is checked where it is typed,
// and record navigation moves the list that opened the form.
#include <QApplication>
#include <QLineEdit>
#include <QPushButton>
#include <QTimer>
#include <QtTest>

#include "assign/AssignmentRules.h"
#include "assign/lists/ui/DueNowWindow.h"
#include "assign/ui/AssignmentForm.h"
#include "assign/ui/AssignmentScreens.h"
#include "assign/ui/ReminderForm.h"
#include "data/Integrity.h"
#include "people/PeopleRules.h"
#include "people/ui/PeopleBrowser.h"
#include "platform/Picture.h"
#include "platform/ui/BrowseList.h"
#include "platform/ui/MessageBox.h"
#include "support/SignedIn.h"

namespace tko {

class AssignmentFaultsTest : public QObject {
    Q_OBJECT

private:
    QTemporaryDir m_dir;
    std::unique_ptr<Database> m_db;
    Workspace m_workspace;
    const Date m_today = fromYmd(2026, 2, 10);

    Workspace& as(const std::string& user, int access = 0) {
        m_workspace.programDir = m_dir.path();
        return test::signedIn(m_workspace, m_db.get(), user, access);
    }
    void person(const std::string& name, int number, const char* type, const std::string& owner) {
        Person p;
        p.SHORTNAME = name;
        p.PERSONNUMBER = number;
        p.TYPE = type;
        p.USER = owner;
        QVERIFY(m_db->add(p).ok());
    }
    std::int64_t assignmentsFor(const std::string& name) {
        std::int64_t n = -1;
        m_db->count<Assignment>(store::eq("PERSON", name), n);
        return n;
    }
    QString lastText() const {
        return MessageBox::shown().isEmpty() ? QString() : MessageBox::shown().last().text;
    }
    // A form for BEN with a name filled in.
    std::unique_ptr<AssignmentForm> newForm() {
        auto form = std::make_unique<AssignmentForm>(as("BEN"), Request::Insert, Assignment{});
        if (!form->start()) return nullptr;
        form->nameEdit()->setText(QStringLiteral("Call the printer"));
        return form;
    }

private slots:
    void initTestCase() {
        MessageBox::setTestMode(true);
        QVERIFY(m_dir.isValid());
        m_db = test::newOffice(m_dir);
        QVERIFY(m_db);
        Clock::setFixed(m_today, fromHms(10, 30));
        person("ANNA", 1, kTypeUser, "ANNA");
        person("CARLA", 2, kTypeUser, "CARLA");
        person("HIDDEN", 3, kTypePrivate, "ANNA");
        person("SAM", 4, kTypeOpen, "ANNA");
        person("SAM", 5, kTypePrivate, "BEN");
        UserAssign grant{"CARLA", "BEN"};  // CARLA lets BEN give her assignments
        QVERIFY(m_db->add(grant).ok());
    }
    void init() { MessageBox::clearShown(); }
    void cleanupTestCase() { Clock::useSystem(); }

    void aTypedPersonTheUserMayNotAssignIsRefusedWhereTyped() {
        auto form = newForm();
        QVERIFY(form);
        for (const char* name : {"ANNA", "HIDDEN", "NOBODY"}) {
            MessageBox::clearShown();
            form->personEdit()->setText(QLatin1String(name));
            emit form->personEdit()->editingFinished();
            QCOMPARE(MessageBox::shown().size(), 1);
            QCOMPARE(lastText(),
                     QStringLiteral("You are not authorized to give assignments to this person."));
            QVERIFY(form->personEdit()->text().isEmpty());  // back to what it held
        }
        // Typed and OK pressed at once: refused as well, nothing stored for ANNA.
        form->personEdit()->setText(QStringLiteral("ANNA"));
        MessageBox::clearShown();
        form->button(QStringLiteral("okButton"))->click();
        QVERIFY(!form->completed());
        QVERIFY(lastText().startsWith(QStringLiteral("You are not authorized")));
        QCOMPARE(assignmentsFor("ANNA"), std::int64_t{0});

        // CARLA granted the right: accepted and stored with her number.
        form->personEdit()->setText(QStringLiteral("CARLA"));
        MessageBox::clearShown();
        form->button(QStringLiteral("okButton"))->click();
        QVERIFY(MessageBox::shown().isEmpty());
        QVERIFY(form->completed());
        Assignment stored;
        QVERIFY(m_db->fetch("ASS:NUMBER_KEY", {std::int64_t{form->record().ASSIGNNUMBER}}, stored)
                    .ok());
        QCOMPARE(stored.PERSON, std::string("CARLA"));
        QCOMPARE(stored.PERSONNUMBER, 2);
    }

    void anAmbiguousShortNameOpensThePickerOnIt() {
        auto form = newForm();
        QVERIFY(form);
        QString offered;
        QTimer::singleShot(0, this, [&offered] {
            auto* picker = qobject_cast<PeopleBrowser*>(QApplication::activeModalWidget());
            if (!picker) return;
            Person highlighted;
            if (const store::Row* row = picker->selectedRow()) highlighted.fromRow(*row);
            offered = QString::fromStdString(highlighted.SHORTNAME);
            picker->choose();
        });
        form->personEdit()->setText(QStringLiteral("SAM"));
        emit form->personEdit()->editingFinished();
        QCOMPARE(offered, QStringLiteral("SAM"));
        QCOMPARE(form->record().PERSON, std::string("SAM"));
        QVERIFY(form->record().PERSONNUMBER == 4 || form->record().PERSONNUMBER == 5);
        QVERIFY(MessageBox::shown().isEmpty());
        MessageBox::setNextAnswer(Answer::Yes);
        form->button(QStringLiteral("cancelButton"))->click();
    }

    void aDueDateThatIsNoDateIsRefusedWhenTheFieldIsLeft() {
        auto form = newForm();
        QVERIFY(form);
        form->personEdit()->setText(QStringLiteral("CARLA"));
        emit form->personEdit()->editingFinished();
        QVERIFY(form->button(QStringLiteral("printButton"))->isEnabled());
        MessageBox::clearShown();
        form->dueDateEdit()->setText(QStringLiteral("2/31/2026"));
        emit form->dueDateEdit()->editingFinished();
        QCOMPARE(MessageBox::shown().size(), 1);
        QVERIFY(lastText().contains(QStringLiteral("Due Date")));
        QVERIFY(lastText().contains(QStringLiteral("2/31/2026")));
        QCOMPARE(form->dueDateEdit()->text(), QStringLiteral("2/31/2026"));  // kept for mending
        for (const char* name : {"okButton", "printButton", "textFileButton", "concludeButton"})
            QVERIFY2(!form->button(QLatin1String(name))->isEnabled(), name);

        // An accepted date is shown again in the field's picture.
        MessageBox::clearShown();
        form->dueDateEdit()->setText(QStringLiteral("3/2/2026"));
        emit form->dueDateEdit()->editingFinished();
        QVERIFY(MessageBox::shown().isEmpty());
        QCOMPARE(form->dueDateEdit()->text(), formatDate(fromYmd(2026, 3, 2), u"@D18b"));
        QVERIFY(form->button(QStringLiteral("okButton"))->isEnabled());
        QVERIFY(form->button(QStringLiteral("printButton"))->isEnabled());
        MessageBox::setNextAnswer(Answer::Yes);
        form->button(QStringLiteral("cancelButton"))->click();
    }

    void aReminderIsNotSavedWithoutADate() {
        Assignment owner = primeAssignment(UserPref{}, "BEN", m_today);
        owner.NAME = "With a reminder";
        owner.PERSON = "CARLA";
        owner.PERSONNUMBER = 2;
        QVERIFY(addNewAssignment(*m_db, owner).ok());
        ReminderForm form(as("BEN"), Request::Insert, Reminder{}, owner);
        QVERIFY(form.start());
        form.noteEdit()->setText(QStringLiteral("Ask about the toner"));
        MessageBox::clearShown();
        form.findChild<QPushButton*>(QStringLiteral("okButton"))->click();
        QVERIFY(!form.completed());
        QCOMPARE(lastText(), QStringLiteral("A reminder needs a date."));
        // A date that is no date is refused where it is typed.
        form.dateEdit()->setText(QStringLiteral("2/30/2026"));
        emit form.dateEdit()->editingFinished();
        QVERIFY(lastText().contains(QStringLiteral("2/30/2026")));
        form.dateEdit()->setText(QStringLiteral("2/27/2026"));
        emit form.dateEdit()->editingFinished();
        QCOMPARE(form.dateEdit()->text(), formatDate(fromYmd(2026, 2, 27), u"@D18b"));
        form.findChild<QPushButton*>(QStringLiteral("okButton"))->click();
        QVERIFY(form.completed());
        Reminder stored;
        QVERIFY(m_db->fetch("REM:REMINDERNUMBER_KEY", {std::int64_t{form.reminder().REMINDNUMBER}},
                            stored)
                    .ok());
        QCOMPARE(stored.DATE, fromYmd(2026, 2, 27));
    }

    void theFormTellsItsListWhereToGo() {
        Assignment a = primeAssignment(UserPref{}, "BEN", m_today);
        a.NAME = "Navigate from here";
        a.PERSON = "CARLA";
        a.PERSONNUMBER = 2;
        QVERIFY(addNewAssignment(*m_db, a).ok());
        QTimer::singleShot(0, this, [] {
            if (auto* form = qobject_cast<AssignmentForm*>(QApplication::activeModalWidget()))
                form->navigate(RecordNavigation::Next);
        });
        Workspace& ws = as("BEN");
        ws.session.GlobalNavigation = RecordNavigation::None;
        runAssignmentForm(nullptr, ws, Request::Change, a);
        QCOMPARE(ws.session.GlobalNavigation, RecordNavigation::Next);
    }

    void theListMovesItsHighlightAndOpensTheFormAgain() {
        // Only three assignments, all due, listed by priority.
        std::vector<Assignment> earlier;
        QVERIFY(m_db->readAll("ASS:NUMBER_KEY", store::all(), earlier).ok());
        for (const Assignment& a : earlier) QVERIFY(deleteRecord(*m_db, a).ok());
        std::vector<std::int32_t> numbers;
        for (int priority : {1, 2, 3}) {
            Assignment a = primeAssignment(UserPref{}, "BEN", m_today - 1);
            a.NAME = "Due " + std::to_string(priority);
            a.PRIORITY = static_cast<std::uint8_t>(priority);
            a.PERSON = "CARLA";
            a.PERSONNUMBER = 2;
            QVERIFY(addNewAssignment(*m_db, a).ok());
            numbers.push_back(a.ASSIGNNUMBER);
        }
        // What the "user" presses in each opening of the form.
        QList<RecordNavigation> presses{RecordNavigation::Next,   RecordNavigation::Next,
                                        RecordNavigation::Next,   RecordNavigation::Previous,
                                        RecordNavigation::First,  RecordNavigation::Last,
                                        RecordNavigation::Insert, RecordNavigation::None};
        QList<std::pair<Request, std::int32_t>> opened;
        ListActions actions;
        actions.openForm = [&](QWidget*, Workspace& ws, Request request, Assignment& record) {
            opened.append({request, record.ASSIGNNUMBER});
            ws.session.GlobalNavigation =
                presses.isEmpty() ? RecordNavigation::None : presses.takeFirst();
            return false;
        };
        DueNowWindow window(as("BEN", 2), actions);
        window.setAttribute(Qt::WA_DeleteOnClose, false);
        QCOMPARE(window.list()->pager().rows().size(), size_t{3});
        QVERIFY(window.list()->pager().select(0));
        window.changeSelected();
        const QList<std::pair<Request, std::int32_t>> expected{
            {Request::Change, numbers[0]}, {Request::Change, numbers[1]},
            {Request::Change, numbers[2]}, {Request::Change, numbers[2]},  // the end: stays
            {Request::Change, numbers[1]}, {Request::Change, numbers[0]},
            {Request::Change, numbers[2]}, {Request::Insert, 0}};
        QCOMPARE(opened.size(), expected.size());
        for (qsizetype i = 0; i < expected.size(); ++i) {
            QCOMPARE(opened[i].first, expected[i].first);
            QCOMPARE(opened[i].second, expected[i].second);
        }
        QVERIFY(presses.isEmpty());
        QCOMPARE(m_workspace.session.GlobalNavigation, RecordNavigation::None);
        Assignment highlighted;
        QVERIFY(window.selectedRow());
        highlighted.fromRow(*window.selectedRow());
        QCOMPARE(highlighted.ASSIGNNUMBER, numbers[2]);
    }
};

}  // namespace tko

QTEST_MAIN(tko::AssignmentFaultsTest)
#include "AssignmentFaultsTest.moc"
