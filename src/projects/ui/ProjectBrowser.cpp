#include "projects/ui/ProjectBrowser.h"

#include <QHBoxLayout>
#include <QPushButton>
#include <QVBoxLayout>

#include "platform/ui/BrowseList.h"
#include "platform/ui/HelpBrowser.h"
#include "platform/ui/MessageBox.h"
#include "projects/ProjectRules.h"

namespace tko {

namespace {

QPushButton* addButton(QWidget* parent, QHBoxLayout* layout, const char* name, const char* text,
                       const char* tip = nullptr) {
    auto* button = new QPushButton(QLatin1String(text), parent);
    button->setObjectName(QLatin1String(name));
    button->setAutoDefault(false);
    if (tip) button->setToolTip(QLatin1String(tip));
    layout->addWidget(button);
    return button;
}

}  // namespace

ProjectBrowser::ProjectBrowser(Workspace& workspace, bool selectMode, ProjectActions actions,
                               QWidget* parent)
    : QDialog(parent),
      m_workspace(workspace),
      m_selectMode(selectMode),
      m_actions(std::move(actions)) {
    setObjectName(QStringLiteral("ProjectBrowser"));
    setWindowTitle(QStringLiteral("Browse Projects"));
    setWhatsThis(QStringLiteral("~Browse_Projects_Window"));
    setSizeGripEnabled(true);

    m_list = new BrowseList(workspace.db->engine(), Project::def(), this);
    m_list->setObjectName(QStringLiteral("projectList"));
    m_list->setColumns({
        {QStringLiteral("Projects"), QStringLiteral("NAME"), QStringLiteral("@s30"), 140},
        {QStringLiteral("User"), QStringLiteral("USER"), QStringLiteral("@s15"), 70},
    });
    m_list->setKey(QStringLiteral("PRO:NAME_KEY"));
    m_list->setFilter(projectListFilter(workspace.session));
    m_list->setSelectMode(selectMode);

    auto* buttons = new QHBoxLayout;
    QPushButton* select = addButton(this, buttons, "selectButton", "Select", "Select project");
    select->setVisible(selectMode);
    select->setDefault(selectMode);
    QPushButton* insert = addButton(this, buttons, "insertButton", "Insert", "Add new project");
    QPushButton* change = addButton(this, buttons, "changeButton", "Change/View",
                                    "View or change project information");
    QPushButton* remove =
        addButton(this, buttons, "deleteButton", "Delete", "Delete project from TASKORBIT");
    buttons->addStretch();
    QPushButton* close = addButton(this, buttons, "closeButton", "Close");
    QPushButton* help = addButton(this, buttons, "helpButton", "Help");

    auto* layout = new QVBoxLayout(this);
    layout->addWidget(m_list, 1);
    layout->addLayout(buttons);
    resize(480, 400);

    connect(select, &QPushButton::clicked, this, &ProjectBrowser::selectProject);
    connect(insert, &QPushButton::clicked, this, &ProjectBrowser::insertProject);
    connect(change, &QPushButton::clicked, this, &ProjectBrowser::changeProject);
    connect(remove, &QPushButton::clicked, this, &ProjectBrowser::deleteProject);
    connect(close, &QPushButton::clicked, this, &QDialog::reject);
    connect(help, &QPushButton::clicked, this,
            [this] { HelpBrowser::showHelp(whatsThis(), this); });
    connect(m_list, &BrowseList::rowChosen, this, &ProjectBrowser::selectProject);
    connect(m_list, &BrowseList::changeRequested, this, &ProjectBrowser::changeProject);
    connect(m_list, &BrowseList::insertRequested, this, &ProjectBrowser::insertProject);
    connect(m_list, &BrowseList::deleteRequested, this, &ProjectBrowser::deleteProject);
    connect(m_list, &BrowseList::selectionChanged, this, &ProjectBrowser::updateButtons);
    m_list->reload();
    updateButtons();
}

QPushButton* ProjectBrowser::button(const QString& objectName) const {
    return findChild<QPushButton*>(objectName);
}

void ProjectBrowser::updateButtons() {
    const bool any = m_list->selectedRow() != nullptr;
    for (const char* name : {"selectButton", "changeButton", "deleteButton"})
        button(QLatin1String(name))->setEnabled(any);
}

std::optional<Project> ProjectBrowser::highlighted() const {
    const store::Row* row = m_list->selectedRow();
    if (!row) return std::nullopt;
    Project project;
    project.fromRow(*row);
    return project;
}

void ProjectBrowser::reloadOn(const Project& project) {
    if (project.rowPos != 0)
        m_list->reloadAt(project.toRow());
    else
        m_list->refresh();
    updateButtons();
}

void ProjectBrowser::insertProject() {
    Project project;
    m_workspace.session.GlobalRequest = Request::Insert;
    if (runProjectForm(this, m_workspace, Request::Insert, project, m_actions))
        reloadOn(project);
    else
        m_list->refresh();
    updateButtons();
}

void ProjectBrowser::changeProject() {
    std::optional<Project> project = highlighted();
    if (!project) return;
    m_workspace.session.GlobalRequest = Request::Change;
    runProjectForm(this, m_workspace, Request::Change, *project, m_actions);
    reloadOn(*project);
}

void ProjectBrowser::deleteProject() {
    const std::optional<Project> project = highlighted();
    if (!project) return;
    if (!mayChangeProject(*project, m_workspace.session)) {
        MessageBox::showText(this, QStringLiteral("%1"), windowTitle(), MessageButtons::Ok,
                             {QString::fromStdString(translateText(kProjectNotYours))},
                             MessageBox::Icon::Warning);
        return;
    }
    if (MessageBox::showStandard(this, 32) != Answer::Ok) return;
    const ProjectOutcome out = tko::deleteProject(*m_workspace.db, m_workspace.session, *project);
    if (!out.ok() && out.message) MessageBox::show(this, *out.message);
    m_list->refresh();
    updateButtons();
}

void ProjectBrowser::selectProject() {
    if (!m_selectMode) return;
    std::optional<Project> project = highlighted();
    if (!project) return;
    // The list reads without the notes; the caller gets the whole record.
    if (!m_workspace.db->reread(*project).ok()) {
        MessageBox::showStandard(this, 35,
                                 QString::fromStdString(m_workspace.db->lastError().describe()),
                                 QStringLiteral("PROJECT"));
        m_list->refresh();
        return;
    }
    m_chosen = project;
    accept();
}

}  // namespace tko
