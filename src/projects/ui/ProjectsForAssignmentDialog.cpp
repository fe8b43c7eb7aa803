#include "projects/ui/ProjectsForAssignmentDialog.h"

#include <QFormLayout>
#include <QHBoxLayout>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

#include "data/Keys.h"
#include "platform/ui/BrowseList.h"
#include "projects/ProjectRules.h"

namespace tko {

ProjectsForAssignmentDialog::ProjectsForAssignmentDialog(Workspace& workspace,
                                                         const Assignment& assignment,
                                                         QWidget* parent)
    : QDialog(parent) {
    setObjectName(QStringLiteral("ProjectsForAssignmentDialog"));
    setWindowTitle(QStringLiteral("Projects for Assignment"));
    setWhatsThis(QStringLiteral("~Projects_For_Assignment"));

    m_name = new QLineEdit(QString::fromStdString(store::rtrim(assignment.NAME)), this);
    m_name->setObjectName(QStringLiteral("nameEdit"));
    m_name->setToolTip(QStringLiteral("Label/name for assignment"));
    m_name->setReadOnly(true);
    m_person = new QLineEdit(QString::fromStdString(store::rtrim(assignment.PERSON)), this);
    m_person->setObjectName(QStringLiteral("personEdit"));
    m_person->setToolTip(QStringLiteral("Person assigned"));
    m_person->setReadOnly(true);

    m_list = new BrowseList(workspace.db->engine(), ProjAssign::def(), this);
    m_list->setObjectName(QStringLiteral("projectsList"));
    m_list->setColumns(
        {{QStringLiteral("Projects"), QStringLiteral("NAME"), QStringLiteral("@s30"), 140}});
    m_list->setKey(QLatin1String(key::PRA_ASSIGNMENT_KEY));
    m_list->setRange({std::int64_t{assignment.ASSIGNNUMBER}});
    m_list->setFilter(assignmentProjectsFilter(assignment.ASSIGNNUMBER, workspace.session));

    auto* close = new QPushButton(QStringLiteral("Close"), this);
    close->setObjectName(QStringLiteral("closeButton"));
    close->setDefault(true);
    auto* form = new QFormLayout;
    form->addRow(QStringLiteral("Assignment:"), m_name);
    form->addRow(QStringLiteral("Person:"), m_person);
    auto* buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(close);
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(form);
    layout->addWidget(m_list, 1);
    layout->addLayout(buttons);
    resize(420, 300);

    connect(close, &QPushButton::clicked, this, &QDialog::accept);
    m_list->reload();
}

}  // namespace tko
