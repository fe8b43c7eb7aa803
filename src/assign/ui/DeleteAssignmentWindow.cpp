#include "assign/ui/DeleteAssignmentWindow.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

#include "assign/Deletion.h"
#include "assign/ui/AssignmentScreens.h"
#include "data/Keys.h"
#include "data/Records.h"
#include "people/ui/PeopleScreens.h"
#include "platform/ui/BrowseList.h"
#include "platform/ui/MessageBox.h"

namespace tko {

namespace {

ListActions formActions() {
    ListActions actions;
    actions.openForm = &runAssignmentForm;
    return actions;
}

// Person numbers start at 1: before a person is chosen the list reads this
// one and shows nothing.
constexpr std::int64_t kNobody = -1;

}  // namespace

DeleteAssignmentWindow::DeleteAssignmentWindow(Workspace& workspace, QWidget* parent)
    : DeleteAssignmentWindow(workspace, formActions(), parent) {}

DeleteAssignmentWindow::DeleteAssignmentWindow(Workspace& workspace, ListActions actions,
                                               QWidget* parent)
    : AssignmentListWindow(workspace, std::move(actions), parent) {
    setIdentity({"DeleteAssignmentWindow", "assignmentList",
                 QStringLiteral("Delete Individual Assignments"),
                 QStringLiteral("~Delete_Assignment_Window"), true});

    m_personEdit = new QLineEdit(this);
    m_personEdit->setObjectName(QStringLiteral("personEdit"));
    m_personEdit->setMaxLength(Person::Width::SHORTNAME);
    m_personEdit->setProperty("picture", QStringLiteral("@s15"));
    m_personEdit->setToolTip(QStringLiteral("The person with the assignment to be deleted"));
    auto* lookUp = new QPushButton(QStringLiteral("..."), this);
    lookUp->setObjectName(QStringLiteral("lookUpButton"));
    lookUp->setAutoDefault(false);
    m_type = new QLabel(this);
    m_type->setObjectName(QStringLiteral("typeLabel"));
    m_user = new QLabel(this);
    m_user->setObjectName(QStringLiteral("userLabel"));
    auto* personRow = new QHBoxLayout;
    personRow->addWidget(new QLabel(QStringLiteral("Person:"), this));
    personRow->addWidget(m_personEdit);
    personRow->addWidget(lookUp);
    personRow->addWidget(new QLabel(QStringLiteral("Type:"), this));
    personRow->addWidget(m_type);
    personRow->addWidget(new QLabel(QStringLiteral("User:"), this));
    personRow->addWidget(m_user);
    personRow->addStretch();
    headerLayout()->addLayout(personRow);

    list()->setColumns({
        {QStringLiteral("Due Date"), QStringLiteral("DUEDATE"), QStringLiteral("@D17b"), 48},
        {QStringLiteral("Name"), QStringLiteral("NAME"), QStringLiteral("@s50"), 200},
        {QStringLiteral("Assign Number"), QStringLiteral("ASSIGNNUMBER"), QStringLiteral("@n-13"),
         52, ColumnAlign::Right},
        {QStringLiteral("Person Number"), QStringLiteral("PERSONNUMBER"), QStringLiteral("@n-13"),
         52, ColumnAlign::Right},
    });
    list()->setKey(QLatin1String(key::ASS_PERSNUMDUEDATE_KEY));
    // Read once: who the user is does not change while the window is open.
    if (!access::loadViewer(*m_workspace.db, m_workspace.session, m_viewer).ok())
        m_viewer = access::viewerOf(m_workspace.session, SystemPref{});
    beforeReload = [this] {
        const std::int64_t number = m_person ? std::int64_t{m_person->PERSONNUMBER} : kNobody;
        list()->setRange({number});
        list()->setFilter(assignmentsOfPerson(static_cast<std::int32_t>(number), m_viewer));
    };
    setButtons({{"deleteButton", "&Delete", "Delete the highlighted assignment",
                 [this] { deleteSelected(); }, ListRole::Delete, NeedsRow::Yes},
                {"viewButton", "&View", "View the assignment details",
                 [this] { changeSelected(false); }, ListRole::Change, NeedsRow::Yes}});

    connect(m_personEdit, &QLineEdit::editingFinished, this, [this] {
        if (m_personEdit->text().trimmed().isEmpty()) return;
        if (m_person && m_personEdit->text().toStdString() == m_person->SHORTNAME) return;
        personEntered();
    });
    connect(lookUp, &QPushButton::clicked, this, &DeleteAssignmentWindow::pickPerson);
    finish(620, 400);
}

bool DeleteAssignmentWindow::personEntered() {
    const PersonLookup lookup =
        lookUpPerson(*m_workspace.db, m_workspace.session, DeletionScreen::Individual,
                     m_personEdit->text().toStdString());
    if (lookup.kind != PersonLookup::Found) {
        if (lookup.message) MessageBox::show(this, *lookup.message);
        // The entry no longer names the person listed: nobody is chosen, so
        // neither the list, Type and User nor Delete stay with the previous
        // one. The typed name stays for the user to mend.
        clearPerson();
        m_personEdit->setFocus();
        m_personEdit->selectAll();
        return false;
    }
    usePerson(lookup.person);
    return true;
}

void DeleteAssignmentWindow::clearPerson() {
    const bool hadPerson = m_person.has_value();
    m_person.reset();
    m_type->clear();
    m_user->clear();
    if (hadPerson) reload();
}

void DeleteAssignmentWindow::pickPerson() {
    const std::optional<Person> picked = selectAssignablePerson(this, m_workspace);
    if (!picked) return;
    // The picker's list is the rule, but the choice is checked all the same.
    const PersonLookup lookup = checkPerson(*m_workspace.db, m_workspace.session,
                                            DeletionScreen::Individual, picked->PERSONNUMBER);
    if (lookup.kind != PersonLookup::Found) {
        if (lookup.message) MessageBox::show(this, *lookup.message);
        return;
    }
    usePerson(lookup.person);
}

void DeleteAssignmentWindow::usePerson(const Person& person) {
    m_person = person;
    m_personEdit->setText(QString::fromStdString(person.SHORTNAME));
    m_type->setText(QString::fromStdString(person.TYPE));
    m_user->setText(QString::fromStdString(person.USER));
    reload();
}

void DeleteAssignmentWindow::deleteSelected() {
    store::Row row;
    Assignment record;
    if (!m_person || !m_actions.openForm || !highlightedRecord(row, record)) return;
    if (MessageBox::showStandard(this, 32) != Answer::Ok) return;
    m_actions.openForm(this, m_workspace, Request::Delete, record);
    reloadOn(row);
}

}  // namespace tko
