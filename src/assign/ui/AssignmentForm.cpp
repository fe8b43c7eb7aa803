#include "assign/ui/AssignmentForm.h"

#include <QCheckBox>
#include <QDir>
#include <QFile>
#include <QFileDialog>
#include <QFormLayout>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QShortcut>
#include <QSpinBox>
#include <QTabBar>
#include <QTabWidget>
#include <QTemporaryFile>
#include <QVBoxLayout>

#include "assign/AssignmentRules.h"
#include "assign/Conclude.h"
#include "assign/GroupAssignment.h"
#include "assign/Repetition.h"
#include "assign/ui/AssignmentScreens.h"
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
#include "platform/UserFile.h"
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

QString qs(const std::string& text) {
    return QString::fromStdString(text);
}
QString translated(const char* text) {
    return qs(translateText(text));
}
QString longDate(Date date) {
    return formatDate(date, u"@D18b");
}

// Memos keep line ends as carriage returns followed by line feeds.
QString memoToText(const std::string& memo) {
    QString text = qs(memo);
    text.replace(QStringLiteral("\r\n"), QStringLiteral("\n"))
        .replace(QLatin1Char('\r'), QLatin1Char('\n'));
    return text;
}
std::string textToMemo(const QString& text) {
    QString memo = text;
    memo.replace(QLatin1Char('\n'), QStringLiteral("\r\n"));
    return memo.toStdString();
}

QPushButton* makeButton(QWidget* parent, const char* name, const char* text,
                        const char* tip = nullptr) {
    auto* b = new QPushButton(QLatin1String(text), parent);
    b->setObjectName(QLatin1String(name));
    if (tip) b->setToolTip(QLatin1String(tip));
    return b;
}

QLabel* makeLabel(QWidget* parent, const char* name, const char* text = nullptr) {
    auto* l = new QLabel(text ? QLatin1String(text) : QString(), parent);
    l->setObjectName(QLatin1String(name));
    return l;
}

// The fields as the form shows them, for comparing and merging versions;
// the confidential comments only for a user who sees their tab.
std::vector<FieldView> assignmentFieldViews(bool confidential) {
    std::vector<FieldView> views = {
        {"NAME", "Assignment:", "", ""},
        {"PERSON", "Person Assigned:", "", ""},
        {"PERSONNUMBER", "", "", "PERSON"},
        {"PRIORITY", "Priority:", "@n1", ""},
        {"SECONDARY", "Secondary", kCheckPicture, ""},
        {"DUEDATE", "Due Date:", "@D18b", ""},
        {"REPEATTYPE", "Repeating", "", ""},
        {"REPNUMBER", "", "@n3b", "REPEATTYPE"},
        {"WEEKINMONTH", "", "@s4", "REPEATTYPE"},
        {"WEEKDAY", "", "@s9", "REPEATTYPE"},
        {"DAYNO", "", "@n2b", "REPEATTYPE"},
        {"SETDAYREPT", "", "", "REPEATTYPE"},
        {"ASSIGNEECONCLUDE", "Assignee can conclude", kCheckPicture, ""},
        {"ASSIGNEDDATE", "Assigned:", "@D18b", ""},
        {"USERNAME", "By:", "", ""},
        {"CLOSEDATE", "Concluded:", "@D18b", ""},
        {"PREVDUE", "Previous Due:", "@D18b", ""},
        {"GENERALMEMO", "Comments", "", ""},
        {"LOG", "Log", "", ""},
        {"ASSIGNMEMO", "Assignee", "", ""},
    };
    if (confidential) views.push_back({"CONFMEMO", "Confidential", "", ""});
    return views;
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
    m_generalPage = buildGeneralTab();
    m_tabs->addTab(m_generalPage, QStringLiteral("General"));
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
    m_projectsPage = buildProjectsTab();
    m_tabs->addTab(m_projectsPage, QStringLiteral("Projects"));
    m_remindersPage = buildRemindersTab();
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

    for (QLineEdit* edit : {m_name, m_person, m_dueDate})
        connect(edit, &QLineEdit::textChanged, this, &AssignmentForm::updateButtons);
    connect(m_priority, &QSpinBox::valueChanged, this, &AssignmentForm::updateButtons);
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
    m_personPrompt->setText(QStringLiteral("G&roup:"));
    m_person->setObjectName(QStringLiteral("groupEdit"));
    m_person->setMaxLength(kGroupNameWidth);
    m_person->setToolTip(QStringLiteral("Group receiving assignment"));
    m_personButton->setToolTip(QStringLiteral("Look up group"));
    m_assigneeConclude->setText(QStringLiteral("Assi&gnees can conclude"));
    // The records to be are not yet anybody's: no assignee notes, and nothing
    // to print, write out, conclude or duplicate before they exist.
    m_tabs->removeTab(m_tabs->indexOf(page(QStringLiteral("assigneePage"))));
    for (QLabel* label : {m_concludedPrompt, m_concluded, m_prevDuePrompt, m_prevDue})
        label->setVisible(false);
    for (const char* name : {"duplicateButton", "printButton", "textFileButton", "concludeButton"})
        button(QLatin1String(name))->setVisible(false);
    m_projects->setColumns({{QStringLiteral("Projects Assignment is Part Of"),
                             QStringLiteral("NAME"), QStringLiteral("@s30"), 140},
                            {QStringLiteral("Number"), QStringLiteral("ASSIGNNUMBER"),
                             QStringLiteral("@n_13"), 60, ColumnAlign::Right}});
    m_reminders->setColumns(
        {{QStringLiteral("Date"), QStringLiteral("DATE"), QStringLiteral("@D18"), 90},
         {QStringLiteral("Note"), QStringLiteral("NOTE"), QStringLiteral("@s50"), 200},
         {QStringLiteral("Assign Number"), QStringLiteral("ASSIGNNUMBER"), QStringLiteral("@n_13"),
          60, ColumnAlign::Right}});
}

