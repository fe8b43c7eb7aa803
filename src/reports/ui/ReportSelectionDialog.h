// "Report Selection": the ten report types, "List by", the options and the
// look-ups for person, group and project, and "Print", which runs the chosen
// report with its output options. The rules (defaults, enabling, checks) are
// those of ReportOptions.h; this window only shows and collects them.
//
// GUI thread only.
#pragma once

#include <QDialog>

#include <array>
#include <functional>
#include <optional>

#include "data/Workspace.h"
#include "reports/ReportOptions.h"

class QButtonGroup;
class QCheckBox;
class QLineEdit;
class QPushButton;
class QRadioButton;
class QToolButton;

namespace tko {

// A look-up that lets the user pick a name; nothing when cancelled.
using ReportNameLookup =
    std::function<std::optional<QString>(QWidget* parent, Workspace& workspace)>;

struct ReportLookups {
    ReportNameLookup person;   // a person's short name
    ReportNameLookup group;    // a group list's name
    ReportNameLookup project;  // a project's name
};

class ReportSelectionDialog : public QDialog {
    Q_OBJECT
public:
    // `print` runs the report; the program passes runSelectedReport().
    using PrintAction =
        std::function<void(QWidget* parent, Workspace& workspace, const ReportParams& params)>;

    ReportSelectionDialog(Workspace& workspace, ReportLookups lookups, PrintAction print,
                          QWidget* parent = nullptr);

    // The parameters as the controls hold them.
    ReportParams params() const;

    void chooseType(ReportType type);
    ReportType type() const;
    ListBy listBy() const;

    QRadioButton* typeButton(ReportType type) const;
    QRadioButton* listByButton(ListBy listBy) const;
    QLineEdit* startDateEdit() const { return m_startDate; }
    QLineEdit* endDateEdit() const { return m_endDate; }
    QLineEdit* personEdit() const { return m_person; }
    QLineEdit* groupEdit() const { return m_group; }
    QLineEdit* projectEdit() const { return m_project; }
    QPushButton* printButton() const { return m_print; }
    QCheckBox* check(const QString& objectName) const;

    // The buttons' actions (for the buttons and tests).
    void lookUpPerson();
    void lookUpGroup();
    void lookUpProject();
    void printReport();

private:
    void onTypeChosen(int id);
    void updateEnabling();
    // Reads a date entry: its date, 0 when blank, nothing when it is no date
    // (`why` then says why).
    std::optional<Date> dateOf(QLineEdit* edit, QString* why) const;
    void checkDateEntry(QLineEdit* edit, const char* field);
    void pickDate(QLineEdit* edit);

    Workspace& m_workspace;
    ReportLookups m_lookups;
    PrintAction m_printAction;
    QButtonGroup* m_types = nullptr;
    QButtonGroup* m_listBy = nullptr;
    QCheckBox* m_secondary = nullptr;
    QCheckBox* m_summary = nullptr;
    QCheckBox* m_general = nullptr;
    QCheckBox* m_assignee = nullptr;
    QCheckBox* m_confidential = nullptr;
    QCheckBox* m_toFile = nullptr;
    QCheckBox* m_preview = nullptr;
    QCheckBox* m_dueNow = nullptr;
    QCheckBox* m_openOnly = nullptr;
    QLineEdit* m_person = nullptr;
    QLineEdit* m_group = nullptr;
    QLineEdit* m_project = nullptr;
    QToolButton* m_personLookup = nullptr;
    QToolButton* m_groupLookup = nullptr;
    QToolButton* m_projectLookup = nullptr;
    QLineEdit* m_startDate = nullptr;
    QLineEdit* m_endDate = nullptr;
    QPushButton* m_startCal = nullptr;
    QPushButton* m_endCal = nullptr;
    QPushButton* m_print = nullptr;
};

}  // namespace tko
