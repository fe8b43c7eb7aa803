#include "assign/ui/AssignmentForm.h"

#include <QCheckBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QShortcut>
#include <QSpinBox>
#include <QTabBar>
#include <QTabWidget>
#include <QVBoxLayout>

#include "assign/AssignmentRules.h"
#include "assign/Conclude.h"
#include "assign/GroupAssignment.h"
#include "assign/Repetition.h"
#include "assign/ui/AssignmentScreens.h"
#include "assign/ui/AssignmentTextFile.h"
#include "assign/ui/FormWidgets.h"
#include "assign/ui/ReminderForm.h"
#include "assign/ui/RepeatAssignmentDialog.h"
#include "data/FieldWidth.h"
#include "data/Keys.h"
#include "data/Messages.h"
#include "data/Preferences.h"
#include "data/Records.h"
#include "data/Workspace.h"
#include "people/PeopleFilters.h"
#include "people/ui/GroupScreens.h"
#include "people/ui/PeopleScreens.h"
#include "platform/Picture.h"
#include "platform/QtText.h"
#include "platform/ui/BrowseList.h"
#include "platform/ui/CalendarPopup.h"
#include "platform/ui/FormScaffold.h"
#include "platform/ui/HelpBrowser.h"
#include "platform/ui/MessageBox.h"
#include "platform/ui/WindowTranslation.h"
#include "projects/ProjectRules.h"
#include "projects/ui/ProjectScreens.h"

