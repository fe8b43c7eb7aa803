// The "Export to dBase" procedure on a demo office: who may run it, the folder
// choice, the progress window and what the user is told when a file fails.
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QTableWidget>
#include <QTemporaryDir>
#include <QTest>

#include <filesystem>

#include "app/DemoOffice.h"
#include "data/Password.h"
#include "platform/ui/MessageBox.h"
#include "platform/ui/Procedures.h"
#include "reports/ui/DbaseExportWindow.h"
#include "sync/ui/ImportWindow.h"

namespace tko {

class DbaseExportWindowTest : public QObject {
    Q_OBJECT

    std::unique_ptr<QTemporaryDir> m_dir;
    std::unique_ptr<Database> m_db;
    Workspace m_workspace;
    QString m_out;
    int m_chooserCalls = 0;

    Workspace& as(const std::string& user, int access) {
        m_workspace.session.GlobalUser = user;
        m_workspace.session.GlobalUserAccess = access;
        return m_workspace;
    }

    FolderChooser chooser(const QString& answer) {
        return [this, answer](QWidget*, const QString&) {
            ++m_chooserCalls;
            return answer;
        };
    }

    int filesIn(const QString& folder) const {
        int count = 0;
        for ([[maybe_unused]] const auto& e :
             std::filesystem::directory_iterator(folder.toStdString()))
            ++count;
        return count;
    }

private slots:
    void initTestCase() {
        setPasswordCost(PasswordCost::Minimal);
        MessageBox::setTestMode(true);
    }

    void init() {
        m_dir = std::make_unique<QTemporaryDir>();
        QVERIFY(m_dir->isValid());
        Status status;
        m_db = Database::open(DataSource{m_dir->path().toStdString(), {}}, true, status);
        QVERIFY(m_db);
        const DemoSummary demo = createDemoOffice(*m_db);
        QVERIFY2(demo.ok, demo.error.c_str());
        m_workspace.db = m_db.get();
        m_workspace.programDir = m_dir->path();
        m_out = m_dir->filePath(QStringLiteral("export"));
        QVERIFY(QDir().mkpath(m_out));
        m_chooserCalls = 0;
        MessageBox::clearShown();
    }

    // File > Import: the preview lists what would be created and what is
    // refused without writing; Import writes and gives the numbers.
    void theImportWindowPreviewsThenImports() {
        const QString path = m_dir->filePath(QStringLiteral("tasks.csv"));
        QFile file(path);
        QVERIFY(file.open(QIODevice::WriteOnly));
        file.write("Title,Due,Prio\r\nWater plants,2026-05-01,3\r\nToo high,2026-05-01,12\r\n");
        file.close();
        std::int64_t before = 0;
        QVERIFY(m_db->count<Assignment>(store::all(), before).ok());
        ImportWindow window(as("SUPERVISOR", 2));
        window.formatCombo()->setCurrentIndex(1);
        QVERIFY(window.mappingEdit()->isEnabled());
        window.fileEdit()->setText(path);
        window.mappingEdit()->setText(QStringLiteral("name=Title,due=Due,priority=Prio"));
        QTest::mouseClick(window.previewButton(), Qt::LeftButton);
        QCOMPARE(window.resultTable()->rowCount(), 2);
        QCOMPARE(window.resultTable()->item(0, 1)->text(), QStringLiteral("Water plants"));
        QVERIFY(window.resultTable()->item(1, 4)->text().contains(QStringLiteral("1 to 9")));
        std::int64_t after = 0;
        QVERIFY(m_db->count<Assignment>(store::all(), after).ok());
        QCOMPARE(after, before);
        QTest::mouseClick(window.importButton(), Qt::LeftButton);
        QVERIFY(m_db->count<Assignment>(store::all(), after).ok());
        QCOMPARE(after, before + 1);
        QCOMPARE(window.resultTable()->item(0, 4)->text(),
                 QStringLiteral("created as number %1").arg(before + 1));
        QVERIFY(window.summaryLabel()->text().startsWith(QStringLiteral("1 created, 1 refused")));
        // A file that is not there is said under the table; nothing is written.
        window.fileEdit()->setText(m_dir->filePath(QStringLiteral("none.csv")));
        QVERIFY(!window.run(false));
        QVERIFY(!window.summaryLabel()->text().isEmpty());
        QCOMPARE(window.resultTable()->rowCount(), 0);
    }

