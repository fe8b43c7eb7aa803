// The "Look Up Calendar": one month as a grid of days (Sunday first), entries
// for the month and the year, OK and Cancel. Returns a standard date.
//
// Keys in the grid: arrows move a day or a week, PgUp and PgDn a month,
// Ctrl+PgUp and Ctrl+PgDn a year, Home and End the month's first and last
// day, Enter takes the date. A double-click on a day takes it too.
#pragma once

#include "platform/CalendarMonth.h"

#include <QDialog>

#include <optional>

class QComboBox;
class QSpinBox;
class QTableWidget;

namespace tko {

class CalendarPopup : public QDialog {
    Q_OBJECT
public:
    // Opens on `initial` (today's date when it is 0 or unsupported).
    explicit CalendarPopup(Date initial, QWidget* parent = nullptr);

    // Modal: the chosen date, or nothing when cancelled.
    static std::optional<Date> pick(QWidget* parent, Date initial);

    Date date() const { return m_date; }
    void setDate(Date date);
    const CalendarMonth& month() const { return m_month; }

    QTableWidget* grid() const { return m_grid; }
    QComboBox* monthEdit() const { return m_monthEdit; }
    QSpinBox* yearEdit() const { return m_yearEdit; }

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void showMonth();
    void onCellClicked(int row, int column);
    void onMonthEdited();

    CalendarMonth m_month;
    Date m_date;
    QTableWidget* m_grid = nullptr;
    QComboBox* m_monthEdit = nullptr;
    QSpinBox* m_yearEdit = nullptr;
    bool m_updating = false;
};

}  // namespace tko