namespace tko {
namespace {

QString longDate(Date date) {
    return formatDate(date, u"@D18b");
}

}  // namespace

AssignmentForm::AssignmentForm(Workspace& workspace, Request request, const Assignment& record,
                               QWidget* parent)
    : QDialog(parent),
      m_workspace(workspace),
      m_request(request),
      m_current(record),
      m_opened(record) {
    setObjectName(QStringLiteral("AssignmentForm"));
    setWindowTitle(QStringLiteral("Assignment Information"));
    setWhatsThis(QStringLiteral("~Assignment_Information_Window"));

    m_tabs = new QTabWidget(this);
    m_tabs->setObjectName(QStringLiteral("assignmentTabs"));
    m_general = new AssignmentGeneralPage(this);
    m_tabs->addTab(m_general, QStringLiteral("General"));
    QWidget* comments =
        buildMemoTab(m_generalMemo, "commentsPage", "General comments by assigning user");
    m_tabs->addTab(comments, QStringLiteral("Comments"));
    QWidget* log = buildMemoTab(m_log, "logPage", "Activity log");
    m_log->setReadOnly(true);
    m_tabs->addTab(log, QStringLiteral("Log"));
    QWidget* assignee = buildMemoTab(m_assignMemo, "assigneePage", "Comments by assigned user");
    m_tabs->addTab(assignee, QStringLiteral("Assignee"));
    m_tabs->setTabToolTip(m_tabs->indexOf(assignee), QStringLiteral("Assignee notes"));
    m_confPage =
        buildMemoTab(m_confMemo, "confidentialPage", "Confidential comments for assigning user");
    m_tabs->addTab(m_confPage, QStringLiteral("Confidential"));
    m_projectsPage = new AssignmentProjectsPage(m_workspace.db->engine(), this);
    m_tabs->addTab(m_projectsPage, QStringLiteral("Projects"));
    m_remindersPage = new AssignmentRemindersPage(m_workspace.db->engine(), this);
    m_tabs->addTab(m_remindersPage, QStringLiteral("Reminders"));
    m_tabs->setTabToolTip(m_tabs->indexOf(m_remindersPage),
                          QStringLiteral("Reminders for this assignment"));

    auto* status = makeLabel(this, "statusLabel");
    auto* ok = makeButton(this, "okButton", "&OK");
    ok->setDefault(true);
    auto* cancel = makeButton(this, "cancelButton", "&Cancel");
    auto* duplicate =
        makeButton(this, "duplicateButton", "&Duplicate", "Give same assignment to another person");
    auto* print = makeButton(this, "printButton", "&Print", "Print the assignment information");
    auto* text = makeButton(this, "textFileButton", "&Text File",
                            "Put assignment information in an ASCII file");
    auto* conclude = makeButton(this, "concludeButton", "Co&nclude");
    auto* help = makeButton(this, "helpButton", "&Help");
    auto* buttons = new QHBoxLayout;
    buttons->addWidget(status, 1);
    for (QPushButton* b : {ok, cancel, duplicate, print, text, conclude, help})
        buttons->addWidget(b);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(m_tabs, 1);
    layout->addLayout(buttons);

    m_scaffold = new FormScaffold(this, request, this);
    m_scaffold->setStatusLabel(status);
    m_scaffold->isChanged = [this] {
        Assignment now = m_current;
        return !collect(now, false) || !now.sameValues(m_opened) ||
               (m_target == Target::Group && m_group.has_value());
    };
    m_scaffold->save = [this] { return save(); };
    m_scaffold->watchRecord(m_workspace.db->engine(), Assignment::def(), [this] {
        Assignment now = m_current;
        collect(now, false);
        return now.toRow();
    });
    m_scaffold->keepEdits(
        [this] { return m_opened.toRow(); },
        [this](const store::Row& stored, const store::Row& shown) {
            m_opened.fromRow(stored);
            m_current.fromRow(shown);
            display();
            applyRights();
        },
        [this] {
            return assignmentFieldViews(
                editRights(m_current, m_workspace.session, m_request, m_confidentialSetting)
                    .confidential);
        });
    connect(ok, &QPushButton::clicked, m_scaffold, &FormScaffold::ok);
    connect(cancel, &QPushButton::clicked, m_scaffold, &FormScaffold::cancel);
    connect(duplicate, &QPushButton::clicked, this, &AssignmentForm::duplicate);
    connect(print, &QPushButton::clicked, this, &AssignmentForm::print);
    connect(text, &QPushButton::clicked, this, &AssignmentForm::textFile);
    connect(conclude, &QPushButton::clicked, this, &AssignmentForm::conclude);
    connect(help, &QPushButton::clicked, this,
            [this] { HelpBrowser::showHelp(whatsThis(), this); });

    // The record-navigation requests of the calling list.
    const std::pair<QKeySequence, Navigation> moves[] = {
        {QKeySequence(Qt::ALT | Qt::Key_Home), Navigation::First},
        {QKeySequence(Qt::ALT | Qt::Key_PageUp), Navigation::Previous},
        {QKeySequence(Qt::ALT | Qt::Key_PageDown), Navigation::Next},
        {QKeySequence(Qt::ALT | Qt::Key_End), Navigation::Last},
        {QKeySequence(Qt::ALT | Qt::Key_Insert), Navigation::Insert}};
    for (const auto& [keys, where] : moves) {
        auto* shortcut = new QShortcut(keys, this);
        connect(shortcut, &QShortcut::activated, this, [this, where = where] { navigate(where); });
    }

    connect(m_general->personButton, &QPushButton::clicked, this, [this] { pickPerson(); });
    connect(m_general->personEdit, &QLineEdit::editingFinished, this,
            &AssignmentForm::lookUpPerson);
    connect(m_general->calButton, &QPushButton::clicked, this, [this] {
        Assignment now = m_current;
        collect(now, false);
        if (const auto date = CalendarPopup::pick(this, now.DUEDATE))
            m_general->dueDateEdit->setText(longDate(*date));
    });
    connect(m_general->repeatButton, &QPushButton::clicked, this,
            &AssignmentForm::openRepeatDialog);
    connect(m_general->dueDateEdit, &QLineEdit::editingFinished, this,
            &AssignmentForm::checkDueDate);
    connect(m_projectsPage->addButton, &QPushButton::clicked, this, &AssignmentForm::addToProject);
    connect(m_projectsPage->deleteButton, &QPushButton::clicked, this,
            &AssignmentForm::deleteFromProject);
    connect(m_remindersPage, &AssignmentRemindersPage::openRequested, this,
            &AssignmentForm::openReminder);
    for (QLineEdit* edit : {m_general->nameEdit, m_general->personEdit, m_general->dueDateEdit})
        connect(edit, &QLineEdit::textChanged, this, &AssignmentForm::updateButtons);
    connect(m_general->prioritySpin, &QSpinBox::valueChanged, this, &AssignmentForm::updateButtons);
    for (QPlainTextEdit* memo : {m_generalMemo, m_assignMemo, m_confMemo})
        connect(memo, &QPlainTextEdit::textChanged, this, &AssignmentForm::colourTabs);
    resize(640, 460);
}

AssignmentForm::AssignmentForm(Workspace& workspace, Target target, QWidget* parent)
    : AssignmentForm(workspace, Request::Insert, Assignment{}, parent) {
    if (target == Target::Group) adaptToGroup();
}

void AssignmentForm::adaptToGroup() {
    m_target = Target::Group;
    setObjectName(QStringLiteral("GroupAssignmentForm"));
    setWindowTitle(QStringLiteral("Assignment Information Group"));
    setWhatsThis(QStringLiteral("~Group_Assignment_Information_Window"));
    m_general->adaptToGroup();
    // The records to be are not yet anybody's: no assignee notes, and nothing
    // to print, write out, conclude or duplicate before they exist.
    m_tabs->removeTab(m_tabs->indexOf(page(QStringLiteral("assigneePage"))));
    for (const char* name : {"duplicateButton", "printButton", "textFileButton", "concludeButton"})
        button(QLatin1String(name))->setVisible(false);
    m_projectsPage->adaptToGroup();
    m_remindersPage->adaptToGroup();
}

QWidget* AssignmentForm::buildMemoTab(QPlainTextEdit*& edit, const char* name, const char* tip) {
    auto* page = new QWidget(this);
    page->setObjectName(QLatin1String(name));
    edit = new QPlainTextEdit(page);
    edit->setObjectName(QLatin1String(name) + QStringLiteral("Edit"));
    edit->setToolTip(QLatin1String(tip));
    auto* layout = new QVBoxLayout(page);
    layout->addWidget(edit);
    return page;
}

QPushButton* AssignmentForm::button(const QString& objectName) const {
    return findChild<QPushButton*>(objectName);
}
QWidget* AssignmentForm::page(const QString& objectName) const {
    return findChild<QWidget*>(objectName);
}
int AssignmentForm::tabIndex(QWidget* page) const {
    const int index = m_tabs->indexOf(page);
    return index >= 0 && m_tabs->isTabVisible(index) ? index : -1;
}

bool AssignmentForm::completed() const {
    return m_scaffold->completed() || m_storedSomething;
}

bool AssignmentForm::start() {
    if (!m_scaffold->start()) return false;
    Database& db = *m_workspace.db;
    const Session& session = m_workspace.session;
    std::vector<SystemPref> settings;
    store::ReadRequest first;
    first.limit = 1;
    if (db.read(first, settings).ok() && !settings.empty())
        m_confidentialSetting = settings.front().CONFIDENTIAL != 0;

    if (m_request == Request::Insert) {
        UserPref pref;
        Request prefRequest = Request::None;
        if (!loadUserPref(db, session.GlobalUser, pref, prefRequest).ok()) {
            MessageBox::showStandard(this, 35, qs(db.lastError().describe()),
                                     QStringLiteral("USERPREF"));
            return false;
        }
        m_current = primeAssignment(pref, session.GlobalUser, Clock::today());
        const Status added = m_provisional.add(
            db, m_current, [&](Assignment& a) { return addNewAssignment(db, a); },
            [this](const std::string& error) {
                return MessageBox::show(this, numberingRetryQuestion(error)) == Answer::Yes;
            });
        if (!added.ok()) {
            if (added.code != store::kDuplicateKey)
                MessageBox::showStandard(this, 35, qs(db.lastError().describe()),
                                         QStringLiteral("ASSIGNMENT"));
            return false;
        }
    } else if (m_request == Request::Change) {
        const Outcome seen = markSeenByAssignee(db, m_current, session);
        if (!seen.ok()) {
            showOutcome(this, seen);
            return false;
        }
    }
    takeOpeningCopies();
    display();
    applyRights();
    // The first keys typed go to the first field the user may change.
    if (m_general->isEnabled()) {
        m_tabs->setCurrentWidget(m_general);
        m_general->nameEdit->setFocus();
    }
    return true;
}

void AssignmentForm::takeOpeningCopies() {
    m_opened = m_current;
}

void AssignmentForm::display() {
    const Assignment& a = m_current;
    m_general->showRecord(
        a,
        m_target == Target::Group ? (m_group ? qs(m_group->GROUPNAME) : QString()) : qs(a.PERSON),
        m_target == Target::Person);
    m_generalMemo->setPlainText(memoToText(a.GENERALMEMO));
    m_log->setPlainText(activityLogText(a.LOG));
    m_assignMemo->setPlainText(memoToText(a.ASSIGNMEMO));
    m_confMemo->setPlainText(memoToText(a.CONFMEMO));
    m_projectsPage->showLinks(a.ASSIGNNUMBER, m_workspace.session);
    m_remindersPage->showReminders(a.ASSIGNNUMBER);
    updateTabColours();
    updateButtons();
}

void AssignmentForm::updateRepeatLine() {
    m_general->showRepeatLine(m_current);
}

void AssignmentForm::applyRights() {
    const EditRights r =
        editRights(m_current, m_workspace.session, m_request, m_confidentialSetting);
    m_general->setEnabled(r.general);
    m_generalMemo->setReadOnly(!r.generalMemo);
    m_assignMemo->setReadOnly(!r.assignMemo);
    m_projectsPage->setChangeable(r.projects);
    m_tabs->setTabEnabled(m_tabs->indexOf(m_remindersPage), r.reminders);
    m_tabs->setTabVisible(m_tabs->indexOf(m_confPage), r.confidential);
    colourTabs();
    updateButtons();
}

void AssignmentForm::checkDueDate() {
    const DateEntry entry = checkDateEntry(m_general->dueDateEdit->text(), u"@D18b", u"Due Date");
    if (!entry.ok()) {
        MessageBox::showText(this, QStringLiteral("%1"), windowTitle(), MessageButtons::Ok,
                             {entry.error}, MessageBox::Icon::Warning);
        m_tabs->setCurrentWidget(m_general);
        m_general->dueDateEdit->setFocus();
        m_general->dueDateEdit->selectAll();
        return;
    }
    if (m_general->dueDateEdit->text() != entry.shown) m_general->dueDateEdit->setText(entry.shown);
}

void AssignmentForm::updateButtons() {
    const EditRights r =
        editRights(m_current, m_workspace.session, m_request, m_confidentialSetting);
    Assignment now = m_current;
    collect(now, false);
    // A due date that is no date counts as missing until it is mended.
    const bool dateRead =
        checkDateEntry(m_general->dueDateEdit->text(), u"@D18b", u"Due Date").ok();
    const bool filled =
        dateRead && (m_target == Target::Group ? groupEssentialsFilled(now, m_group.has_value())
                                               : essentialsFilled(now));
    if (r.ownerOrAdmin) {
        for (const char* name : {"okButton", "printButton", "textFileButton"})
            button(QLatin1String(name))->setEnabled(filled);
        button(QStringLiteral("concludeButton"))->setEnabled(filled && r.conclude);
    } else {
        button(QStringLiteral("concludeButton"))->setEnabled(r.conclude);
    }
    // "Duplicate" stores the record as "OK" does, so it needs what "OK" needs.
    button(QStringLiteral("duplicateButton"))->setEnabled(r.duplicate && filled);
}

void AssignmentForm::updateTabColours() {
    Database& db = *m_workspace.db;
    std::vector<ProjAssign> links;
    std::vector<Reminder> reminders;
    m_hasLinks =
        visibleProjectLinks(db, projectViewer(m_workspace.session), m_current.ASSIGNNUMBER, links)
            .ok() &&
        !links.empty();
    m_hasReminders = remindersOf(db, m_current.ASSIGNNUMBER, reminders).ok() && !reminders.empty();
    colourTabs();
}

void AssignmentForm::colourTabs() {
    const std::pair<QWidget*, bool> marks[] = {
        {page(QStringLiteral("commentsPage")), !m_generalMemo->toPlainText().trimmed().isEmpty()},
        {page(QStringLiteral("assigneePage")), !m_assignMemo->toPlainText().trimmed().isEmpty()},
        {m_confPage, !m_confMemo->toPlainText().trimmed().isEmpty()},
        {m_projectsPage, m_hasLinks},
        {m_remindersPage, m_hasReminders}};
    // A disabled tab keeps the style's own (greyed) caption, so that it
    // looks as unavailable as it is; an invalid colour gives that back.
    for (const auto& [tab, marked] : marks) {
        const int index = m_tabs->indexOf(tab);
        m_tabs->tabBar()->setTabTextColor(index, !m_tabs->isTabEnabled(index) ? QColor()
                                                 : marked                     ? QColor(255, 0, 0)
                                                                              : QColor(0, 0, 0));
    }
}

bool AssignmentForm::collect(Assignment& out, bool report) {
    auto refuse = [&](QWidget* field, QWidget* tab, const QString& text) {
        if (report) {
            MessageBox::showText(this, QStringLiteral("%1"), windowTitle(), MessageButtons::Ok,
                                 {text}, MessageBox::Icon::Warning);
            m_tabs->setCurrentWidget(tab);
            field->setFocus();
        }
        return false;
    };
    out.NAME = store::clipText(m_general->nameEdit->text().toStdString(), Assignment::Width::NAME);
    if (const auto refusal = checkLineText("Assignment", out.NAME))
        return refuse(m_general->nameEdit, m_general, qs(*refusal));
    if (m_target == Target::Person) {
        out.PERSON =
            store::clipText(m_general->personEdit->text().toStdString(), Assignment::Width::PERSON);
        if (out.PERSON != store::clipText(m_current.PERSON, Assignment::Width::PERSON))
            out.PERSONNUMBER = 0;
    }
    if (const auto message = checkAssignmentPriority(m_general->prioritySpin->value());
        message && report) {
        MessageBox::show(this, *message);
        m_tabs->setCurrentWidget(m_general);
        m_general->prioritySpin->setFocus();
        m_general->prioritySpin->selectAll();
        return false;
    }
    out.PRIORITY = static_cast<std::uint8_t>(m_general->prioritySpin->value());
    out.SECONDARY = m_general->secondaryCheck->isChecked() ? 1 : 0;
    out.ASSIGNEECONCLUDE = m_general->assigneeConcludeCheck->isChecked() ? 1 : 0;
    const Parsed<Date> due =
        parseDate(m_general->dueDateEdit->text().trimmed(), u"@D18", u"Due Date");
    if (!due.ok()) return refuse(m_general->dueDateEdit, m_general, due.error);
    out.DUEDATE = due.value;
    // Memos longer than their field are refused rather than cut short.
    const std::tuple<QPlainTextEdit*, std::string Assignment::*, const char*, int> memos[] = {
        {m_generalMemo, &Assignment::GENERALMEMO, "Comments", Assignment::Width::GENERALMEMO},
        {m_assignMemo, &Assignment::ASSIGNMEMO, "Assignee notes", Assignment::Width::ASSIGNMEMO},
        {m_confMemo, &Assignment::CONFMEMO, "Confidential comments", Assignment::Width::CONFMEMO}};
    for (const auto& [edit, member, caption, width] : memos) {
        const std::string memo = textToMemo(edit->toPlainText());
        if (const auto tooLong = checkFieldWidth(caption, memo, width))
            return refuse(edit, edit->parentWidget(), qs(*tooLong));
        // An unchanged memo keeps its stored form exactly.
        if (memoToText(out.*member) != edit->toPlainText()) out.*member = memo;
    }
    return true;
}

bool AssignmentForm::save() {
    Assignment next = m_current;
    if (!collect(next, true)) return false;
    const Session& session = m_workspace.session;
    if (m_target == Target::Group) return saveForGroup(next);
    if (!assigneeAccepted(next)) return false;
    if (m_request == Request::Insert)
        applyInsertOnOk(next, session, Clock::today(), Clock::now());
    else
        applyChangeOnOk(next, m_opened, session, Clock::today(), Clock::now());
    const Outcome out = storeAssignment(*m_workspace.db, next, m_opened, session.GlobalUser);
    showOutcome(this, out);
    if (out.kind == Outcome::ChangedElsewhere) {
        m_current = next;
        takeOpeningCopies();
        display();
        return false;
    }
    if (!out.ok()) return false;
    m_current = next;
    m_provisional.keep();
    m_storedSomething = true;
    return true;
}

bool AssignmentForm::assigneeAccepted(Assignment& next) {
    const AssigneeCheck check =
        checkAssignee(*m_workspace.db, m_workspace.session, next, m_opened, m_request);
    switch (check.kind) {
        case AssigneeCheck::Accepted:
            m_current.PERSON = next.PERSON;
            m_current.PERSONNUMBER = next.PERSONNUMBER;
            return true;
        case AssigneeCheck::Ambiguous:
            MessageBox::showText(this, QStringLiteral("%1"), windowTitle(), MessageButtons::Ok,
                                 {qs(check.message)}, MessageBox::Icon::Information);
            m_tabs->setCurrentWidget(m_general);
            pickPerson(next.PERSON);
            return false;
        case AssigneeCheck::NotAssignable:
            MessageBox::showText(this, QStringLiteral("%1"), windowTitle(), MessageButtons::Ok,
                                 {qs(check.message)}, MessageBox::Icon::Warning);
            break;
        case AssigneeCheck::Failed:
            // The form stays open: the message does not say it returns.
            MessageBox::showStandard(this, 35, qs(check.message), QStringLiteral("PEOPLE"), {},
                                     kReadErrorStays);
            break;
    }
    m_tabs->setCurrentWidget(m_general);
    m_general->personEdit->setFocus();
    m_general->personEdit->selectAll();
    return false;
}

bool AssignmentForm::storePending() {
    if (m_request != Request::Insert && !m_scaffold->isChanged()) return true;
    if (!m_scaffold->saveRecord()) return false;
    if (m_request == Request::Insert) {
        m_request = Request::Change;
        m_scaffold->setRequest(Request::Change);
    }
    takeOpeningCopies();
    display();
    return true;
}

void AssignmentForm::lookUpPerson() {
    if (m_target == Target::Group) {
        lookUpGroup();
        return;
    }
    const std::string typed = store::clipText(m_general->personEdit->text().trimmed().toStdString(),
                                              Assignment::Width::PERSON);
    if (typed == store::clipText(m_current.PERSON, Assignment::Width::PERSON)) return;
    if (typed.empty()) {
        m_current.PERSON.clear();
        m_current.PERSONNUMBER = 0;
        return;
    }
    // A typed name reaches only the people the picking list would offer.
    const TypedPerson found =
        lookUpTypedPerson(*m_workspace.db, PeopleList::Assignable, m_workspace.session, typed);
    switch (found.kind) {
        case TypedPerson::Found:
            m_current.PERSON = found.person.SHORTNAME;
            m_current.PERSONNUMBER = found.person.PERSONNUMBER;
            m_general->personEdit->setText(qs(found.person.SHORTNAME));
            break;
        case TypedPerson::Ambiguous:
            pickPerson(typed);
            break;
        case TypedPerson::NotListed:
            MessageBox::showText(this, QStringLiteral("%1"), windowTitle(), MessageButtons::Ok,
                                 {qs(notAssignableText())}, MessageBox::Icon::Warning);
            m_general->personEdit->setText(qs(m_current.PERSON));
            m_general->personEdit->setFocus();
            m_general->personEdit->selectAll();
            break;
        case TypedPerson::Failed:
            MessageBox::showStandard(this, 35, qs(m_workspace.db->lastError().describe()),
                                     QStringLiteral("PEOPLE"), {}, kReadErrorStays);
            m_general->personEdit->setText(qs(m_current.PERSON));
            break;
    }
    updateButtons();
}

void AssignmentForm::pickPerson(const std::string& startAt) {
    if (m_target == Target::Group) {
        pickGroup();
        return;
    }
    if (const auto person = selectAssignablePerson(this, m_workspace, startAt)) {
        m_current.PERSON = person->SHORTNAME;
        m_current.PERSONNUMBER = person->PERSONNUMBER;
        m_general->personEdit->setText(qs(person->SHORTNAME));
    } else {
        m_general->personEdit->setText(qs(m_current.PERSON));
    }
    updateButtons();
}

void AssignmentForm::setGroup(const GroupName& group) {
    m_group = group;
    m_general->personEdit->setText(qs(group.GROUPNAME));
    updateButtons();
}

void AssignmentForm::lookUpGroup() {
    const std::string typed =
        store::clipText(m_general->personEdit->text().trimmed().toStdString(), kGroupNameWidth);
    if (m_group && typed == store::clipText(m_group->GROUPNAME, kGroupNameWidth)) return;
    if (typed.empty()) {
        m_group.reset();
        updateButtons();
        return;
    }
    std::optional<GroupName> found;
    if (!findGroupByName(*m_workspace.db, m_workspace.session, typed, found).ok()) {
        MessageBox::showStandard(this, 35, qs(m_workspace.db->lastError().describe()),
                                 QStringLiteral("GROUPNAME"), {}, kReadErrorStays);
        return;
    }
    if (found)
        setGroup(*found);
    else
        pickGroup();
}

void AssignmentForm::pickGroup() {
    if (const auto group = selectGroupList(this, m_workspace))
        setGroup(*group);
    else
        m_general->personEdit->setText(m_group ? qs(m_group->GROUPNAME) : QString());
    updateButtons();
}

bool AssignmentForm::saveForGroup(Assignment& next) {
    if (!m_group) {
        pickGroup();
        if (!m_group) return false;
    }
    applyInsertOnOk(next, m_workspace.session, Clock::today(), Clock::now());
    std::vector<Assignment> created;
    const Outcome out =
        giveGroupAssignment(*m_workspace.db, m_workspace.session, next, *m_group, &created);
    if (!out.ok()) {
        // Nothing was written: the form stays open with everything entered,
        // so that the user may pick another group or try again.
        showOutcome(this, out, windowTitle());
        m_tabs->setCurrentWidget(m_general);
        m_general->personEdit->setFocus();
        return false;
    }
    m_current = next;
    m_groupRecords = std::move(created);
    m_provisional.keep();
    m_storedSomething = true;
    // Members who were skipped are named, with the reason.
    if (out.message) showOutcome(this, out, windowTitle());
    return true;
}

void AssignmentForm::openRepeatDialog() {
    Assignment rule = m_current;
    RepeatAssignmentDialog dialog(rule, this);
    execTranslated(&dialog);
    // "Stop Repeating" acts at once, whatever the dialog's answer.
    m_current.CLOSEDATE = rule.CLOSEDATE;
    if (dialog.result() == QDialog::Accepted) {
        for (auto member :
             {&Assignment::REPEATTYPE, &Assignment::WEEKINMONTH, &Assignment::WEEKDAY})
            m_current.*member = rule.*member;
        m_current.REPNUMBER = rule.REPNUMBER;
        m_current.SETDAYREPT = rule.SETDAYREPT;
        m_current.DAYNO = rule.DAYNO;
    }
    updateRepeatLine();
    m_general->concludedPrompt->setVisible(m_current.CLOSEDATE != 0 && m_target == Target::Person);
    m_general->concludedLabel->setVisible(m_current.CLOSEDATE != 0 && m_target == Target::Person);
    m_general->concludedLabel->setText(longDate(m_current.CLOSEDATE));
}

void AssignmentForm::duplicate() {
    if (m_request != Request::Insert) return;
    Assignment first = m_current;
    if (!collect(first, true) || !assigneeAccepted(first)) return;
    Assignment copy;
    const Outcome out = duplicateAssignment(*m_workspace.db, first, copy, m_workspace.session,
                                            Clock::today(), Clock::now());
    showOutcome(this, out, windowTitle());
    if (out.kind == Outcome::ChangedElsewhere) {
        m_current = first;
        takeOpeningCopies();
        display();
        return;
    }
    if (!out.ok()) return;
    m_storedSomething = true;
    m_current = copy;
    m_provisional.adopt();
    takeOpeningCopies();
    display();
    m_tabs->setCurrentWidget(m_general);
    m_general->personEdit->setFocus();
}

void AssignmentForm::conclude() {
    if (!storePending()) return;
    Assignment after;
    const Outcome out =
        ConcludeAssignment(*m_workspace.db, m_workspace.session, m_current.ASSIGNNUMBER,
                           Clock::today(), &m_current, &after);
    // A refusal says nothing; a note that another station concluded it first
    // shows under the form's title.
    showOutcome(this, out, windowTitle());
    if (!out.ok()) return;
    m_storedSomething = true;
    m_current = after;
    takeOpeningCopies();
    display();
}

void AssignmentForm::print() {
    Assignment now = m_current;
    if (!collect(now, true)) return;
    // Only the owner is asked; the report itself checks again who may read
    // the confidential comments.
    bool confidential = false;
    if (isOwner(m_current, m_workspace.session))
        confidential = MessageBox::showText(this, QStringLiteral("Include Confidential Comments?"),
                                            windowTitle(), MessageButtons::YesNo, {},
                                            MessageBox::Icon::Question) == Answer::Yes;
    if (m_workspace.services.printAssignment)
        m_workspace.services.printAssignment(this, m_workspace, now, confidential);
}

QString AssignmentForm::writeTextFile(const QString& path) {
    Assignment now = m_current;
    collect(now, false);
    const RepeatLine line = RepeatDescription(now);
    QString description;
    if (line.kind == RepeatLine::Text)
        description = qs(line.text);
    else if (line.kind == RepeatLine::Unchanged)
        description = m_general->repeatLabel->text();
    QString project;
    std::vector<ProjAssign> links;
    if (const store::Row* row = m_projectsPage->projectList->selectedRow()) {
        ProjAssign link;
        link.fromRow(*row);
        project = qs(link.NAME);
    } else if (visibleProjectLinks(*m_workspace.db, projectViewer(m_workspace.session),
                                   now.ASSIGNNUMBER, links)
                   .ok() &&
               !links.empty()) {
        project = qs(links.front().NAME);
    }
    return writeTextLines(path, assignmentTextLines(now, description, project));
}

void AssignmentForm::textFile() {
    saveAssignmentTextFile(this, [this](const QString& path) { return writeTextFile(path); });
}

void AssignmentForm::openReminder(Request request) {
    Reminder reminder;
    if (request != Request::Insert) {
        const store::Row* row = m_remindersPage->reminderList->selectedRow();
        if (!row) return;
        reminder.fromRow(*row);
    }
    Assignment owner = m_current;
    collect(owner, false);
    ReminderForm form(m_workspace, request, reminder, owner, this);
    if (form.start()) execTranslated(&form);
    reminder = form.reminder();
    if (form.completed()) {
        if (request == Request::Insert || request == Request::Change) {
            store::Row at = reminder.toRow();
            m_remindersPage->reminderList->reloadAt(at);
        } else {
            m_remindersPage->reminderList->reload();
        }
    }
    updateTabColours();
}

void AssignmentForm::addToProject() {
    const std::optional<Project> project = selectProject(this, m_workspace);
    if (!project) return;
    ProjAssign link;
    const Outcome out = linkAssignment(*m_workspace.db, m_workspace.session, *project,
                                       m_current.ASSIGNNUMBER, link);
    // A link that exists already is only shown.
    if (out.ok() || alreadyLinked(out))
        m_projectsPage->projectList->reloadAt(link.toRow());
    else
        showOutcome(this, out, windowTitle());
    updateTabColours();
}

void AssignmentForm::deleteFromProject() {
    const store::Row* row = m_projectsPage->projectList->selectedRow();
    if (!row) return;
    ProjAssign link;
    link.fromRow(*row);
    const QString question = translated("Delete Assignment From") + QLatin1Char(' ') +
                             qs(store::rtrim(link.NAME)) + QLatin1Char('?');
    if (MessageBox::showText(this, QStringLiteral("%1"), windowTitle(), MessageButtons::YesNo,
                             {question}, MessageBox::Icon::Question) != Answer::Yes)
        return;
    // The same rule as the project's own "Remove".
    const Outcome out =
        removeFromProject(*m_workspace.db, m_workspace.session, link.PROJNUMBER, link.ASSIGNNUMBER);
    showOutcome(this, out, windowTitle());
    m_projectsPage->projectList->reload();
    updateTabColours();
}

void AssignmentForm::navigate(Navigation where) {
    // The group form is opened from the menu, not from a list to move along.
    if (m_target == Target::Group) return;
    m_navigation = where;
    if (m_scaffold->closeRequested())
        QDialog::reject();
    else if (result() != QDialog::Accepted && isVisible())
        m_navigation = Navigation::None;
}

void AssignmentForm::reject() {
    if (m_scaffold->closeRequested()) QDialog::reject();
}

void AssignmentForm::done(int result) {
    // A record added for an insert that was never confirmed goes again,
    // with whatever reminders or links were given to it meanwhile.
    if (result == QDialog::Rejected)
        showOutcome(this, m_provisional.cancel(*m_workspace.db, m_current));
    QDialog::done(result);
}

}  // namespace tko
