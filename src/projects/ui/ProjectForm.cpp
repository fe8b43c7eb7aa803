#include "projects/ui/ProjectForm.h"

#include <QButtonGroup>
#include <QCheckBox>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QTabBar>
#include <QVBoxLayout>

#include "data/FieldWidth.h"
#include "data/Messages.h"
#include "data/Tables.h"
#include "platform/Date.h"
#include "platform/QtText.h"
#include "platform/ui/BrowseList.h"
#include "platform/ui/FormScaffold.h"
#include "platform/ui/HelpBrowser.h"
#include "platform/ui/MessageBox.h"
#include "platform/ui/WindowTranslation.h"
#include "projects/ui/ProjectNotesDialog.h"

namespace tko {
namespace {

QPushButton* makeButton(QWidget* parent, QLayout* layout, const char* name, const char* text,
                        const char* tip = nullptr) {
    auto* b = new QPushButton(QLatin1String(text), parent);
    b->setObjectName(QLatin1String(name));
    b->setAutoDefault(false);
    if (tip) b->setToolTip(QLatin1String(tip));
    layout->addWidget(b);
    return b;
}

// A source text in a box under the window's title.
void say(QWidget* parent, const std::string& text, const QString& title) {
    MessageBox::showText(parent, QStringLiteral("%1"), title, MessageButtons::Ok,
                         {qs(translateText(text))}, MessageBox::Icon::Warning);
}

}  // namespace

ProjectForm::ProjectForm(Workspace& workspace, Request request, const Project& project,
                         ProjectActions actions, QWidget* parent)
    : QDialog(parent),
      m_workspace(workspace),
      m_request(request),
      m_actions(std::move(actions)),
      m_current(project),
      m_opened(project) {
    setObjectName(QStringLiteral("ProjectForm"));
    setWindowTitle(QStringLiteral("Browse Project Information"));
    setWhatsThis(QStringLiteral("~Browse_Project_Information"));
    setSizeGripEnabled(true);
    m_scaffold = new FormScaffold(this, request, this);
    // Inserts are confirmed with OK only; the status word says what OK does.
    m_scaffold->isChanged = [this] { return !collected().sameValues(m_opened); };
    m_scaffold->save = [this] { return save(); };
    m_scaffold->watchRecord(m_workspace.db->engine(), Project::def(),
                            [this] { return collected().toRow(); });
    m_scaffold->keepEdits([this] { return m_opened.toRow(); },
                          [this](const store::Row& stored, const store::Row& shown) {
                              m_opened.fromRow(stored);
                              m_current.fromRow(shown);
                              display();
                              applyRights();
                          },
                          [] {
                              return std::vector<FieldView>{{"NAME", "Project:", "", ""},
                                                            {"TYPE", "Type", "", ""},
                                                            {"NOTE", "Notes", "", ""}};
                          });
    build();
}

void ProjectForm::build() {
    m_name = new QLineEdit(this);
    m_name->setObjectName(QStringLiteral("nameEdit"));
    m_name->setToolTip(QStringLiteral("Project name"));
    m_name->setProperty("picture", QStringLiteral("@s30"));
    // No length cut: a longer name (typed or pasted) is shown whole, marked,
    // and refused on OK.
    m_nameNote = new QLabel(this);
    m_nameNote->setObjectName(QStringLiteral("nameNote"));
    m_nameNote->setStyleSheet(QStringLiteral("color: #b00000"));
    m_nameNote->hide();

    auto* typeBox = new QGroupBox(QStringLiteral("Type"), this);
    typeBox->setObjectName(QStringLiteral("typeGroup"));
    auto* typeLayout = new QHBoxLayout(typeBox);
    m_type = new QButtonGroup(this);
    static const char* const names[] = {"openRadio", "limitedRadio", "privateRadio"};
    for (size_t i = 0; i < kProjectTypes.size(); ++i) {
        auto* radio = new QRadioButton(QLatin1String(kProjectTypes[i]), typeBox);
        radio->setObjectName(QLatin1String(names[i]));
        m_type->addButton(radio, static_cast<int>(i));
        typeLayout->addWidget(radio);
    }
    m_users = new QPushButton(QStringLiteral("Users"), typeBox);
    m_users->setObjectName(QStringLiteral("usersButton"));
    m_users->setToolTip(QStringLiteral("Add or change users for limited project"));
    m_users->setAutoDefault(false);
    typeLayout->addWidget(m_users);

    m_secondary = new QCheckBox(QStringLiteral("Include secondary"), this);
    m_secondary->setObjectName(QStringLiteral("includeSecondaryCheck"));
    m_openOnly = new QCheckBox(QStringLiteral("Open assignments only"), this);
    m_openOnly->setObjectName(QStringLiteral("openOnlyCheck"));
    m_openOnly->setToolTip(QStringLiteral("Do  not include assignments that are concluded"));

    m_list = new BrowseList(m_workspace.db->engine(), Assignment::def(), this);
    m_list->setObjectName(QStringLiteral("projectAssignmentList"));
    m_list->setColumns({
        {QStringLiteral("Assignment"), QStringLiteral("NAME"), QStringLiteral("@s50"), 129},
        {QStringLiteral("Person"), QStringLiteral("PERSON"), QStringLiteral("@s15"), 64},
        {QStringLiteral("Priority"), QStringLiteral("PRIORITY"), QStringLiteral("@n1"), 24,
         ColumnAlign::Center},
        {QStringLiteral("Due Date"), QStringLiteral("DUEDATE"), QStringLiteral("@D17b"), 52,
         ColumnAlign::Right},
        {QStringLiteral("Concluded:"), QStringLiteral("CLOSEDATE"), QStringLiteral("@D17b"), 52,
         ColumnAlign::Right},
        {QStringLiteral("Secondary"), QStringLiteral("SECONDARY"), QStringLiteral("@n3"), 12,
         ColumnAlign::Center},
        {QStringLiteral("Number"), QStringLiteral("ASSIGNNUMBER"), QStringLiteral("@n-13"), 44,
         ColumnAlign::Right},
    });
    std::vector<std::pair<QString, const store::KeyDef*>> tabs;
    for (const ProjectOrder& order : kProjectOrders)
        tabs.emplace_back(QLatin1String(order.caption), Assignment::def().key(order.keyLabel));
    m_list->setSortTabs(tabs);
    for (int i = 0; i < static_cast<int>(kProjectOrders.size()); ++i)
        m_list->sortTabs()->setTabToolTip(
            i, qs(translateText(kProjectOrders[static_cast<size_t>(i)].tip)));

    auto* actions = new QHBoxLayout;
    QPushButton* change = makeButton(this, actions, "changeButton", "Change/View",
                                     "Change or view details of assignment");
    QPushButton* insert =
        makeButton(this, actions, "insertButton", "Insert New", "Add new assignment to project");
    QPushButton* conclude =
        makeButton(this, actions, "concludeButton", "Conclude", "Conclude assignment");
    QPushButton* existing = makeButton(this, actions, "addExistingButton", "Add Exisitng",
                                       "Add an existing assignment to this project");
    QPushButton* remove = makeButton(this, actions, "removeButton", "Remove",
                                     "Remove the assignment from this project");
    QPushButton* notes = makeButton(this, actions, "notesButton", "Edit Notes",
                                    "View or edit notes for this project");
    actions->addStretch();

    auto* status = new QLabel(this);
    status->setObjectName(QStringLiteral("statusLabel"));
    m_scaffold->setStatusLabel(status);
    auto* closing = new QHBoxLayout;
    closing->addWidget(status, 1);
    QPushButton* ok = makeButton(this, closing, "okButton", "OK");
    ok->setDefault(true);
    QPushButton* cancel = makeButton(this, closing, "cancelButton", "Cancel");
    QPushButton* help = makeButton(this, closing, "helpButton", "Help");

    auto* top = new QHBoxLayout;
    auto* prompt = new QLabel(QStringLiteral("Project:"), this);
    prompt->setBuddy(m_name);
    top->addWidget(prompt);
    top->addWidget(m_name, 1);
    auto* checks = new QHBoxLayout;
    checks->addWidget(m_secondary);
    checks->addWidget(m_openOnly);
    checks->addStretch();
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(top);
    layout->addWidget(m_nameNote);
    layout->addWidget(typeBox);
    layout->addLayout(checks);
    layout->addWidget(m_list, 1);
    layout->addLayout(actions);
    layout->addLayout(closing);
    resize(780, 480);

    connect(change, &QPushButton::clicked, this, &ProjectForm::changeAssignment);
    connect(insert, &QPushButton::clicked, this, &ProjectForm::insertAssignment);
    connect(conclude, &QPushButton::clicked, this, &ProjectForm::concludeAssignment);
    connect(existing, &QPushButton::clicked, this, &ProjectForm::addExisting);
    connect(remove, &QPushButton::clicked, this, &ProjectForm::removeAssignment);
    connect(notes, &QPushButton::clicked, this, &ProjectForm::editNotes);
    connect(m_users, &QPushButton::clicked, this, &ProjectForm::editUsers);
    connect(ok, &QPushButton::clicked, m_scaffold, &FormScaffold::ok);
    connect(cancel, &QPushButton::clicked, m_scaffold, &FormScaffold::cancel);
    connect(help, &QPushButton::clicked, this,
            [this] { HelpBrowser::showHelp(whatsThis(), this); });
    connect(m_type, &QButtonGroup::idClicked, this, &ProjectForm::updateButtons);
    connect(m_name, &QLineEdit::textChanged, this, [this](const QString& text) {
        const bool tooLong = text.size() > kProjectNameWidth;
        m_nameNote->setText(qs(fieldTooLongText("Project Name", kProjectNameWidth)));
        m_nameNote->setVisible(tooLong);
    });
    connect(m_list, &BrowseList::changeRequested, this, &ProjectForm::changeAssignment);
    connect(m_list, &BrowseList::insertRequested, this, &ProjectForm::insertAssignment);
    connect(m_list, &BrowseList::deleteRequested, this, &ProjectForm::removeAssignment);
    connect(m_list, &BrowseList::selectionChanged, this, &ProjectForm::updateButtons);
}

QPushButton* ProjectForm::button(const QString& objectName) const {
    return findChild<QPushButton*>(objectName);
}

QAbstractButton* ProjectForm::typeButton(const char* type) const {
    for (size_t i = 0; i < kProjectTypes.size(); ++i)
        if (std::string(type) == kProjectTypes[i]) return m_type->button(static_cast<int>(i));
    return nullptr;
}

bool ProjectForm::completed() const {
    return m_scaffold->completed();
}

bool ProjectForm::start() {
    if (!m_scaffold->start()) return false;
    Database& db = *m_workspace.db;
    if (m_request == Request::Insert) {
        bool unnamed = false;
        if (hasUnnamedProject(db, m_workspace.session, unnamed).ok() && unnamed) {
            say(this, kUnnamedProjectExists, windowTitle());
            return false;
        }
        const Status added = m_provisional.add(
            db, m_current, [&](Project& p) { return addNewProject(db, m_workspace.session, p); },
            [this](const std::string& error) {
                return MessageBox::show(this, numberingRetryQuestion(error)) == Answer::Yes;
            });
        if (!added.ok()) {
            if (added.code != store::kDuplicateKey)
                MessageBox::showStandard(this, 35, qs(db.lastError().describe()),
                                         QLatin1String(label::PROJECT));
            return false;
        }
    } else if (!db.reread(m_current).ok()) {
        // Lists read without the notes; the form works on the whole stored record.
        MessageBox::showStandard(this, 35, qs(db.lastError().describe()),
                                 QLatin1String(label::PROJECT));
        return false;
    }
    m_opened = m_current;
    if (!access::loadViewer(db, m_workspace.session, m_viewer).ok()) {
        MessageBox::showStandard(this, 35, qs(db.lastError().describe()),
                                 QLatin1String(label::SYSTEMPREF));
        return false;
    }
    if (!loadProjectListOptions(db, m_workspace.session.GlobalUser, m_options).ok())
        MessageBox::showStandard(this, 35, qs(db.lastError().describe()),
                                 QLatin1String(label::USERPREF));
    m_secondary->setChecked(m_options.includeSecondary);
    m_openOnly->setChecked(m_options.openOnly);
    connect(m_secondary, &QCheckBox::toggled, this, &ProjectForm::onOptionsChanged);
    connect(m_openOnly, &QCheckBox::toggled, this, &ProjectForm::onOptionsChanged);
    display();
    applyRights();
    m_list->reload();
    updateButtons();
    return true;
}

void ProjectForm::display() {
    m_name->setText(qs(store::rtrim(m_current.NAME)));
    QAbstractButton* type = typeButton(store::rtrim(m_current.TYPE).c_str());
    if (!type) type = typeButton(kProjectOpen);
    type->setChecked(true);
    m_list->setFilter(projectAssignmentFilter(m_current.PROJNUMBER, m_options, m_viewer));
}

void ProjectForm::applyRights() {
    m_mayChange = mayChangeProject(m_current, m_workspace.session);
    m_name->setReadOnly(!m_mayChange);
    for (QAbstractButton* b : m_type->buttons()) b->setEnabled(m_mayChange);
}

void ProjectForm::updateButtons() {
    const bool any = m_list->selectedRow() != nullptr;
    for (const char* name : {"changeButton", "concludeButton", "removeButton"})
        button(QLatin1String(name))->setEnabled(any);
    m_users->setEnabled(m_mayChange && m_type->checkedId() == 1);
}

Project ProjectForm::collected() const {
    Project p = m_current;
    p.NAME = m_name->text().toStdString();
    const int type = m_type->checkedId();
    if (type >= 0) p.TYPE = kProjectTypes[static_cast<size_t>(type)];
    return p;
}

bool ProjectForm::save() {
    Project now = collected();
    const Outcome out = saveProject(*m_workspace.db, m_workspace.session, now, m_opened);
    switch (out.kind) {
        case Outcome::Done:
            m_current = now;
            m_opened = now;
            m_provisional.keep();
            return true;
        case Outcome::ChangedElsewhere:
            showOutcome(this, out);
            // The other station's values are shown; a new OK stores over them.
            m_current = now;
            m_opened = now;
            display();
            applyRights();
            return false;
        case Outcome::Refused:
            showOutcome(this, out, windowTitle());
            m_name->setFocus();
            return false;
        case Outcome::Failed:
            showOutcome(this, out);
            return false;
    }
    return false;
}

void ProjectForm::onOptionsChanged() {
    m_options.includeSecondary = m_secondary->isChecked();
    m_options.openOnly = m_openOnly->isChecked();
    if (!saveProjectListOptions(*m_workspace.db, m_workspace.session.GlobalUser, m_options).ok())
        MessageBox::showStandard(this, 15, qs(m_workspace.db->lastError().describe()),
                                 QLatin1String(label::USERPREF));
    m_list->setFilter(projectAssignmentFilter(m_current.PROJNUMBER, m_options, m_viewer));
    reloadOn(highlighted());
}

std::optional<Assignment> ProjectForm::highlighted() const {
    const store::Row* row = m_list->selectedRow();
    if (!row) return std::nullopt;
    Assignment a;
    a.fromRow(*row);
    return a;
}

void ProjectForm::reloadOn(const std::optional<Assignment>& assignment) {
    if (assignment && assignment->rowPos != 0)
        m_list->reloadAt(assignment->toRow());
    else
        m_list->refresh();
    updateButtons();
}

void ProjectForm::changeAssignment() {
    std::optional<Assignment> a = highlighted();
    if (!a || !m_actions.openForm) return;
    if (!mayOpenFromProject(*a, m_viewer)) {
        say(this, kNotAuthorizedToView, windowTitle());
        return;
    }
    const Assignment shown = *a;
    // The page holds no memos; the form gets the whole stored record.
    if (!m_workspace.db->reread(*a).ok()) {
        reloadOn(shown);
        return;
    }
    const bool done = m_actions.openForm(this, m_workspace, Request::Change, *a);
    reloadOn(done ? *a : shown);
}

void ProjectForm::insertAssignment() {
    if (!m_actions.openForm) return;
    Assignment record;
    if (!m_actions.openForm(this, m_workspace, Request::Insert, record)) {
        reloadOn(highlighted());
        return;
    }
    ProjAssign link;
    const Outcome out =
        linkAssignment(*m_workspace.db, m_workspace.session, m_current, record.ASSIGNNUMBER, link);
    // The form may have linked the new assignment itself: nothing to say then.
    if (!alreadyLinked(out)) showOutcome(this, out, windowTitle());
    reloadOn(record);
}

void ProjectForm::concludeAssignment() {
    std::optional<Assignment> a = highlighted();
    if (!a || !m_actions.conclude) return;
    showOutcome(this, m_actions.conclude(*m_workspace.db, m_workspace.session, *a, Clock::today()));
    reloadOn(a);
}

void ProjectForm::addExisting() {
    if (!m_actions.pickAssignment) {
        MessageBox::showStandard(this, 6, QLatin1String(kPickAssignmentProcedure));
        return;
    }
    const std::optional<Assignment> picked = m_actions.pickAssignment(this, m_workspace);
    if (!picked) return;
    ProjAssign link;
    showOutcome(
        this,
        linkAssignment(*m_workspace.db, m_workspace.session, m_current, picked->ASSIGNNUMBER, link),
        windowTitle());
    // Show the picked assignment when the list's check boxes let it in.
    Assignment shown = *picked;
    if (m_workspace.db->reread(shown).ok())
        reloadOn(shown);
    else
        reloadOn(highlighted());
}

void ProjectForm::removeAssignment() {
    const std::optional<Assignment> a = highlighted();
    if (!a) return;
    showOutcome(this,
                removeFromProject(*m_workspace.db, m_workspace.session, m_current.PROJNUMBER,
                                  a->ASSIGNNUMBER),
                windowTitle());
    reloadOn(a);
}

void ProjectForm::editNotes() {
    ProjectNotesDialog notes(m_current.NOTE, !m_mayChange, this);
    execTranslated(&notes);
    // Kept with the form's record: OK stores them, Cancel drops them.
    if (m_mayChange) m_current.NOTE = notes.notes();
}

void ProjectForm::editUsers() {
    if (!m_mayChange) return;
    if (!m_actions.editUsers) {
        MessageBox::showStandard(this, 6, QLatin1String(kProjectUsersProcedure));
        return;
    }
    // A new project is not saved under its name yet: its users take the
    // name typed so far.
    Project named = m_current;
    named.NAME = projectNameForUsers(m_current, m_name->text().toStdString());
    m_actions.editUsers(this, m_workspace, named);
}

void ProjectForm::reject() {
    if (m_scaffold->closeRequested()) QDialog::reject();
}

void ProjectForm::done(int result) {
    // A project stored for an insert that was never confirmed goes again,
    // with the links and users given to it meanwhile.
    if (result == QDialog::Rejected)
        showOutcome(this, m_provisional.cancel(*m_workspace.db, m_current));
    QDialog::done(result);
}

}  // namespace tko