QWidget* AssignmentForm::buildGeneralTab() {
    auto* page = new QWidget(this);
    page->setObjectName(QStringLiteral("generalPage"));
    m_name = new QLineEdit(page);
    m_name->setObjectName(QStringLiteral("nameEdit"));
    m_name->setMaxLength(Assignment::Width::NAME);
    m_name->setToolTip(QStringLiteral("Label/name for assignment"));
    m_person = new QLineEdit(page);
    m_person->setObjectName(QStringLiteral("personEdit"));
    m_person->setMaxLength(Assignment::Width::PERSON);
    m_person->setToolTip(QStringLiteral("Person assigned"));
    m_personButton = makeButton(page, "personButton", "...", "Select person from list");
    m_personButton->setMaximumWidth(32);
    m_priority = new QSpinBox(page);
    m_priority->setObjectName(QStringLiteral("prioritySpin"));
    m_priority->setRange(0, 255);  // refused outside 1..9 with the range message
    m_priority->setToolTip(QStringLiteral("Importance of assignment"));
    m_secondary = new QCheckBox(QStringLiteral("&Secondary"), page);
    m_secondary->setObjectName(QStringLiteral("secondaryCheck"));
    m_secondary->setToolTip(QStringLiteral("Secondary assignment"));
    m_dueDate = new QLineEdit(page);
    m_dueDate->setObjectName(QStringLiteral("dueDateEdit"));
    m_dueDate->setProperty("picture", QStringLiteral("@D18b"));
    m_dueDate->setToolTip(QStringLiteral("Date the assignment is due"));
    m_cal = makeButton(page, "calButton", "Ca&l");
    m_repeat = makeButton(page, "repeatButton", "Repeat&ing", "Make assignment repeat regularly");
    m_assigneeConclude = new QCheckBox(QStringLiteral("Assi&gnee can conclude"), page);
    m_assigneeConclude->setObjectName(QStringLiteral("assigneeConcludeCheck"));
    m_repeatLine = makeLabel(page, "repeatLabel");
    m_repeatLine->setStyleSheet(QStringLiteral("color: #1f4e79;"));
    m_assignedPrompt = makeLabel(page, "assignedPrompt", "Assigned:");
    m_assigned = makeLabel(page, "assignedLabel");
    m_byPrompt = makeLabel(page, "byPrompt", "By:");
    m_by = makeLabel(page, "byLabel");
    m_concludedPrompt = makeLabel(page, "concludedPrompt", "Concluded:");
    m_concluded = makeLabel(page, "concludedLabel");
    m_prevDuePrompt = makeLabel(page, "prevDuePrompt", "Previous Due:");
    m_prevDue = makeLabel(page, "prevDueLabel");

    auto* personRow = new QHBoxLayout;
    personRow->addWidget(m_person);
    personRow->addWidget(m_personButton);
    personRow->addStretch(1);
    auto* priorityRow = new QHBoxLayout;
    priorityRow->addWidget(m_priority);
    priorityRow->addSpacing(16);
    priorityRow->addWidget(m_secondary);
    priorityRow->addStretch(1);
    auto* dueRow = new QHBoxLayout;
    dueRow->addWidget(m_dueDate, 1);
    dueRow->addWidget(m_cal);
    dueRow->addWidget(m_repeat);
    auto* form = new QFormLayout;
    form->addRow(QStringLiteral("&Assignment:"), m_name);
    m_personPrompt = makeLabel(page, "personPrompt", "P&erson Assigned:");
    m_personPrompt->setBuddy(m_person);
    form->addRow(m_personPrompt, personRow);
    form->addRow(QStringLiteral("Priorit&y:"), priorityRow);
    static_cast<QLabel*>(form->labelForField(priorityRow))->setBuddy(m_priority);
    form->addRow(QStringLiteral("D&ue Date:"), dueRow);
    static_cast<QLabel*>(form->labelForField(dueRow))->setBuddy(m_dueDate);
    form->addRow(QString(), m_repeatLine);
    form->addRow(QString(), m_assigneeConclude);
    auto* dates = new QGridLayout;
    dates->addWidget(m_assignedPrompt, 0, 0);
    dates->addWidget(m_assigned, 0, 1);
    dates->addWidget(m_byPrompt, 0, 2);
    dates->addWidget(m_by, 0, 3);
    dates->addWidget(m_concludedPrompt, 1, 0);
    dates->addWidget(m_concluded, 1, 1);
    dates->addWidget(m_prevDuePrompt, 2, 0);
    dates->addWidget(m_prevDue, 2, 1);
    dates->setColumnStretch(1, 1);
    dates->setColumnStretch(3, 1);
    auto* layout = new QVBoxLayout(page);
    layout->addLayout(form);
    layout->addSpacing(8);
    layout->addLayout(dates);
    layout->addStretch(1);

    connect(m_personButton, &QPushButton::clicked, this, [this] { pickPerson(); });
    connect(m_person, &QLineEdit::editingFinished, this, &AssignmentForm::lookUpPerson);
    connect(m_priority, &QSpinBox::editingFinished, this, [this] {
        if (const auto message = checkAssignmentPriority(m_priority->value())) {
            MessageBox::show(this, *message);
            m_priority->setFocus();
            m_priority->selectAll();
        }
    });
    connect(m_cal, &QPushButton::clicked, this, [this] {
        Assignment now = m_current;
        collect(now, false);
        if (const auto date = CalendarPopup::pick(this, now.DUEDATE))
            m_dueDate->setText(longDate(*date));
    });
    connect(m_repeat, &QPushButton::clicked, this, &AssignmentForm::openRepeatDialog);
    connect(m_dueDate, &QLineEdit::editingFinished, this, &AssignmentForm::checkDueDate);
    return page;
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

QWidget* AssignmentForm::buildProjectsTab() {
    auto* page = new QWidget(this);
    page->setObjectName(QStringLiteral("projectsPage"));
    m_projects = new BrowseList(m_workspace.db->engine(), ProjAssign::def(), page);
    m_projects->setObjectName(QStringLiteral("projectList"));
    m_projects->setColumns(
        {{QStringLiteral("Project Name"), QStringLiteral("NAME"), QStringLiteral("@s30"), 140},
         {QStringLiteral("Assign Number"), QStringLiteral("ASSIGNNUMBER"), QStringLiteral("@n_13"),
          60, ColumnAlign::Right}});
    m_projects->setKey(QLatin1String(key::PRA_ASSIGNMENT_KEY));
    m_addProject = makeButton(page, "addProjectButton", "Add to a Project");
    m_deleteProject = makeButton(page, "deleteProjectButton", "Delete from Project");
    auto* buttons = new QHBoxLayout;
    buttons->addStretch(1);
    buttons->addWidget(m_addProject);
    buttons->addWidget(m_deleteProject);
    auto* layout = new QVBoxLayout(page);
    layout->addWidget(m_projects, 1);
    layout->addLayout(buttons);
    connect(m_addProject, &QPushButton::clicked, this, &AssignmentForm::addToProject);
    connect(m_deleteProject, &QPushButton::clicked, this, &AssignmentForm::deleteFromProject);
    return page;
}

QWidget* AssignmentForm::buildRemindersTab() {
    auto* page = new QWidget(this);
    page->setObjectName(QStringLiteral("remindersPage"));
    m_reminders = new BrowseList(m_workspace.db->engine(), Reminder::def(), page);
    m_reminders->setObjectName(QStringLiteral("reminderList"));
    m_reminders->setColumns(
        {{QStringLiteral("Date"), QStringLiteral("DATE"), QStringLiteral("@D17"), 60},
         {QStringLiteral("Note"), QStringLiteral("NOTE"), QStringLiteral("@s50"), 200},
         {QStringLiteral("Assign Number"), QStringLiteral("ASSIGNNUMBER"), QStringLiteral("@n_13"),
          60, ColumnAlign::Right}});
    m_reminders->setKey(QLatin1String(key::REM_ASSIGNNUMBER_KEY));
    auto* insert = makeButton(page, "insertReminderButton", "Insert");
    auto* change = makeButton(page, "changeReminderButton", "Change");
    auto* remove = makeButton(page, "deleteReminderButton", "Delete");
    auto* buttons = new QHBoxLayout;
    buttons->addStretch(1);
    for (QPushButton* b : {insert, change, remove}) buttons->addWidget(b);
    auto* layout = new QVBoxLayout(page);
    layout->addWidget(m_reminders, 1);
    layout->addLayout(buttons);
    connect(insert, &QPushButton::clicked, this, [this] { openReminder(Request::Insert); });
    connect(change, &QPushButton::clicked, this, [this] { openReminder(Request::Change); });
    connect(remove, &QPushButton::clicked, this, [this] { openReminder(Request::Delete); });
    connect(m_reminders, &BrowseList::insertRequested, this,
            [this] { openReminder(Request::Insert); });
    connect(m_reminders, &BrowseList::changeRequested, this,
            [this] { openReminder(Request::Change); });
    connect(m_reminders, &BrowseList::deleteRequested, this,
            [this] { openReminder(Request::Delete); });
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
        for (;;) {
            const Status s = addNewAssignment(db, m_current);
            if (s.ok()) break;
            if (s.code != store::kDuplicateKey) {
                MessageBox::showStandard(this, 35, qs(db.lastError().describe()),
                                         QStringLiteral("ASSIGNMENT"));
                return false;
            }
            if (MessageBox::show(this, numberingRetryQuestion(db.lastError().describe())) !=
                Answer::Yes)
                return false;
        }
        m_addedAtOnce = true;
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
    if (m_generalPage->isEnabled()) {
        m_tabs->setCurrentWidget(m_generalPage);
        m_name->setFocus();
    }
    return true;
}

void AssignmentForm::takeOpeningCopies() {
    m_opened = m_current;
}

void AssignmentForm::display() {
    const Assignment& a = m_current;
    m_name->setText(qs(a.NAME));
    m_person->setText(m_target == Target::Group ? (m_group ? qs(m_group->GROUPNAME) : QString())
                                                : qs(a.PERSON));
    m_priority->setValue(a.PRIORITY);
    m_secondary->setChecked(a.SECONDARY != 0);
    m_assigneeConclude->setChecked(a.ASSIGNEECONCLUDE != 0);
    m_dueDate->setText(longDate(a.DUEDATE));
    m_generalMemo->setPlainText(memoToText(a.GENERALMEMO));
    m_log->setPlainText(activityLogText(a.LOG));
    m_assignMemo->setPlainText(memoToText(a.ASSIGNMEMO));
    m_confMemo->setPlainText(memoToText(a.CONFMEMO));
    m_assigned->setText(longDate(a.ASSIGNEDDATE));
    m_by->setText(qs(a.USERNAME));
    m_concludedPrompt->setVisible(a.CLOSEDATE != 0);
    m_concluded->setVisible(a.CLOSEDATE != 0);
    m_concluded->setText(longDate(a.CLOSEDATE));
    m_prevDuePrompt->setVisible(a.PREVDUE != 0 && m_target == Target::Person);
    m_prevDue->setVisible(a.PREVDUE != 0 && m_target == Target::Person);
    m_prevDue->setText(longDate(a.PREVDUE));
    if (m_target == Target::Group) {
        m_concludedPrompt->setVisible(false);
        m_concluded->setVisible(false);
    }
    updateRepeatLine();
    const std::vector<store::Value> range{std::int64_t{a.ASSIGNNUMBER}};
    // Only the projects the user may see are named.
    m_projects->setFilter(assignmentProjectsFilter(a.ASSIGNNUMBER, m_workspace.session));
    m_projects->setRange(range);
    m_projects->reload();
    m_reminders->setRange(range);
    m_reminders->reload();
    updateTabColours();
    updateButtons();
}

void AssignmentForm::updateRepeatLine() {
    const RepeatLine line = RepeatDescription(m_current);
    switch (line.kind) {
        case RepeatLine::Hidden:
            m_repeatLine->hide();
            break;
        case RepeatLine::Text:
            m_repeatLine->setText(qs(line.text));
            m_repeatLine->show();
            break;
        case RepeatLine::Unchanged:
            m_repeatLine->show();
            break;
    }
}

void AssignmentForm::applyRights() {
    const EditRights r =
        editRights(m_current, m_workspace.session, m_request, m_confidentialSetting);
    m_generalPage->setEnabled(r.general);
    m_generalMemo->setReadOnly(!r.generalMemo);
    m_assignMemo->setReadOnly(!r.assignMemo);
    m_addProject->setEnabled(r.projects);
    m_deleteProject->setEnabled(r.projects);
    m_tabs->setTabEnabled(m_tabs->indexOf(m_remindersPage), r.reminders);
    m_tabs->setTabVisible(m_tabs->indexOf(m_confPage), r.confidential);
    colourTabs();
    updateButtons();
}

void AssignmentForm::checkDueDate() {
    const DateEntry entry = checkDateEntry(m_dueDate->text(), u"@D18b", u"Due Date");
    if (!entry.ok()) {
        MessageBox::showText(this, QStringLiteral("%1"), windowTitle(), MessageButtons::Ok,
                             {entry.error}, MessageBox::Icon::Warning);
        m_tabs->setCurrentWidget(m_generalPage);
        m_dueDate->setFocus();
        m_dueDate->selectAll();
        return;
    }
    if (m_dueDate->text() != entry.shown) m_dueDate->setText(entry.shown);
}

void AssignmentForm::updateButtons() {
    const EditRights r =
        editRights(m_current, m_workspace.session, m_request, m_confidentialSetting);
    Assignment now = m_current;
    collect(now, false);
    // A due date that is no date counts as missing until it is mended.
    const bool dateRead = checkDateEntry(m_dueDate->text(), u"@D18b", u"Due Date").ok();
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
    out.NAME = store::clipText(m_name->text().toStdString(), Assignment::Width::NAME);
    if (const auto refusal = checkLineText("Assignment", out.NAME))
        return refuse(m_name, m_generalPage, qs(*refusal));
    if (m_target == Target::Person) {
        out.PERSON = store::clipText(m_person->text().toStdString(), Assignment::Width::PERSON);
        if (out.PERSON != store::clipText(m_current.PERSON, Assignment::Width::PERSON))
            out.PERSONNUMBER = 0;
    }
    if (const auto message = checkAssignmentPriority(m_priority->value()); message && report) {
        MessageBox::show(this, *message);
        m_tabs->setCurrentWidget(m_generalPage);
        m_priority->setFocus();
        m_priority->selectAll();
        return false;
    }
    out.PRIORITY = static_cast<std::uint8_t>(m_priority->value());
    out.SECONDARY = m_secondary->isChecked() ? 1 : 0;
    out.ASSIGNEECONCLUDE = m_assigneeConclude->isChecked() ? 1 : 0;
    const Parsed<Date> due = parseDate(m_dueDate->text().trimmed(), u"@D18", u"Due Date");
    if (!due.ok()) return refuse(m_dueDate, m_generalPage, due.error);
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
    const Outcome out = storeAssignment(*m_workspace.db, next, m_opened);
    showOutcome(this, out);
    if (out.kind == Outcome::ChangedElsewhere) {
        m_current = next;
        takeOpeningCopies();
        display();
        return false;
    }
    if (!out.ok()) return false;
    m_current = next;
    m_addedAtOnce = false;
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
            m_tabs->setCurrentWidget(m_generalPage);
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
    m_tabs->setCurrentWidget(m_generalPage);
    m_person->setFocus();
    m_person->selectAll();
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
    const std::string typed =
        store::clipText(m_person->text().trimmed().toStdString(), Assignment::Width::PERSON);
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
            m_person->setText(qs(found.person.SHORTNAME));
            break;
        case TypedPerson::Ambiguous:
            pickPerson(typed);
            break;
        case TypedPerson::NotListed:
            MessageBox::showText(this, QStringLiteral("%1"), windowTitle(), MessageButtons::Ok,
                                 {qs(notAssignableText())}, MessageBox::Icon::Warning);
            m_person->setText(qs(m_current.PERSON));
            m_person->setFocus();
            m_person->selectAll();
            break;
        case TypedPerson::Failed:
            MessageBox::showStandard(this, 35, qs(m_workspace.db->lastError().describe()),
                                     QStringLiteral("PEOPLE"), {}, kReadErrorStays);
            m_person->setText(qs(m_current.PERSON));
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
        m_person->setText(qs(person->SHORTNAME));
    } else {
        m_person->setText(qs(m_current.PERSON));
    }
    updateButtons();
}

