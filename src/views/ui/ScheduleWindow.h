// The Look Forward and History screens: one window class for the six of them
// (General, Person, Group of each), which differ only in their selector, the
// check boxes and dates above the list, the tabs and the columns. The rules
// live in views/LookForward.h and views/History.h; this class binds the
// controls to them and to the user's preferences.
//
// It stands on the assignment list window (tabs, buttons, pop-up menu, keys,
// select mode). Opened from the menu it is an own window that deletes itself
// when closed; opened in select mode (exec()) it hands back the chosen
// assignment. Closing writes the user's preferences back.
#pragma once

#include <optional>

#include "assign/lists/ui/AssignmentListWindow.h"
#include "views/History.h"
#include "views/LookForward.h"

class QCheckBox;
class QLineEdit;

namespace tko {

enum class ScheduleKind { LookForward, History };

// Opens the Projects for Assignment screen on an assignment.
using ProjectsForAssignment =
    std::function<void(QWidget* parent, Workspace& workspace, const Assignment& assignment)>;

class ScheduleWindow : public AssignmentListWindow {
    Q_OBJECT
public:
    // `workspace` outlives the window. An empty `projects` shows standard
    // message 6 for "Projects".
    ScheduleWindow(Workspace& workspace, ScheduleKind kind, ScheduleScreen screen,
                   ListActions actions, ProjectsForAssignment projects, bool selectMode,
                   QWidget* parent = nullptr);

    ScheduleKind kind() const { return m_kind; }
    ScheduleScreen screen() const { return m_screen; }
    QCheckBox* secondaryCheck() const { return m_secondary; }
    QCheckBox* dueNowCheck() const { return m_dueNow; }  // Look Forward only
    QLineEdit* endDateEdit() const { return m_endDate; }
    QLineEdit* startDateEdit() const { return m_startDate; }  // History only
    QLineEdit* selectorEdit() const { return m_selector; }    // Person and Group only
    const UserPref& preferences() const { return m_prefs; }
    // The assignment chosen with "Select" (the whole stored record).
    const std::optional<Assignment>& chosen() const { return m_chosen; }

    void openProjects();
    void lookUp();

public slots:
    // Every way of closing (Close, Escape, the title bar, Select) ends here.
    void done(int result) override;

protected:
    bool acceptChoice(const store::Row& row) override;
    bool eventFilter(QObject* watched, QEvent* event) override;
    // Coming back to a Look Forward screen whose list was read with another
    // end date than the shared one reads it again with the shared one.
    void changeEvent(QEvent* event) override;

private:
    void buildHeader();
    void buildColumns();
    void addDateEntry(QLayout* layout, const QString& label, const char* name, QLineEdit*& edit);
    void onDateAccepted(QLineEdit* edit);
    void onSelectorAccepted();
    void applyFilter();
    bool typedLetter(const QString& text);
    void writeBack();
    void showListedEndDate(Date date);

    ScheduleKind m_kind;
    ScheduleScreen m_screen;
    ProjectsForAssignment m_projects;

    ViewScope m_scope;
    ViewSubject m_subject;
    UserPref m_prefs;
    UserPref m_openedPrefs;  // as read at opening: closing writes only what differs
    bool m_written = false;
    Date m_listedEndDate = kNoDate;  // Look Forward: the end date the list was read with
    std::optional<Assignment> m_chosen;

    QCheckBox* m_secondary = nullptr;
    QCheckBox* m_dueNow = nullptr;
    QLineEdit* m_endDate = nullptr;
    QLineEdit* m_startDate = nullptr;
    QLineEdit* m_selector = nullptr;
};

}  // namespace tko
