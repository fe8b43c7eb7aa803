#include "reports/ui/DbaseExportWindow.h"

#include <QApplication>
#include <QDir>
#include <QFileDialog>
#include <QLabel>
#include <QProgressBar>
#include <QVBoxLayout>

#include "platform/QtText.h"
#include "platform/Translate.h"
#include "platform/ui/MessageBox.h"
#include "platform/ui/WindowTranslation.h"

namespace tko {

namespace {

constexpr const char* kTitle = "Export data files to DBase III format";
constexpr int kShownAdjustments = 20;

}  // namespace

DbaseExportWindow::DbaseExportWindow(Workspace& workspace, QString folder, QWidget* parent)
    : QDialog(parent), m_workspace(workspace), m_folder(std::move(folder)) {
    setObjectName(QStringLiteral("DbaseExportWindow"));
    setWindowTitle(translated(kTitle));
    setModal(true);
    m_status = new QLabel(translated("Exporting Files"), this);
    m_status->setObjectName(QStringLiteral("statusLabel"));
    m_table = new QLabel(this);
    m_table->setObjectName(QStringLiteral("tableLabel"));
    m_progress = new QProgressBar(this);
    m_progress->setObjectName(QStringLiteral("exportProgress"));
    m_progress->setRange(0, static_cast<int>(dbaseTables().size()) * 100);
    m_progress->setValue(0);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(m_status);
    layout->addWidget(m_table);
    layout->addWidget(m_progress);
    resize(420, 120);
}

void DbaseExportWindow::onProgress(const DbaseProgress& step) {
    const DbaseTable& table = dbaseTables()[static_cast<size_t>(step.table)];
    m_table->setText(QString::fromStdString(dbaseFileName(table)));
    int share = 100;
    if (!step.tableDone)
        share = step.tableRows > 0 ? static_cast<int>(step.rows * 100 / step.tableRows) : 0;
    m_progress->setValue(step.table * 100 + std::min(share, 100));
    // The export runs on this thread: let the window paint between pages.
    QApplication::processEvents(QEventLoop::ExcludeUserInputEvents);
}

DbaseExportResult DbaseExportWindow::run() {
    show();
    QApplication::setOverrideCursor(Qt::WaitCursor);
    QApplication::processEvents(QEventLoop::ExcludeUserInputEvents);
    const DbaseExportResult result = exportToDbase(
        *m_workspace.db, m_workspace.session, QDir(m_folder).absolutePath().toStdString(),
        [this](const DbaseProgress& step) { onProgress(step); });
    QApplication::restoreOverrideCursor();
    close();
    return result;
}

FolderChooser folderDialog() {
    return [](QWidget* parent, const QString& start) {
        return QFileDialog::getExistingDirectory(parent, translated(kTitle), start);
    };
}

void runExportToDbase(QWidget* parent, Workspace& workspace, const FolderChooser& chooseFolder) {
    // The menu item is enabled for System Administrators only; the rule is
    // checked here again, whatever route led here.
    if (!mayExportData(workspace.session)) {
        MessageBox::showText(
            parent, QStringLiteral("Only a System Administrator may export the data files."),
            QLatin1String(kTitle), MessageButtons::Ok, {}, MessageBox::Icon::Warning);
        return;
    }
    const QString folder = chooseFolder(parent, QDir::currentPath());
    if (folder.isEmpty()) return;
    DbaseExportWindow window(workspace, folder, parent);
    translateWindow(&window);
    const DbaseExportResult result = window.run();
    if (result.kind != DbaseExportResult::Done) {
        MessageBox::showText(parent, QStringLiteral("%1"), QLatin1String(kTitle),
                             MessageButtons::Ok, {QString::fromStdString(result.message)},
                             MessageBox::Icon::Critical);
        return;
    }
    if (result.adjustedValues > 0) {
        QStringList lines;
        for (size_t i = 0; i < result.adjusted.size() && i < size_t(kShownAdjustments); ++i)
            lines << QString::fromStdString(result.adjusted[i]);
        if (result.adjustedValues > lines.size())
            lines << translated("%1 more").arg(result.adjustedValues - lines.size());
        MessageBox::showText(
            parent,
            QStringLiteral("Some values could not be written as they are (a character that "
                           "dBase files cannot hold became \"?\"):\n%1"),
            QLatin1String(kTitle), MessageButtons::Ok, {lines.join(QLatin1Char('\n'))},
            MessageBox::Icon::Warning);
    }
    MessageBox::showText(parent, QStringLiteral("%1"), QLatin1String(kTitle), MessageButtons::Ok,
                         {QString::fromStdString(dbaseExportSummary(
                             result, QDir::toNativeSeparators(folder).toStdString()))},
                         MessageBox::Icon::Information);
}

void registerExportScreens(Procedures& procedures) {
    procedures.add(QLatin1String(kExportToDbaseProcedure),
                   [](QWidget* parent, Workspace& workspace) {
                       runExportToDbase(parent, workspace, folderDialog());
                   });
}

}  // namespace tko
