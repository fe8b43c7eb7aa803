// The two choosers the user and user-group forms open: "Browse Users -
// Multiple Select" (tagged user names) and "Browse User Groups" in select
// mode (one group name). Tests replace them with functions that answer
// without a window.
#pragma once

#include <QDialog>

#include <functional>
#include <optional>
#include <set>
#include <string>
#include <vector>

#include "data/Workspace.h"

class QTableWidget;

namespace tko {

// "Browse Users - Multiple Select": every user with a tag mark; double-click
// or "Tag/Clear" marks and unmarks the highlighted user, "Clear All" starts
// again, "OK" returns the tagged names.
class UserMultiSelectDialog : public QDialog {
    Q_OBJECT
public:
    UserMultiSelectDialog(Workspace& workspace, QWidget* parent = nullptr);

    QTableWidget* table() const { return m_table; }
    // The tagged user names, in list order.
    std::vector<std::string> tagged() const;

    void toggleCurrent();
    void clearAll();

private:
    void showRow(int row);

    std::vector<std::string> m_names;
    std::set<std::string> m_tags;
    QTableWidget* m_table = nullptr;
};

// The choosers: the workspace's services where bound, else the windows.
std::vector<std::string> pickUsers(QWidget* parent, Workspace& workspace);
std::optional<std::string> pickUserGroup(QWidget* parent, Workspace& workspace);

}  // namespace tko
