// One rights list of the user form ("User can give assignments to:" and the
// three others): the names in memory with "Insert User", "Delete User",
// "Add User Group" and "Delete User Group". Nothing is written here; the form
// saves the four lists together.
#pragma once

#include <QWidget>

#include <string>
#include <vector>

#include "data/Workspace.h"

class QListWidget;
class QPushButton;

namespace tko {

class RightsListPanel : public QWidget {
    Q_OBJECT
public:
    RightsListPanel(Workspace& workspace, const QString& objectName, const QString& caption,
                    QWidget* parent = nullptr);

    void setNames(const std::vector<std::string>& names);
    const std::vector<std::string>& names() const { return m_names; }
    QListWidget* list() const { return m_list; }
    QPushButton* button(const QString& objectName) const;

    // The buttons' actions.
    void insertUsers();
    void deleteUser();
    void addGroup();
    void deleteGroup();

signals:
    void edited();

private:
    void show(int select = -1);
    void applyGroup(bool remove);

    Workspace& m_workspace;
    std::vector<std::string> m_names;
    QListWidget* m_list = nullptr;
};

}  // namespace tko
