#include "assign/ui/AssignmentProjectsPage.h"

#include <QHBoxLayout>
#include <QVBoxLayout>

#include "assign/ui/FormWidgets.h"
#include "data/Keys.h"
#include "data/Records.h"
#include "platform/ui/BrowseList.h"
#include "projects/ProjectRules.h"

namespace tko {

AssignmentProjectsPage::AssignmentProjectsPage(store::Engine& engine, QWidget* parent)
    : QWidget(parent) {
    setObjectName(QStringLiteral("projectsPage"));
    projectList = new BrowseList(engine, ProjAssign::def(), this);
    projectList->setObjectName(QStringLiteral("projectList"));
    projectList->setColumns(
        {{QStringLiteral("Project Name"), QStringLiteral("NAME"), QStringLiteral("@s30"), 140},
         {QStringLiteral("Assign Number"), QStringLiteral("ASSIGNNUMBER"), QStringLiteral("@n_13"),
          60, ColumnAlign::Right}});
    projectList->setKey(QLatin1String(key::PRA_ASSIGNMENT_KEY));
    addButton = makeButton(this, "addProjectButton", "Add to a Project");
    deleteButton = makeButton(this, "deleteProjectButton", "Delete from Project");
    auto* buttons = new QHBoxLayout;
    buttons->addStretch(1);
    buttons->addWidget(addButton);
    buttons->addWidget(deleteButton);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(projectList, 1);
    layout->addLayout(buttons);
}

void AssignmentProjectsPage::showLinks(std::int32_t number, const Session& session) {
    // Only the projects the user may see are named.
    projectList->setFilter(assignmentProjectsFilter(number, session));
    projectList->setRange({std::int64_t{number}});
    projectList->reload();
}

void AssignmentProjectsPage::adaptToGroup() {
    projectList->setColumns({{QStringLiteral("Projects Assignment is Part Of"),
                              QStringLiteral("NAME"), QStringLiteral("@s30"), 140},
                             {QStringLiteral("Number"), QStringLiteral("ASSIGNNUMBER"),
                              QStringLiteral("@n_13"), 60, ColumnAlign::Right}});
}

void AssignmentProjectsPage::setChangeable(bool changeable) {
    addButton->setEnabled(changeable);
    deleteButton->setEnabled(changeable);
}

}  // namespace tko
