// The "Calendar" window: the office's work on a Month, Week or Day page, for
// what Look Forward (General, Person or Group, with or without secondary
// work) shows the user, with his reminders and the anniversaries.
//
// The window reads its entries through calendarEntries(), opens an
// assignment through the list actions' form (with the form's own rights),
// moves a due date through moveDueDate() and undoes it through undoMove()
// (Ctrl+Z), and reads again whenever another station changes assignments,
// reminders or anniversaries. Own window; deletes itself when closed.
#pragma once

#include <QWidget>

#include <functional>
#include <map>
#include <vector>

#include "assign/lists/ui/ListActions.h"
#include "data/Workspace.h"
#include "platform/ui/Procedures.h"
#include "views/Calendar.h"
#include "views/ui/CalendarView.h"

class QCheckBox;
class QComboBox;
class QLabel;
class QLineEdit;
class QTabBar;
class QTimer;
class QToolButton;

namespace tko {

// Prints the entries from `from` to `to` under `title` through the report
// engine: to the preview (and from there to the printer or a PDF file) or
// straight to the printer.
using CalendarPrint =
    std::function<void(QWidget* parent, Workspace& workspace, const CalendarSettings& settings,
                       Date from, Date to, const QString& title, bool preview)>;

class CalendarWindow : public QWidget {
    Q_OBJECT
public:
    // `workspace` outlives the window.
    CalendarWindow(Workspace& workspace, ListActions actions, CalendarPrint print,
                   QWidget* parent = nullptr);

    CalendarView* view() const { return m_view; }
    QTabBar* pageTabs() const { return m_pages; }
    QCheckBox* secondaryCheck() const { return m_secondary; }
    QComboBox* screenCombo() const { return m_screen; }
    QLineEdit* subjectEdit() const { return m_subject; }
    QLabel* titleLabel() const { return m_title; }
    // The moves Ctrl+Z can undo, the last one last.
    const std::vector<CalendarMove>& undoMoves() const { return m_undo; }

    // Reads the period shown again.
    void reload();
    // Prints the month (on the Month page) or the week.
    void print(bool preview);

private:
    void buildControls();
    CalendarSettings settings() const;
    void showTitle();
    void openEntry(const CalendarEntry& entry);
    void moveEntry(const CalendarEntry& entry, Date to);
    void undoLast();
    void step(int direction);

    Workspace& m_workspace;
    ListActions m_actions;
    CalendarPrint m_print;
    std::map<std::int32_t, Assignment> m_records;  // the assignments shown, by number
    std::vector<CalendarMove> m_undo;
    Date m_loadedFirst = kNoDate, m_loadedLast = kNoDate;

    CalendarView* m_view = nullptr;
    QTabBar* m_pages = nullptr;
    QCheckBox* m_secondary = nullptr;
    QComboBox* m_screen = nullptr;
    QLineEdit* m_subject = nullptr;
    QLabel* m_title = nullptr;
    QTimer* m_reloadTimer = nullptr;
};

// Opens the Calendar as an own window (the menu's way), opening assignments
// as the lists do.
CalendarWindow* openCalendarWindow(QWidget* parent, Workspace& workspace, CalendarPrint print);

// Registers "Calendar", printing through `print`.
void registerCalendarScreen(Procedures& procedures, CalendarPrint print);

}  // namespace tko
