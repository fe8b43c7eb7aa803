// "Upcoming Anniversaries": the anniversaries from today up to the end date
// (over the year end when the end date lies in the next year), in the order of
// people/Anniversaries.h. A window of its own beside the frame.
#pragma once

#include <QDialog>

#include <vector>

#include "data/Workspace.h"
#include "people/Anniversaries.h"

class QLineEdit;
class QPushButton;
class QTableWidget;

namespace tko {

class UpcomingAnniversariesWindow : public QDialog {
    Q_OBJECT
public:
    // Opening resets the session's EndDate to 0 (no end date: up to day 363).
    UpcomingAnniversariesWindow(Workspace& workspace, QWidget* parent = nullptr);

    // Reads the list again for today and the session's EndDate; false (after
    // standard message 35) when the store could not be read.
    bool reload();

    const std::vector<UpcomingRow>& rows() const { return m_rows; }
    QLineEdit* endDateEdit() const { return m_endDate; }
    QTableWidget* table() const { return m_table; }
    QPushButton* calButton() const { return m_cal; }

private:
    // The end date as typed: a date reloads the list; anything else is refused
    // with the reason and the entry keeps what the user typed.
    void endDateEntered();
    void showRows(const std::vector<UpcomingRow>& rows);

    Workspace& m_workspace;
    std::vector<UpcomingRow> m_rows;
    QLineEdit* m_endDate = nullptr;
    QPushButton* m_cal = nullptr;
    QTableWidget* m_table = nullptr;
};

}  // namespace tko
