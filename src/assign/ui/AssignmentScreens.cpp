#include "assign/ui/AssignmentScreens.h"

#include "assign/Deletion.h"
#include "assign/ui/AssignmentForm.h"
#include "assign/ui/ReminderForm.h"
#include "data/Integrity.h"
#include "data/Keys.h"
#include "data/Workspace.h"
#include "platform/ui/MessageBox.h"
#include "platform/ui/WindowTranslation.h"

namespace tko {
namespace {

// A delete request needs no window: the record goes through the integrity
// delete, for those who may delete it, with the offer to try again while it
// fails.
bool deleteWithRetry(QWidget* parent, Workspace& workspace, const Assignment& record) {
    access::Viewer viewer;
    if (!access::loadViewer(*workspace.db, workspace.session, viewer).ok()) {
        MessageBox::showStandard(parent, 35,
                                 QString::fromStdString(workspace.db->lastError().describe()),
                                 QStringLiteral("SYSTEMPREF"));
        return false;
    }
    for (;;) {
        const Outcome out = deleteAssignment(*workspace.db, viewer, record);
        if (out.ok()) return true;
        showOutcome(parent, out);
        if (out.kind == Outcome::Refused) return false;
        if (MessageBox::showStandard(parent, 18) != Answer::Yes) return false;
    }
}

}  // namespace

bool runAssignmentForm(QWidget* parent, Workspace& workspace, Request request, Assignment& record) {
    if (request == Request::Delete) return deleteWithRetry(parent, workspace, record);
    workspace.session.GlobalNavigation = RecordNavigation::None;
    AssignmentForm form(workspace, request, record, parent);
    if (!form.start()) return false;
    execTranslated(&form);
    // The calling list reads where the form asked it to go.
    workspace.session.GlobalNavigation = form.navigation();
    if (form.completed()) record = form.record();
    return form.completed();
}

bool runGroupAssignmentForm(QWidget* parent, Workspace& workspace) {
    AssignmentForm form(workspace, AssignmentForm::Target::Group, parent);
    if (!form.start()) return false;
    execTranslated(&form);
    return form.completed();
}

bool runReminderForm(QWidget* parent, Workspace& workspace, Request request, Reminder& reminder) {
    Assignment owner;
    if (!workspace.db->fetch(key::ASS_NUMBER_KEY, {std::int64_t{reminder.ASSIGNNUMBER}}, owner)
             .ok()) {
        MessageBox::showStandard(parent, 35,
                                 QString::fromStdString(workspace.db->lastError().describe()),
                                 QStringLiteral("ASSIGNMENT"));
        return false;
    }
    ReminderForm form(workspace, request, reminder, owner, parent);
    if (!form.start()) return false;
    execTranslated(&form);
    if (form.completed()) reminder = form.reminder();
    return form.completed();
}

void registerAssignmentScreens(Procedures& procedures) {
    procedures.add(QStringLiteral("UpdateAssignment"), [](QWidget* parent, Workspace& workspace) {
        Assignment cleared;
        runAssignmentForm(parent, workspace, Request::Insert, cleared);
    });
    procedures.add(
        QStringLiteral("UpdateGroupAssignment"),
        [](QWidget* parent, Workspace& workspace) { runGroupAssignmentForm(parent, workspace); });
}

}  // namespace tko
