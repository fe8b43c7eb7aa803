#include "assign/ui/DeletionScreens.h"

#include "assign/Deletion.h"
#include "assign/ui/DeleteAssignmentWindow.h"
#include "assign/ui/DeleteByDateWindow.h"
#include "assign/ui/DeleteByPersonDialog.h"
#include "platform/ui/MessageBox.h"
#include "platform/ui/WindowTranslation.h"

namespace tko {

namespace {

// A window of its own beside the frame, gone when closed.
void showOwnWindow(QDialog* window) {
    window->setAttribute(Qt::WA_DeleteOnClose);
    window->setWindowFlag(Qt::Window);
    window->setModal(false);
    showTranslated(window);
}

// The batch screens open for System Administrators only (the logic refuses
// everyone else as well; this spares them an empty window).
bool batchAllowed(QWidget* parent, const Workspace& workspace) {
    if (mayDeleteInBatches(workspace.session)) return true;
    MessageBox::show(parent, batchDeletionRefusal());
    return false;
}

}  // namespace

void registerDeletionScreens(Procedures& procedures) {
    procedures.add(QStringLiteral("DeleteAssignment"), [](QWidget* parent, Workspace& workspace) {
        showOwnWindow(new DeleteAssignmentWindow(workspace, parent));
    });
    procedures.add(QStringLiteral("DeleteBatchByPerson"),
                   [](QWidget* parent, Workspace& workspace) {
                       if (!batchAllowed(parent, workspace)) return;
                       DeleteByPersonDialog dialog(workspace, parent);
                       execTranslated(&dialog);
                   });
    procedures.add(QStringLiteral("DeleteBatchByDate"), [](QWidget* parent, Workspace& workspace) {
        if (!batchAllowed(parent, workspace)) return;
        showOwnWindow(new DeleteByDateWindow(workspace, parent));
    });
}

}  // namespace tko
