// "Repeat Assignment": edits the repetition fields of an assignment record in
// place. "Stop Repeating" acts on the record at once; "OK" stores the chosen
// rule into it; the caller stores the record. While the user edits, the
// dialog shows the next five dates the rule gives after the due date.
#pragma once

#include <QDialog>

#include <array>

#include "data/Records.h"

class QButtonGroup;
class QCheckBox;
class QGroupBox;
class QHBoxLayout;
class QLabel;
class QLineEdit;
class QRadioButton;

namespace tko {

class RepeatAssignmentDialog : public QDialog {
    Q_OBJECT
public:
    // `record` must outlive the dialog.
    explicit RepeatAssignmentDialog(Assignment& record, QWidget* parent = nullptr);

    // The chosen option, 1 ("No Repeats") to 9 ("Set Weekdays").
    int chosenType() const;
    void chooseType(int type);

    QRadioButton* typeButton(int type) const { return m_types[static_cast<size_t>(type - 1)]; }
    // By weekday number, 0 = Sunday.
    QCheckBox* dayCheck(int day) const { return m_days[static_cast<size_t>(day)]; }
    QRadioButton* occurrenceButton(int k) const {
        return m_occurrences[static_cast<size_t>(k - 1)];
    }
    QRadioButton* weekdayButton(int day) const { return m_weekdays[static_cast<size_t>(day)]; }
    QLineEdit* numberEdit() const { return m_number; }
    QLabel* unitLabel() const { return m_unit; }
    QLabel* afterLabel() const { return m_after; }
    QCheckBox* stopCheck() const { return m_stop; }
    // The next five dates the rule as chosen now gives after the due date.
    QLabel* nextDatesLabel() const { return m_nextDates; }

public slots:
    void accept() override;

private:
    QGroupBox* buildTypeBox();
    QGroupBox* buildDayBox();
    QGroupBox* buildOccurrenceBox();
    QGroupBox* buildWeekdayBox();
    QHBoxLayout* buildNumberRow();
    int loadRule(const Assignment& record);
    void onTypeChosen(int type);
    void onStopToggled(bool checked);
    // Writes the rule as the controls choose it into `rule` (the number as
    // typed, unchecked).
    void fillRule(Assignment& rule) const;
    void showNextDates();

    Assignment& m_record;
    QButtonGroup* m_typeGroup = nullptr;
    QButtonGroup* m_occurrenceGroup = nullptr;
    QButtonGroup* m_weekdayGroup = nullptr;
    std::array<QRadioButton*, 9> m_types{};
    std::array<QCheckBox*, 7> m_days{};
    std::array<QRadioButton*, 5> m_occurrences{};
    std::array<QRadioButton*, 7> m_weekdays{};
    QWidget* m_dayBox = nullptr;
    QWidget* m_occurrenceBox = nullptr;
    QWidget* m_weekdayBox = nullptr;
    QLineEdit* m_number = nullptr;
    QLabel* m_unit = nullptr;
    QLabel* m_after = nullptr;
    QLabel* m_ofMonth = nullptr;
    QCheckBox* m_stop = nullptr;
    QLabel* m_nextDates = nullptr;
};

}  // namespace tko