    void theMenuProcedureIsRegisteredUnderItsName() {
        Procedures registry;
        registerExportScreens(registry);
        QVERIFY(registry.has(QStringLiteral("ExportToDbase")));
    }

    void anAdministratorExportsIntoTheChosenFolder() {
        runExportToDbase(nullptr, as("SUPERVISOR", 2), chooser(m_out));
        QCOMPARE(m_chooserCalls, 1);
        QCOMPARE(filesIn(m_out), 12);
        QVERIFY(QFileInfo::exists(m_out + QStringLiteral("/ASSIGNME.DBF")));
        QVERIFY(QFileInfo::exists(m_out + QStringLiteral("/USERSDBF.dbf")));
        // It ends by saying what it wrote where.
        QCOMPARE(MessageBox::shown().size(), 1);
        QVERIFY2(MessageBox::shown().front().text.contains(
                     QStringLiteral(" records exported to 12 dBase files in ")),
                 qPrintable(MessageBox::shown().front().text));
    }

    void otherUsersAreRefusedBeforeAnyFolderIsAsked() {
        for (int access : {0, 1}) {
            MessageBox::clearShown();
            runExportToDbase(nullptr, as("BEN", access), chooser(m_out));
            QCOMPARE(MessageBox::shown().size(), 1);
            QVERIFY(MessageBox::shown().front().text.contains(
                QStringLiteral("Only a System Administrator")));
        }
        QCOMPARE(m_chooserCalls, 0);
        QCOMPARE(filesIn(m_out), 0);
    }

    void cancellingTheFolderChoiceWritesNothing() {
        runExportToDbase(nullptr, as("SUPERVISOR", 2), chooser(QString()));
        QCOMPARE(filesIn(m_out), 0);
        QVERIFY(MessageBox::shown().isEmpty());
    }

    void theWindowShowsItsTitleTextAndProgress() {
        DbaseExportWindow window(as("SUPERVISOR", 2), m_out);
        QCOMPARE(window.windowTitle(), QStringLiteral("Export data files to DBase III format"));
        QVERIFY(window.findChild<QLabel*>(QStringLiteral("statusLabel"))
                    ->text()
                    .contains(QStringLiteral("Exporting Files")));
        QCOMPARE(window.progressBar()->value(), 0);
        const DbaseExportResult result = window.run();
        QVERIFY(result.ok());
        QVERIFY(result.rows[0] > 0);  // the demo office's assignments
        QCOMPARE(window.progressBar()->value(), window.progressBar()->maximum());
        QCOMPARE(window.tableLabel()->text(), QStringLiteral("ANNIVERS.DBF"));
        QVERIFY(!window.isVisible());
    }

    void aFailedFileIsReportedWithItsTable() {
        QVERIFY(QDir(m_out).mkdir(QStringLiteral("~ASSIGNME.dbf")));
        runExportToDbase(nullptr, as("SUPERVISOR", 2), chooser(m_out));
        QCOMPARE(MessageBox::shown().size(), 1);
        QVERIFY2(MessageBox::shown().front().text.endsWith(QStringLiteral(" Assign")),
                 qPrintable(MessageBox::shown().front().text));
        QVERIFY(!QFileInfo::exists(m_out + QStringLiteral("/ASSIGNME.DBF")));
    }
};

}  // namespace tko

QTEST_MAIN(tko::DbaseExportWindowTest)
#include "DbaseExportWindowTest.moc"
