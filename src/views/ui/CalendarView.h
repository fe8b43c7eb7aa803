// The painted page of the Calendar window: a month (six weeks), a week or a
// day of entries, drawn by hand so that a month of ten thousand assignments
// draws at once (each cell draws only as many entries as it has room for and
// says how many more there are).
//
// It holds the entries it was given and the selected day and entry; it
// decides nothing. Opening, moving and undoing are signals the window turns
// into logic calls. GUI thread only.
#pragma once

#include <QWidget>

#include <vector>

#include "views/Calendar.h"

namespace tko {

enum class CalendarPage { Month, Week, Day };

class CalendarView : public QWidget {
    Q_OBJECT
public:
    explicit CalendarView(QWidget* parent = nullptr);

    // The entries of the period shown (any order); the selection stays on its day.
    void setEntries(std::vector<CalendarEntry> entries);
    void setPage(CalendarPage page);
    void setFirstWeekday(int firstWeekday);
    void setToday(Date today);
    // Selects `date` (and no entry); the period shown follows it.
    void setSelectedDate(Date date);

    CalendarPage page() const { return m_page; }
    Date selectedDate() const { return m_selected; }
    // The selected entry, or null.
    const CalendarEntry* selectedEntry() const;
    // The period the page shows: its first and last day.
    Date firstShown() const;
    Date lastShown() const;
    const std::vector<CalendarEntry>& entries() const { return m_entries; }
    // The entries drawn on `date`, in drawing order (indexes into entries()).
    std::vector<size_t> entriesOn(Date date) const;

    // The cell rectangle of `date` (empty when not shown), and the rectangle
    // of its `line`-th entry line: for tests and for the drag's drop.
    QRect cellRect(Date date) const;
    QRect entryRect(Date date, int line) const;
    Date dateAt(const QPoint& point) const;

signals:
    void selectedDateChanged(Date date);
    // Double-click or Enter on an assignment entry.
    void openRequested(const CalendarEntry& entry);
    // An entry dropped on another day.
    void moveRequested(const CalendarEntry& entry, Date to);
    void undoRequested();

protected:
    void paintEvent(QPaintEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void mouseDoubleClickEvent(QMouseEvent* event) override;

private:
    int columns() const;
    int rows() const;
    int dayCount() const;
    int lineHeight() const;
    int headerHeight() const;
    // The entry under `point` (index into m_entries), or -1.
    int entryAt(const QPoint& point) const;
    void rebuildDays();
    void select(Date date, int entry = -1);

    CalendarPage m_page = CalendarPage::Month;
    int m_firstWeekday = 0;
    Date m_today = kNoDate;
    Date m_selected = kNoDate;
    int m_selectedEntry = -1;
    std::vector<CalendarEntry> m_entries;
    // Entries by day of the period shown: m_days[d] lists indexes into
    // m_entries, in their order.
    std::vector<std::vector<size_t>> m_days;
    Date m_daysFirst = kNoDate;
    // A drag in progress: the entry pressed and where.
    int m_pressedEntry = -1;
    QPoint m_pressPoint;
    bool m_dragging = false;
};

}  // namespace tko
