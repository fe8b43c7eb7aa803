#include "people/ui/GroupScreens.h"

#include "data/Workspace.h"
#include "people/ui/GroupListForm.h"
#include "people/ui/GroupListsWindow.h"
#include "platform/ui/MessageBox.h"
#include "platform/ui/WindowTranslation.h"
#include "translator/Lingua.h"

namespace tko {
namespace {

std::optional<GroupName>& printing() {
    static std::optional<GroupName> group;
    return group;
}

}  // namespace

const std::optional<GroupName>& groupListToPrint() {
    return printing();
}

void printGroupList(QWidget* parent, Workspace& workspace, const GroupName& group) {
    printing() = group;
    const bool ran = procedures().run(QStringLiteral("PrintGroupList"), parent, workspace);
    printing().reset();
    if (!ran) MessageBox::showStandard(parent, 6, QStringLiteral("PrintGroupList"));
}

std::optional<GroupName> selectGroupList(QWidget* parent, Workspace& workspace) {
    GroupListsWindow window(workspace, true, parent);
    if (execTranslated(&window) != QDialog::Accepted) return std::nullopt;
    return window.chosen();
}

bool runGroupListForm(QWidget* parent, Workspace& workspace, Request request, GroupName& group) {
    GroupListForm form(workspace, request, request == Request::Insert ? GroupName{} : group,
                       parent);
    if (!form.start()) return false;
    execTranslated(&form);
    if (!form.completed()) return false;
    group = form.record();
    return true;
}

void registerGroupScreens(Procedures& procedures) {
    // The list is a window of its own beside the frame.
    procedures.add(QStringLiteral("BrowseGroupLists"), [](QWidget* parent, Workspace& workspace) {
        auto* window = new GroupListsWindow(workspace, false, parent, true);
        window->setWindowFlag(Qt::Window);
        window->setModal(false);
        showTranslated(window);
    });
}

}  // namespace tko
