// "Export data files to DBase III format": asks for the folder, then shows
// "Exporting Files" with a progress bar while the twelve files are written,
// and closes when done. Registered as the procedure "ExportToDbase".
#pragma once

#include <QDialog>
#include <QString>

#include <functional>

#include "data/Workspace.h"
#include "platform/ui/Procedures.h"
#include "reports/DbaseExport.h"

class QLabel;
class QProgressBar;

namespace tko {

inline constexpr const char* kExportToDbaseProcedure = "ExportToDbase";

class DbaseExportWindow : public QDialog {
    Q_OBJECT
public:
    DbaseExportWindow(Workspace& workspace, QString folder, QWidget* parent = nullptr);

    // Writes the files, keeping the window up to date; the result as the
    // export gives it.
    DbaseExportResult run();

    QProgressBar* progressBar() const { return m_progress; }
    QLabel* tableLabel() const { return m_table; }

private:
    void onProgress(const DbaseProgress& step);

    Workspace& m_workspace;
    QString m_folder;
    QLabel* m_status = nullptr;
    QLabel* m_table = nullptr;
    QProgressBar* m_progress = nullptr;
};

// The folder the user picks, or an empty text for "Cancel"; tests hand in
// their own.
using FolderChooser = std::function<QString(QWidget* parent, const QString& start)>;
FolderChooser folderDialog();

// The whole procedure: refuses anyone but a System Administrator, asks for
// the folder (starting at the current directory), exports with the progress
// window, and reports a failure or values that had to be adjusted.
void runExportToDbase(QWidget* parent, Workspace& workspace, const FolderChooser& chooseFolder);

void registerExportScreens(Procedures& procedures);

}  // namespace tko