void AssignmentForm::setGroup(const GroupName& group) {
    m_group = group;
    m_person->setText(qs(group.GROUPNAME));
    updateButtons();
}

void AssignmentForm::lookUpGroup() {
    const std::string typed =
        store::clipText(m_person->text().trimmed().toStdString(), kGroupNameWidth);
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
        m_person->setText(m_group ? qs(m_group->GROUPNAME) : QString());
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
        m_tabs->setCurrentWidget(m_generalPage);
        m_person->setFocus();
        return false;
    }
    m_current = next;
    m_groupRecords = std::move(created);
    m_addedAtOnce = false;
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
    m_concludedPrompt->setVisible(m_current.CLOSEDATE != 0 && m_target == Target::Person);
    m_concluded->setVisible(m_current.CLOSEDATE != 0 && m_target == Target::Person);
    m_concluded->setText(longDate(m_current.CLOSEDATE));
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
    m_addedAtOnce = true;
    takeOpeningCopies();
    display();
    m_tabs->setCurrentWidget(m_generalPage);
    m_person->setFocus();
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
        description = m_repeatLine->text();
    QString project;
    std::vector<ProjAssign> links;
    if (const store::Row* row = m_projects->selectedRow()) {
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
    const QString home = QDir::currentPath();
    QTemporaryFile work(QDir::temp().filePath(QStringLiteral("tko-assignment-XXXXXX.txt")));
    if (!work.open()) {
        MessageBox::showStandard(this, 30, work.fileName(), work.errorString());
        return;
    }
    work.close();
    const QString error = writeTextFile(work.fileName());
    if (!error.isEmpty()) {
        MessageBox::showStandard(this, 30, work.fileName(), error);
        return;
    }
    const QString chosen =
        QFileDialog::getSaveFileName(this, translated("Save Assignment as Text File"), QString(),
                                     translated("Text") + QStringLiteral(" (*.txt)"));
    QDir::setCurrent(home);
    // The dialog confirmed the name as typed; with ".txt" added it may name
    // another file, which is replaced only when the user says so.
    const QString target = withDefaultExtension(chosen, QStringLiteral("txt"));
    if (target.isEmpty()) return;
    if (target != chosen && QFile::exists(target) &&
        MessageBox::showText(this, QStringLiteral("%1 already exists. Do you want to replace it?"),
                             QStringLiteral("Save Assignment as Text File"), MessageButtons::YesNo,
                             {target}, MessageBox::Icon::Question) != Answer::Yes)
        return;
    const QString failure = copyToUserFile(work.fileName(), target);
    if (!failure.isEmpty()) MessageBox::showStandard(this, 30, target, failure);
}

void AssignmentForm::openReminder(Request request) {
    Reminder reminder;
    if (request != Request::Insert) {
        const store::Row* row = m_reminders->selectedRow();
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
            m_reminders->reloadAt(at);
        } else {
            m_reminders->reload();
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
        m_projects->reloadAt(link.toRow());
    else
        showOutcome(this, out, windowTitle());
    updateTabColours();
}

void AssignmentForm::deleteFromProject() {
    const store::Row* row = m_projects->selectedRow();
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
    m_projects->reload();
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
    if (result == QDialog::Rejected && m_addedAtOnce) {
        // A record added for an insert that was never confirmed goes again,
        // with whatever reminders or links were given to it meanwhile.
        const Outcome out = deleteRecord(*m_workspace.db, m_current);
        showOutcome(this, out);
        m_addedAtOnce = false;
    }
    QDialog::done(result);
}

}  // namespace tko
