#include "assign/ui/DeleteByPersonDialog.h"

#include <QDialogButtonBox>
#include <QFormLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>

#include "assign/Deletion.h"
#include "data/Records.h"
#include "people/ui/PeopleScreens.h"
#include "platform/ui/DialogButtons.h"
#include "platform/ui/MessageBox.h"

namespace tko {

DeleteByPersonDialog::DeleteByPersonDialog(Workspace& workspace, QWidget* parent)
    : QDialog(parent), m_workspace(workspace) {
    setObjectName(QStringLiteral("DeleteByPersonDialog"));
    setWindowTitle(QStringLiteral("Delete All Assignments for a Person"));
    setWhatsThis(QStringLiteral("~Delete_Assignments_for_Person"));

    m_personEdit = new QLineEdit(this);
    m_personEdit->setObjectName(QStringLiteral("personEdit"));
    m_personEdit->setMaxLength(Person::Width::SHORTNAME);
    m_personEdit->setProperty("picture", QStringLiteral("@s15"));
    auto* lookUp = new QPushButton(QStringLiteral("..."), this);
    lookUp->setObjectName(QStringLiteral("lookUpButton"));
    lookUp->setAutoDefault(false);
    auto* personRow = new QHBoxLayout;
    personRow->addWidget(m_personEdit);
    personRow->addWidget(lookUp);
    personRow->addStretch();

    auto label = [this](const char* name) {
        auto* l = new QLabel(this);
        l->setObjectName(QLatin1String(name));
        return l;
    };
    m_lastName = label("lastNameLabel");
    m_firstName = label("firstNameLabel");
    m_position = label("positionLabel");
    m_organization = label("organizationLabel");
    m_type = label("typeLabel");
    m_user = label("userLabel");

    auto* form = new QFormLayout(this);
    form->addRow(QStringLiteral("Person:"), personRow);
    form->addRow(QStringLiteral("Last Name:"), m_lastName);
    form->addRow(QStringLiteral("First Name:"), m_firstName);
    form->addRow(QStringLiteral("Position:"), m_position);
    form->addRow(QStringLiteral("Organization:"), m_organization);
    form->addRow(QStringLiteral("Type:"), m_type);
    form->addRow(QStringLiteral("User:"), m_user);
    const DialogButtons buttons = addDialogButtons(this, true);
    form->addRow(buttons.box);
    buttons.ok->setDefault(false);
    buttons.ok->setAutoDefault(false);

    connect(m_personEdit, &QLineEdit::editingFinished, this, [this] {
        if (m_personEdit->text().trimmed().isEmpty()) return;
        if (m_person && m_personEdit->text().toStdString() == m_person->SHORTNAME) return;
        personEntered();
    });
    connect(lookUp, &QPushButton::clicked, this, &DeleteByPersonDialog::pickPerson);
    connect(buttons.ok, &QPushButton::clicked, this, &DeleteByPersonDialog::ok);
}

bool DeleteByPersonDialog::personEntered() {
    const PersonLookup lookup =
        lookUpPerson(*m_workspace.db, m_workspace.session, DeletionScreen::AllOfPerson,
                     m_personEdit->text().toStdString());
    if (lookup.kind != PersonLookup::Found) {
        if (lookup.message) MessageBox::show(this, *lookup.message);
        // Nobody is chosen now: no details of the previous person stay.
        m_person.reset();
        for (QLabel* detail : {m_lastName, m_firstName, m_position, m_organization, m_type, m_user})
            detail->clear();
        m_personEdit->setFocus();
        m_personEdit->selectAll();
        return false;
    }
    usePerson(lookup.person);
    return true;
}

void DeleteByPersonDialog::pickPerson() {
    const std::optional<Person> picked = selectAssignablePerson(this, m_workspace);
    if (!picked) return;
    const PersonLookup lookup = checkPerson(*m_workspace.db, m_workspace.session,
                                            DeletionScreen::AllOfPerson, picked->PERSONNUMBER);
    if (lookup.kind != PersonLookup::Found) {
        if (lookup.message) MessageBox::show(this, *lookup.message);
        return;
    }
    usePerson(lookup.person);
}

void DeleteByPersonDialog::usePerson(const Person& person) {
    m_person = person;
    m_personEdit->setText(QString::fromStdString(person.SHORTNAME));
    m_lastName->setText(QString::fromStdString(person.LASTNAME));
    m_firstName->setText(QString::fromStdString(person.FIRSTNAME));
    m_position->setText(QString::fromStdString(person.POSITIONHELD));
    m_organization->setText(QString::fromStdString(person.ORGANIZATION));
    m_type->setText(QString::fromStdString(person.TYPE));
    m_user->setText(QString::fromStdString(person.USER));
}

void DeleteByPersonDialog::ok() {
    // A name typed but not yet taken (OK pressed straight after typing) is taken now.
    const bool typedAnother =
        !m_person || m_personEdit->text().toStdString() != m_person->SHORTNAME;
    if (typedAnother && !personEntered()) return;
    if (MessageBox::showText(this, QLatin1String(kDeletePersonQuestion), windowTitle(),
                             MessageButtons::YesCancel, {},
                             MessageBox::Icon::Question) != Answer::Yes) {
        m_personEdit->setFocus();
        return;
    }
    const PersonDeletion result =
        deleteAllAssignmentsOf(*m_workspace.db, m_workspace.session, m_person->PERSONNUMBER);
    m_deleted = result.deleted;
    showOutcome(this, result.outcome);
    accept();
}

}  // namespace tko
