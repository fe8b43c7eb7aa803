#include "assign/lists/ui/UnseenWindow.h"

#include "assign/lists/UnseenList.h"
#include "platform/ui/BrowseList.h"

namespace tko {

UnseenWindow::UnseenWindow(Workspace& workspace, ListActions actions, QWidget* parent)
    : AssignmentListWindow(workspace, std::move(actions), parent) {
    setIdentity({"UnseenWindow", "unseenList", QStringLiteral("View Unseen or Changed Assignments"),
                 QStringLiteral("~Browse_Unseen_Assignments"), true});

    list()->setColumns({
        {QStringLiteral("Name"), QStringLiteral("NAME"), QStringLiteral("@s50"), 143},
        {QStringLiteral("Due Date"), QStringLiteral("DUEDATE"), QStringLiteral("@D17b"), 48,
         ColumnAlign::Right},
        {QStringLiteral("Priority"), QStringLiteral("PRIORITY"), QStringLiteral("@n1"), 23,
         ColumnAlign::Center},
        {QStringLiteral("Assigned Date"), QStringLiteral("ASSIGNEDDATE"), QStringLiteral("@D17"),
         63, ColumnAlign::Right},
        {QStringLiteral("Assign Number"), QStringLiteral("ASSIGNNUMBER"), QStringLiteral("@n-13"),
         52, ColumnAlign::Right},
    });
    list()->setKey(QLatin1String(kUnseenKey));
    list()->setRange(unseenRange());
    list()->setFilter(unseenFilter(m_workspace.session.GlobalUser));
    setButtons({{"viewButton", "&View", "View information on assignment",
                 [this] { viewSelected(); }, ListRole::Change, NeedsRow::Yes}});
    finish(640, 360);
}

}  // namespace tko
