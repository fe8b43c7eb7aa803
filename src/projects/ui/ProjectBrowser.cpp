#include "projects/ui/ProjectBrowser.h"

#include "data/Keys.h"
#include "platform/ui/BrowseList.h"
#include "platform/ui/MessageBox.h"
#include "projects/ProjectRules.h"

namespace tko {

ProjectBrowser::ProjectBrowser(Workspace& workspace, bool selectMode, ProjectActions actions,
                               QWidget* parent)
    : ListWindow(workspace.db->engine(), Project::def(), parent),
      m_workspace(workspace),
      m_actions(std::move(actions)) {
    setIdentity({"ProjectBrowser", "projectList", QStringLiteral("Browse Projects"),
                 QStringLiteral("~Browse_Projects_Window"), !selectMode});
    list()->setColumns({
        {QStringLiteral("Projects"), QStringLiteral("NAME"), QStringLiteral("@s30"), 140},
        {QStringLiteral("User"), QStringLiteral("USER"), QStringLiteral("@s15"), 70},
    });
    list()->setKey(QLatin1String(key::PRO_NAME_KEY));
    // Rights may change while the window is open (a user listed or taken off).
    beforeReload = [this] { list()->setFilter(projectListFilter(m_workspace.session)); };
    setSelectMode(selectMode);
    std::vector<ListButton> buttons;
    // Shown also outside select mode, disabled there, as in the other lists.
    buttons.push_back({"selectButton", "&Select", "Select project", [this] { choose(); },
                       ListRole::Select, NeedsRow::Yes, true});
    buttons.push_back({"insertButton", "&Insert", "Add new project", [this] { insertProject(); },
                       ListRole::Insert, NeedsRow::No, true});
    buttons.push_back({"changeButton", "&Change/View", "View or change project information",
                       [this] { changeProject(); }, ListRole::Change, NeedsRow::Yes});
    buttons.push_back({"deleteButton", "&Delete", "Delete project from TASKORBIT",
                       [this] { deleteProject(); }, ListRole::Delete, NeedsRow::Yes});
    setButtons(std::move(buttons));
    finish(480, 400);
}

void ProjectBrowser::reloadOnProject(const Project& project) {
    if (project.rowPos != 0)
        reloadOn(project.toRow());
    else
        reloadKeeping();
}

void ProjectBrowser::insertProject() {
    Project project;
    if (runProjectForm(this, m_workspace, Request::Insert, project, m_actions))
        reloadOnProject(project);
    else
        reloadKeeping();
}

void ProjectBrowser::changeProject() {
    store::Row row;
    Project project;
    if (!highlightedRecord(row, project)) return;
    runProjectForm(this, m_workspace, Request::Change, project, m_actions);
    reloadOn(row);
}

void ProjectBrowser::deleteProject() {
    store::Row row;
    Project project;
    if (!highlightedRecord(row, project)) return;
    if (!mayChangeProject(project, m_workspace.session)) {
        MessageBox::showText(this, QStringLiteral("%1"), windowTitle(), MessageButtons::Ok,
                             {QString::fromStdString(translateText(kProjectNotYours))},
                             MessageBox::Icon::Warning);
        return;
    }
    if (MessageBox::showStandard(this, 32) != Answer::Ok) return;
    const Outcome out = tko::deleteProject(*m_workspace.db, m_workspace.session, project);
    if (!out.ok()) showOutcome(this, out);
    reloadOn(row);
}

bool ProjectBrowser::acceptChoice(const store::Row& row) {
    Project project;
    project.fromRow(row);
    // The list reads without the notes; the caller gets the whole record.
    if (!m_workspace.db->reread(project).ok()) {
        MessageBox::showStandard(this, 35,
                                 QString::fromStdString(m_workspace.db->lastError().describe()),
                                 QStringLiteral("PROJECT"));
        reloadKeeping();
        return false;
    }
    m_chosen = project;
    return true;
}

}  // namespace tko
