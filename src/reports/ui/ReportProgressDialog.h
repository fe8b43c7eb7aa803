// "Generating Report": the bar, the text "0% Completed" growing as records
// are read, "Completed" at the end, and "Cancel", which ends the report.
//
// The report runs on the GUI thread; progress() lets the window's events
// (the Cancel button) through while it runs. GUI thread only.
#pragma once

#include <QDialog>
#include <QElapsedTimer>

#include "reports/ReportEngine.h"

class QLabel;
class QProgressBar;
class QPushButton;

namespace tko {

class ReportProgressDialog : public QDialog {
    Q_OBJECT
public:
    explicit ReportProgressDialog(QWidget* parent = nullptr);

    // The callback for the report engine: shows `percent` and returns false
    // once "Cancel" was pressed.
    ReportProgress progress();
    // Shows "Completed".
    void completed();

    bool cancelled() const { return m_cancelled; }
    QPushButton* cancelButton() const { return m_cancel; }
    QLabel* statusLabel() const { return m_status; }
    QProgressBar* bar() const { return m_bar; }

signals:
    // Emitted as the percentage changes (tests press Cancel from here).
    void progressed(int percent);

private:
    bool showPercent(int percent);

    QProgressBar* m_bar = nullptr;
    QLabel* m_status = nullptr;
    QPushButton* m_cancel = nullptr;
    bool m_cancelled = false;
    int m_shown = -1;
    QElapsedTimer m_sinceEvents;
};

}  // namespace tko
