// "Update Group List": the name of a group list and its members, for the
// insert, change and delete requests. The members are edited in a working
// list in memory ("Insert" through the multiple-select people list, "Delete"
// from the working list only); "OK" saves through people/GroupLists.h.
#pragma once

#include <QDialog>

#include "data/Records.h"
#include "data/Workspace.h"
#include "people/GroupLists.h"
#include "platform/FormRequest.h"

class QLabel;
class QLineEdit;
class QPushButton;
class QTableWidget;

namespace tko {

class FormScaffold;

class GroupListForm : public QDialog {
    Q_OBJECT
public:
    GroupListForm(Workspace& workspace, Request request, const GroupName& group,
                  QWidget* parent = nullptr);

    // Checks the request and the user's right to the group and loads its
    // members. False when the form must not open (the reason was shown).
    bool start();

    const GroupName& record() const { return m_current; }
    const WorkingList& members() const { return m_members; }
    bool completed() const;
    FormScaffold* scaffold() const { return m_scaffold; }
    QLineEdit* nameEdit() const { return m_name; }
    QTableWidget* memberTable() const { return m_table; }
    QPushButton* button(const QString& objectName) const;

    // The buttons' actions (for the buttons and for tests).
    void insertMembers();
    // Adds the people tagged in the multiple-select list; how many were new.
    int addTagged(const std::vector<GroupMember>& tagged);
    void deleteMember();
    void print();

    void reject() override;

private:
    void showMembers(const QString& highlight = {});
    bool save();
    bool remove();

    Workspace& m_workspace;
    Request m_request;
    GroupName m_current, m_opened;
    WorkingList m_members, m_openedMembers;
    bool m_storedSomething = false;
    FormScaffold* m_scaffold = nullptr;
    QLineEdit* m_name = nullptr;
    QLabel* m_createdBy = nullptr;
    QTableWidget* m_table = nullptr;
};

}  // namespace tko
