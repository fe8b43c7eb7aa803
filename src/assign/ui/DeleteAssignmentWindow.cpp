#include "assign/ui/DeleteAssignmentWindow.h"

#include <QFormLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

#include "assign/Deletion.h"
#include "assign/ui/AssignmentScreens.h"
#include "people/ui/PeopleScreens.h"
#include "platform/ui/BrowseList.h"
#include "platform/ui/HelpBrowser.h"
#include "platform/ui/MessageBox.h"

namespace tko {

DeleteAssignmentWindow::DeleteAssignmentWindow(Workspace& workspace, QWidget* parent)
    : QDialog(parent), m_workspace(workspace) {
    setObjectName(QStringLiteral("DeleteAssignmentWindow"));
    setWindowTitle(QStringLiteral("Delete Individual Assignments"));
    setWhatsThis(QStringLiteral("~Delete_Assignment_Window"));

    m_personEdit = new QLineEdit(this);
    m_personEdit->setObjectName(QStringLiteral("personEdit"));
    m_personEdit->setMaxLength(15);
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
    personRow->addWidget(m_personEdit);
    personRow->addWidget(lookUp);
    personRow->addWidget(new QLabel(QStringLiteral("Type:"), this));
    personRow->addWidget(m_type);
    personRow->addWidget(new QLabel(QStringLiteral("User:"), this));
    personRow->addWidget(m_user);
    personRow->addStretch();

    m_list = new BrowseList(workspace.db->engine(), Assignment::def(), this);
    m_list->setObjectName(QStringLiteral("assignmentList"));
    m_list->setFormat(
        QStringLiteral("48L(2)|M~Due Date~@D17b@#DUEDATE#200L(2)|M~Name~@s50@#NAME#"
                       "52R(2)|M~Assign Number~@n-13@#ASSIGNNUMBER#"
                       "52R(2)|M~Person Number~@n-13@#PERSONNUMBER#"));
    m_list->setKey(QStringLiteral("ASS:PERSNUMDUEDATE_KEY"));

    auto makeButton = [this](const char* name, const char* caption, const char* tip) {
        auto* b = new QPushButton(QLatin1String(caption), this);
        b->setObjectName(QLatin1String(name));
        b->setAutoDefault(false);
        if (tip) b->setToolTip(QLatin1String(tip));
        return b;
    };
    m_delete = makeButton("deleteButton", "Delete", "Delete the highlighted assignment");
    m_view = makeButton("viewButton", "View", "View the assignment details");
    QPushButton* close = makeButton("closeButton", "Close", nullptr);
    QPushButton* help = makeButton("helpButton", "Help", nullptr);
    auto* buttons = new QHBoxLayout;
    buttons->addWidget(m_delete);
    buttons->addWidget(m_view);
    buttons->addStretch();
    buttons->addWidget(close);
    buttons->addWidget(help);

    auto* layout = new QVBoxLayout(this);
    auto* form = new QFormLayout;
    form->addRow(QStringLiteral("Person:"), personRow);
    layout->addLayout(form);
    layout->addWidget(m_list, 1);
    layout->addLayout(buttons);
    resize(620, 400);

    connect(m_personEdit, &QLineEdit::editingFinished, this, [this] {
        if (m_personEdit->text().trimmed().isEmpty()) return;
        if (m_person && m_personEdit->text().toStdString() == m_person->SHORTNAME) return;
        personEntered();
    });
    connect(lookUp, &QPushButton::clicked, this, &DeleteAssignmentWindow::pickPerson);
    connect(m_delete, &QPushButton::clicked, this, &DeleteAssignmentWindow::deleteSelected);
    connect(m_view, &QPushButton::clicked, this, &DeleteAssignmentWindow::viewSelected);
    connect(m_list, &BrowseList::deleteRequested, this, &DeleteAssignmentWindow::deleteSelected);
    connect(m_list, &BrowseList::changeRequested, this, &DeleteAssignmentWindow::viewSelected);
    connect(close, &QPushButton::clicked, this, &QDialog::accept);
    connect(help, &QPushButton::clicked, this,
            [this] { HelpBrowser::showHelp(whatsThis(), this); });
    m_delete->setEnabled(false);
    m_view->setEnabled(false);
}

bool DeleteAssignmentWindow::personEntered() {
    const PersonLookup lookup =
        lookUpPerson(*m_workspace.db, m_workspace.session, DeletionScreen::Individual,
                     m_personEdit->text().toStdString());
    if (lookup.kind != PersonLookup::Found) {
        if (lookup.message) MessageBox::show(this, *lookup.message);
        m_personEdit->setFocus();
        m_personEdit->selectAll();
        return false;
    }
    usePerson(lookup.person);
    return true;
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
    m_list->setRange({std::int64_t{person.PERSONNUMBER}});
    m_list->reload();
    m_delete->setEnabled(true);
    m_view->setEnabled(true);
}

std::optional<Assignment> DeleteAssignmentWindow::selected() const {
    const store::Row* row = m_person ? m_list->selectedRow() : nullptr;
    if (!row) return std::nullopt;
    Assignment a;
    a.fromRow(*row);
    return a;
}

void DeleteAssignmentWindow::deleteSelected() {
    std::optional<Assignment> a = selected();
    if (!a) return;
    if (MessageBox::showStandard(this, 32) != Answer::Ok) return;
    if (runAssignmentForm(this, m_workspace, Request::Delete, *a)) m_list->reloadAt(a->toRow());
}

void DeleteAssignmentWindow::viewSelected() {
    std::optional<Assignment> a = selected();
    if (!a) return;
    runAssignmentForm(this, m_workspace, Request::Change, *a);
    m_list->reloadAt(a->toRow());
}

}  // namespace tko
