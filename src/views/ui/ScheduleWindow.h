// The Look Forward and History screens: one window class for the six of them
// (General, Person, Group of each), which differ only in their selector, the
// check boxes and dates above the list, the tabs and the columns. The rules
// live in views/LookForward.h and views/History.h; this class binds the
// controls to them and to the user's preferences.
//
// Opened from the menu it is an own window that deletes itself when closed;
// opened in select mode (exec()) it is modal and hands back the chosen
// assignment. Closing writes the user's preferences back.
#pragma once

#include <QDialog>

#include <optional>

#include "assign/lists/ui/ListActions.h"
#include "views/History.h"
#include "views/LookForward.h"

class QCheckBox;
class QLineEdit;
class QMenu;
class QPushButton;

namespace tko {

class BrowseList;

enum class ScheduleKind { LookForward, History };

// Opens the Projects for Assignment screen on an assignment.
using ProjectsForAssignment =
    std::function<void(QWidget* parent, Workspace& workspace, const Assignment& assignment)>;

class ScheduleWindow : public QDialog {
    Q_OBJECT
public:
    // `workspace` outlives the window. An empty `projects` shows standard
    // message 6 for "Projects".
    ScheduleWindow(Workspace& workspace, ScheduleKind kind, ScheduleScreen screen,
                   ListActions actions, ProjectsForAssignment projects, bool selectMode,
                   QWidget* parent = nullptr);

    ScheduleKind kind() const { return m_kind; }
    ScheduleScreen screen() const { return m_screen; }
    BrowseList* list() const { return m_list; }
    QPushButton* button(const QString& objectName) const;
    QCheckBox* secondaryCheck() const { return m_secondary; }
    QCheckBox* dueNowCheck() const { return m_dueNow; }  // Look Forward only
    QLineEdit* endDateEdit() const { return m_endDate; }
    QLineEdit* startDateEdit() const { return m_startDate; }  // History only
    QLineEdit* selectorEdit() const { return m_selector; }    // Person and Group only
    QMenu* popupMenu() const { return m_popup; }
    const UserPref& preferences() const { return m_prefs; }
    int currentTab() const;
    // The assignment chosen with "Select".
    const std::optional<Assignment>& chosen() const { return m_chosen; }

    // The buttons and menu items, callable from tests.
    void changeSelected();
    void insertAssignment();
    void concludeSelected();
    void selectHighlighted();
    void openProjects();
    void lookUp();
    // Enables the pop-up menu's items for the list as it is and shows it.
    void showPopup(const QPoint& globalPos);
    void updatePopup();

public slots:
    void done(int result) override;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;

private:
    void buildControls();
    void buildColumns();
    void addDateEntry(QLayout* layout, const QString& label, const char* name, QLineEdit*& edit);
    void onDateAccepted(QLineEdit* edit);
    void onSelectorAccepted();
    void applyFilter();
    void reloadKeeping();
    void reloadOn(const store::Row& row);
    void updateButtons();
    bool typedLetter(const QString& text);
    std::optional<Assignment> highlighted();
    void writeBack();

    Workspace& m_workspace;
    ScheduleKind m_kind;
    ScheduleScreen m_screen;
    ListActions m_actions;
    ProjectsForAssignment m_projects;
    bool m_selectMode;

    ViewScope m_scope;
    ViewSubject m_subject;
    UserPref m_prefs;
    bool m_written = false;
    std::optional<Assignment> m_chosen;

    BrowseList* m_list = nullptr;
    QCheckBox* m_secondary = nullptr;
    QCheckBox* m_dueNow = nullptr;
    QLineEdit* m_endDate = nullptr;
    QLineEdit* m_startDate = nullptr;
    QLineEdit* m_selector = nullptr;
    QPushButton* m_select = nullptr;
    QPushButton* m_change = nullptr;
    QPushButton* m_insert = nullptr;
    QPushButton* m_conclude = nullptr;
    QMenu* m_popup = nullptr;
    QAction* m_popupInsert = nullptr;
    QAction* m_popupChange = nullptr;
    QAction* m_popupProjects = nullptr;
};

}  // namespace tko
