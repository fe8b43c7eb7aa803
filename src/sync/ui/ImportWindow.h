// File > Import: other programs' tasks as assignments. The user picks the
// kind of file, the file, the person the tasks are for and, for CSV, the
// column mapping; "Preview" lists what would be created and what would be
// refused and why, without writing; "Import" writes them through the same
// rules (sync/Import.h) and lists the numbers given. Registered as the
// procedure "ImportTasks".
#pragma once

#include <QDialog>

#include "data/Workspace.h"
#include "platform/ui/Procedures.h"
#include "sync/Import.h"

class QComboBox;
class QLabel;
class QLineEdit;
class QPushButton;
class QTableWidget;

namespace tko {

inline constexpr const char* kImportTasksProcedure = "ImportTasks";

class ImportWindow : public QDialog {
    Q_OBJECT
public:
    explicit ImportWindow(Workspace& workspace, QWidget* parent = nullptr);

    QComboBox* formatCombo() const { return m_format; }
    QLineEdit* fileEdit() const { return m_file; }
    QLineEdit* personEdit() const { return m_person; }
    QLineEdit* mappingEdit() const { return m_mapping; }
    QPushButton* previewButton() const { return m_preview; }
    QPushButton* importButton() const { return m_import; }
    QTableWidget* resultTable() const { return m_table; }
    QLabel* summaryLabel() const { return m_summary; }

    // Reads the file and runs the import, as a preview or for real; false
    // (with the reason shown under the table) when the file cannot be read.
    bool run(bool preview);

private:
    void browse();
    void show(const sync::ImportReport& report, bool preview);

    Workspace& m_workspace;
    QComboBox* m_format = nullptr;
    QLineEdit* m_file = nullptr;
    QLineEdit* m_person = nullptr;
    QLineEdit* m_mapping = nullptr;
    QPushButton* m_preview = nullptr;
    QPushButton* m_import = nullptr;
    QTableWidget* m_table = nullptr;
    QLabel* m_summary = nullptr;
};

void registerImportScreens(Procedures& procedures);

}  // namespace tko
