#include "users/ui/LimitedProjectUsersDialog.h"

#include <QFormLayout>
#include <QHBoxLayout>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

#include "data/Keys.h"
#include "data/Records.h"
#include "data/Tables.h"
#include "platform/ui/BrowseList.h"
#include "platform/ui/HelpBrowser.h"
#include "platform/ui/MessageBox.h"
#include "users/LimitedProjectUsers.h"
#include "users/ui/LimitedUsersLayout.h"
#include "users/ui/UserPickers.h"

namespace tko {

LimitedProjectUsersDialog::LimitedProjectUsersDialog(Workspace& workspace, std::int32_t projNumber,
                                                     const std::string& projName, QWidget* parent)
    : QDialog(parent),
      m_workspace(workspace),
      m_projNumber(projNumber),
      m_projName(store::rtrim(projName)) {
    setObjectName(QStringLiteral("LimitedProjectUsersDialog"));
    setWindowTitle(QStringLiteral("Users for Limited Project"));
    setWhatsThis(QStringLiteral("~Users_For_Limited_Project"));

    m_project = new QLineEdit(QString::fromStdString(m_projName), this);
    m_project->setObjectName(QStringLiteral("projectEdit"));
    m_project->setMaxLength(Project::Width::NAME);
    m_project->setReadOnly(true);

    m_list = new BrowseList(workspace.db->engine(), ProjUser::def(), this);
    m_list->setObjectName(QStringLiteral("projUserList"));
    m_list->setFormat(QStringLiteral("64L(2)|M~User~@s15@#USER#120L(2)|M~Name~@s30@#NAME#"));
    m_list->setKey(QLatin1String(key::PRU_NUMBERUSER_KEY));
    m_list->setRange({std::int64_t{projNumber}});

    layOutLimitedUsers(
        this, QStringLiteral("Project:"), m_project, m_list, [this] { insertUsers(); },
        [this] { deleteUser(); });
    resize(420, 320);
    m_list->reload();
}

void LimitedProjectUsersDialog::insertUsers() {
    addUsers(pickUsers(this, m_workspace));
}

void LimitedProjectUsersDialog::addUsers(const std::vector<std::string>& users) {
    if (users.empty()) return;
    const Outcome outcome = addProjectUsers(*m_workspace.db, m_projNumber, m_projName, users);
    if (!outcome.ok()) {
        showOutcome(this, outcome);
        m_list->refresh();
        return;
    }
    ProjUser stored;
    if (m_workspace.db
            ->fetch(key::PRU_NUMBERUSER_KEY,
                    {std::int64_t{m_projNumber}, store::rtrim(users.front())}, stored)
            .ok())
        m_list->reloadAt(stored.toRow());
    else
        m_list->reload();
}

void LimitedProjectUsersDialog::deleteUser() {
    const store::Row* row = m_list->selectedRow();
    if (!row) return;
    ProjUser selected;
    selected.fromRow(*row);
    showOutcome(this, removeProjectUser(*m_workspace.db, selected));
    m_list->reload();
}

}  // namespace tko
