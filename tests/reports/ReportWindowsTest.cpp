// The report windows offscreen: "Report Selection" enabling and defaults,
// output to a text file (not the printer), "Report Preview" navigation, grid
// and saving, Cancel in "Generating Report", a PDF read back with pdftotext
// and the command line's report.
#include <QCheckBox>
#include <QDir>
#include <QFrame>
#include <QLabel>
#include <QLineEdit>
#include <QPrinter>
#include <QProcess>
#include <QPushButton>
#include <QRadioButton>
#include <QScrollArea>
#include <QScrollBar>
#include <QSpinBox>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QtTest>

#include "platform/Picture.h"
#include "platform/ui/MessageBox.h"
#include "reports/TextReportFile.h"
#include "reports/ui/PagePainter.h"
#include "reports/ui/ReportOutput.h"
#include "reports/ui/ReportPreview.h"
#include "reports/ui/ReportProgressDialog.h"
#include "reports/ui/ReportScreens.h"
#include "reports/ui/ReportSelectionDialog.h"

using namespace tko;

namespace {

constexpr Date kToday = 82000;

QStringList readLines(const QString& path) {
    QStringList out;
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) return out;
    while (!file.atEnd()) out << QString::fromUtf8(file.readLine()).chopped(1);
    return out;
}

// The text of a PDF as pdftotext lays it out; empty when it cannot run.
QString pdfText(const QString& pdf) {
    QProcess process;
    process.start(QStringLiteral("pdftotext"),
                  {QStringLiteral("-layout"), pdf, QStringLiteral("-")});
    if (!process.waitForFinished(60000) || process.exitCode() != 0) return {};
    return QString::fromUtf8(process.readAllStandardOutput());
}

}  // namespace

class ReportWindowsTest : public QObject {
    Q_OBJECT

private slots:
    void initTestCase();
    void cleanup();
    void printFollowsTheDatesOfTheChosenType();
    void switchingTypeResetsListBy();
    void lookupsFillTheirFieldsAndMissingOnesSaySo();
    void aNameTooLongIsRefusedNotCut();
    void textReportGoesToTheChosenFileNotThePrinter();
    void previewThenPrintPrintsThePages();
    void aOnePagePreview();
    void aGridLargerThanTheRemainingPagesHidesItsCells();
    void elevenSavedPagesAreNumbered();
    void cancelInTheProgressWindowWritesNothing();
    void pdfReadsBackWithTheRightRowsAndPages();
    void commandLineWritesTextAndPdf();
    void theWindowsPrintButtonsRunTheirReports();

private:
    void addAssignments(int count);
    QStringList makePages(int count);

    QTemporaryDir m_dir;
    std::unique_ptr<Database> m_db;
    Workspace m_workspace;
    int m_next = 0;
};

void ReportWindowsTest::initTestCase() {
    QVERIFY(m_dir.isValid());
    MessageBox::setTestMode(true);
    Clock::setFixed(kToday, 0);
    Status status;
    m_db = Database::open({m_dir.path().toStdString(), {}}, true, status);
    QVERIFY2(m_db, status.describe().c_str());
    SystemPref sys;
    QVERIFY(m_db->add(sys).ok());
    m_workspace.db = m_db.get();
    m_workspace.session.GlobalUser = "BOSS";
    m_workspace.session.GlobalUserAccess = 2;
}

void ReportWindowsTest::cleanup() {
    reportOutputHooks() = {};
    MessageBox::clearShown();
}

void ReportWindowsTest::addAssignments(int count) {
    for (int i = 0; i < count; ++i) {
        Assignment a;
        a.ASSIGNNUMBER = ++m_next;
        a.NAME = QStringLiteral("task%1").arg(m_next, 4, 10, QLatin1Char('0')).toStdString();
        a.PERSON = "ANN";
        a.USERNAME = "BOSS";
        a.DUEDATE = kToday + m_next;
        a.ASSIGNEDDATE = kToday - 1;
        a.PRIORITY = 5;
        a.REPEATTYPE = "No Repeats";
        QVERIFY(m_db->add(a).ok());
    }
}

QStringList ReportWindowsTest::makePages(int count) {
    static QTemporaryDir pagesDir;
    const QString dir = pagesDir.path() + QStringLiteral("/set%1").arg(count);
    QDir().mkpath(dir);
    SvgPageFiles files(dir);
    for (int n = 1; n <= count; ++n) {
        ReportPage page;
        page.number = n;
        page.lines.push_back(PageLine::text(0, QStringLiteral("page number %1").arg(n)));
        files.addPage(page);
    }
    return files.files();
}

void ReportWindowsTest::printFollowsTheDatesOfTheChosenType() {
    ReportSelectionDialog dialog(m_workspace, {}, {});
    QVERIFY(dialog.printButton()->isEnabled());
    dialog.chooseType(ReportType::HistoryPerson);
    QVERIFY(!dialog.printButton()->isEnabled());
    QVERIFY(dialog.personEdit()->isEnabled());
    QVERIFY(!dialog.groupEdit()->isEnabled());
    dialog.startDateEdit()->setText(formatDate(kToday - 5, u"@D18b"));
    QVERIFY(!dialog.printButton()->isEnabled());
    dialog.endDateEdit()->setText(formatDate(kToday, u"@D18b"));
    QVERIFY(dialog.printButton()->isEnabled());
    dialog.startDateEdit()->setText(QStringLiteral("no date at all"));
    QVERIFY(!dialog.printButton()->isEnabled());

    dialog.chooseType(ReportType::LookForwardGeneral);
    QVERIFY(!dialog.startDateEdit()->isEnabled());
    QVERIFY(dialog.printButton()->isEnabled());  // the End Date is still filled in
    dialog.endDateEdit()->clear();
    QVERIFY(!dialog.printButton()->isEnabled());
    dialog.chooseType(ReportType::ProjectAll);
    QVERIFY(dialog.printButton()->isEnabled());
    QCOMPARE(dialog.typeButton(ReportType::LookForwardGeneral)->toolTip(),
             QStringLiteral("Print unconcluded assignments due before a specified date"));
    QCOMPARE(dialog.check(QStringLiteral("openOnlyCheck"))->toolTip(),
             QStringLiteral("Do not inlcude any assignments that are concluded"));
}

void ReportWindowsTest::switchingTypeResetsListBy() {
    ReportSelectionDialog dialog(m_workspace, {}, {});
    QCOMPARE(dialog.listBy(), ListBy::DueDate);
    dialog.typeButton(ReportType::HistoryGeneral)->click();
    QCOMPARE(dialog.listBy(), ListBy::DateAssigned);
    dialog.listByButton(ListBy::Person)->click();
    dialog.typeButton(ReportType::CurrentReminders)->click();
    QCOMPARE(dialog.listBy(), ListBy::Person);
    dialog.typeButton(ReportType::ProjectSingle)->click();
    QCOMPARE(dialog.listBy(), ListBy::DueDate);
}

void ReportWindowsTest::lookupsFillTheirFieldsAndMissingOnesSaySo() {
    ReportLookups lookups;
    lookups.person = [](QWidget*, Workspace&) {
        return std::optional<QString>(QStringLiteral("ANN"));
    };
    lookups.project = [](QWidget*, Workspace&) { return std::optional<QString>(); };
    ReportSelectionDialog dialog(m_workspace, lookups, {});
    dialog.chooseType(ReportType::LookForwardPerson);
    dialog.lookUpPerson();
    QCOMPARE(dialog.personEdit()->text(), QStringLiteral("ANN"));
    dialog.projectEdit()->setText(QStringLiteral("kept"));
    dialog.lookUpProject();
    QCOMPARE(dialog.projectEdit()->text(), QStringLiteral("kept"));
    dialog.lookUpGroup();
    QCOMPARE(MessageBox::shown().size(), 1);
    QCOMPARE(MessageBox::shown().front().number, 6);
}

void ReportWindowsTest::aNameTooLongIsRefusedNotCut() {
    int printed = 0;
    ReportSelectionDialog dialog(m_workspace, {},
                                 [&](QWidget*, Workspace&, const ReportParams&) { ++printed; });
    dialog.chooseType(ReportType::LookForwardPerson);
    dialog.endDateEdit()->setText(formatDate(kToday + 5, u"@D18b"));
    const QString typed = QStringLiteral("ABCDEFGHIJKLMNOPQ");  // 17 characters
    dialog.personEdit()->setText(typed);
    dialog.printButton()->click();
    QCOMPARE(printed, 0);
    QCOMPARE(dialog.personEdit()->text(), typed);
    QCOMPARE(MessageBox::shown().size(), 1);
    dialog.personEdit()->setText(QStringLiteral("ANN"));
    dialog.printButton()->click();
    QCOMPARE(printed, 1);
}

void ReportWindowsTest::textReportGoesToTheChosenFileNotThePrinter() {
    addAssignments(3);
    const QString file = m_dir.filePath(QStringLiteral("OUT.TXT"));
    int printers = 0;
    reportOutputHooks().chooseTextFile = [&](QWidget*) { return file; };
    reportOutputHooks().confirmPrinter = [&](QWidget*, QPrinter&) {
        ++printers;
        return false;
    };
    ReportParams params;
    params.type = ReportType::LookForwardGeneral;
    params.endDate = kToday + 100;
    params.printToFile = true;
    QCOMPARE(runSelectedReport(nullptr, m_workspace, params), ReportRunOutcome::WrittenToFile);
    QCOMPARE(printers, 0);
    const QStringList lines = readLines(file);
    QVERIFY(!lines.isEmpty());
    QVERIFY(lines[0].contains(QStringLiteral("General Look Forward To")));
    QStringList rows = lines.filter(QRegularExpression(QStringLiteral("^task\\d{4}")));
    QCOMPARE(rows.size(), 3);
    QVERIFY(rows[0].startsWith(QStringLiteral("task0001")));
    QVERIFY(rows[2].startsWith(QStringLiteral("task0003")));
}

void ReportWindowsTest::previewThenPrintPrintsThePages() {
    const QString pdf = m_dir.filePath(QStringLiteral("printed.pdf"));
    QStringList previewed;
    reportOutputHooks().preview = [&](QWidget*, const QStringList& pages) {
        previewed = pages;
        return true;
    };
    reportOutputHooks().confirmPrinter = [&](QWidget*, QPrinter& printer) {
        printer.setOutputFormat(QPrinter::PdfFormat);
        printer.setOutputFileName(pdf);
        return true;
    };
    ReportParams params;
    params.type = ReportType::LookForwardGeneral;
    params.endDate = kToday + 100;
    params.preview = true;
    QCOMPARE(runSelectedReport(nullptr, m_workspace, params), ReportRunOutcome::Printed);
    QVERIFY(!previewed.isEmpty());
    QVERIFY(QFileInfo(pdf).size() > 0);
    const QString text = pdfText(pdf);
    if (text.isEmpty()) QSKIP("pdftotext (poppler-utils) is not installed");
    QVERIFY(text.contains(QStringLiteral("General Look Forward To")));
    // The preview's page files are gone once the report is done.
    QVERIFY(!QFileInfo::exists(previewed.front()));

    // Printing again: the dialog does not offer the last file, and the file
    // chosen again is replaced only when the user says so.
    QString offered = QStringLiteral("?");
    reportOutputHooks().confirmPrinter = [&](QWidget*, QPrinter& printer) {
        offered = printer.outputFileName();
        printer.setOutputFormat(QPrinter::PdfFormat);
        printer.setOutputFileName(pdf);
        return true;
    };
    const QDateTime written = QFileInfo(pdf).lastModified();
    MessageBox::clearShown();
    MessageBox::setNextAnswer(Answer::No);
    QCOMPARE(runSelectedReport(nullptr, m_workspace, params), ReportRunOutcome::NotPrinted);
    QVERIFY(offered.isEmpty());
    QCOMPARE(MessageBox::shown().size(), 1);
    QVERIFY(MessageBox::shown().last().text.endsWith(
        QStringLiteral(" already exists. Do you want to replace it?")));
    QCOMPARE(QFileInfo(pdf).lastModified(), written);

    // Exit in the preview prints nothing.
    QFile::remove(pdf);
    reportOutputHooks().preview = [](QWidget*, const QStringList&) { return false; };
    QCOMPARE(runSelectedReport(nullptr, m_workspace, params), ReportRunOutcome::NotPrinted);
    QVERIFY(!QFileInfo::exists(pdf));
}

void ReportWindowsTest::aOnePagePreview() {
    ReportPreview preview(makePages(1));
    QAction* next = preview.action(QStringLiteral("nextAction"));
    QAction* previous = preview.action(QStringLiteral("previousAction"));
    QVERIFY(next->isEnabled());
    QVERIFY(previous->isEnabled());
    QCOMPARE(preview.pagesStatus()->text(), QStringLiteral("Page 1 of 1"));
    QCOMPARE(preview.zoomStatus()->text(), QStringLiteral("No Zoom"));
    QVERIFY(preview.cellFrame(1) && !preview.cellFrame(1)->isHidden());
    preview.action(QStringLiteral("zoomAction4"))->trigger();  // 100 Percent
    QCOMPARE(preview.zoomStatus()->text(), QStringLiteral("Zoom (100%)"));
    QVERIFY(!preview.zoomImage()->pixmap().isNull());
    QCOMPARE(preview.pageEdit()->toolTip(), QStringLiteral("Enter a page number from 1 to 1"));
    preview.action(QStringLiteral("printAction"))->trigger();
    QVERIFY(preview.printChosen());
}

void ReportWindowsTest::aGridLargerThanTheRemainingPagesHidesItsCells() {
    ReportPreview preview(makePages(5));
    // At opening the page fills the window's view, not a few pixels of it.
    preview.show();
    QVERIFY(QTest::qWaitForWindowExposed(&preview));
    QCoreApplication::processEvents();
    auto* area = preview.findChild<QScrollArea*>(QStringLiteral("gridArea"));
    QVERIFY(preview.cellImage(1)->pixmap().height() > area->viewport()->height() * 3 / 4);
    // Three by two: both rows whole in the view, no scroll bar.
    preview.setGrid(3, 2);
    QCoreApplication::processEvents();
    QVERIFY(!area->verticalScrollBar()->isVisible());
    QVERIFY(!area->horizontalScrollBar()->isVisible());
    for (int cell = 1; cell <= 5; ++cell) {
        const QRect shown = preview.cellFrame(cell)->geometry();
        QVERIFY2(area->viewport()->rect().contains(shown), qPrintable(QString::number(cell)));
        QVERIFY(preview.cellImage(cell)->pixmap().height() > area->viewport()->height() / 3);
    }
    QCOMPARE(preview.pagesStatus()->text(), QStringLiteral("Pages 1-5 of 5"));
    for (int cell = 1; cell <= 5; ++cell) QVERIFY(!preview.cellFrame(cell)->isHidden());
    QVERIFY(preview.cellFrame(6)->isHidden());
    QVERIFY(preview.cellImage(6)->isHidden());
    QCOMPARE(preview.cellFrame(6)->objectName(), QStringLiteral("frame109"));
    QCOMPARE(preview.cellImage(1)->objectName(), QStringLiteral("image204"));
    QVERIFY(!preview.action(QStringLiteral("nextAction"))->isEnabled());
    QVERIFY(!preview.action(QStringLiteral("previousAction"))->isEnabled());
    preview.setGrid(2, 1);
    preview.nextPages();
    preview.nextPages();
    QCOMPARE(preview.pagesStatus()->text(), QStringLiteral("Page 5 of 5"));
    QVERIFY(!preview.cellFrame(1)->isHidden());
    QVERIFY(preview.cellFrame(2)->isHidden());
    QVERIFY(preview.action(QStringLiteral("previousAction"))->isEnabled());
    QVERIFY(!preview.action(QStringLiteral("nextAction"))->isEnabled());
    preview.jumpToPage(2);
    QCOMPARE(preview.pagesStatus()->text(), QStringLiteral("Pages 2-3 of 5"));
    QCOMPARE(preview.pageEdit()->value(), 2);
    preview.action(QStringLiteral("exitAction"))->trigger();
    QVERIFY(!preview.printChosen());
}

void ReportWindowsTest::elevenSavedPagesAreNumbered() {
    ReportPreview preview(makePages(11));
    QTemporaryDir target;
    QCOMPARE(preview.saveAs(target.filePath(QStringLiteral("REPORT.SVG")), QStringLiteral(".svg")),
             11);
    QStringList saved = QDir(target.path()).entryList(QDir::Files, QDir::Name);
    QStringList expected;
    for (int n = 1; n <= 11; ++n)
        expected << QStringLiteral("REPORT%1.SVG").arg(n, 2, 10, QLatin1Char('0'));
    QCOMPARE(saved, expected);
    QVERIFY(readLines(target.filePath(QStringLiteral("REPORT11.SVG")))
                .join(QString())
                .contains(QStringLiteral("page number 11")));

    QCOMPARE(preview.saveAs(target.filePath(QStringLiteral("LONGREPORTNAME.pdf")),
                            QStringLiteral(".pdf")),
             11);
    QVERIFY(QFileInfo(target.filePath(QStringLiteral("LONGRE01.pdf"))).size() > 0);
    const QString text = pdfText(target.filePath(QStringLiteral("LONGRE10.pdf")));
    if (!text.isEmpty())
        QVERIFY2(text.contains(QStringLiteral("page number 10")), qPrintable(text));

    // A failed copy names the file and stops; earlier pages stay.
    QCOMPARE(
        preview.saveAs(target.filePath(QStringLiteral("missing/R.svg")), QStringLiteral(".svg")),
        0);
    QCOMPARE(MessageBox::shown().size(), 1);
    QVERIFY(MessageBox::shown().front().text.contains(QStringLiteral("R01.svg")));
}

void ReportWindowsTest::cancelInTheProgressWindowWritesNothing() {
    addAssignments(400);
    const QString file = m_dir.filePath(QStringLiteral("CANCEL.TXT"));
    ReportProgressDialog progress;
    connect(&progress, &ReportProgressDialog::progressed, &progress, [&](int percent) {
        if (percent >= 30) progress.cancelButton()->click();
    });
    QCOMPARE(progress.statusLabel()->text(), QStringLiteral("0% Completed"));
    TextReportFile sink(file);
    ReportParams params;
    params.type = ReportType::LookForwardGeneral;
    params.endDate = kToday + 1000;
    ReportEngine engine(*m_db, m_workspace.session, kToday);
    const ReportResult result = engine.run(params, sink, progress.progress());
    QCOMPARE(result.outcome, ReportResult::Outcome::Cancelled);
    QVERIFY(result.records < 400);
    QVERIFY(!QFileInfo::exists(file));
    QVERIFY(progress.statusLabel()->text().endsWith(QStringLiteral("% Completed")));
}

void ReportWindowsTest::pdfReadsBackWithTheRightRowsAndPages() {
    const QString pdf = m_dir.filePath(QStringLiteral("report.pdf"));
    ReportParams params;
    params.type = ReportType::LookForwardGeneral;
    params.endDate = kToday + 70;
    PdfReportFile sink(pdf);
    ReportEngine engine(*m_db, m_workspace.session, kToday);
    const ReportResult result = engine.run(params, sink, {});
    QVERIFY(result.done());
    QVERIFY(result.pages >= 2);
    const QString text = pdfText(pdf);
    if (text.isEmpty()) QSKIP("pdftotext (poppler-utils) is not installed");
    QCOMPARE(text.count(QStringLiteral("General Look Forward To")), result.pages);
    QCOMPARE(text.count(QStringLiteral("Printed On")), result.pages);
    QVERIFY(text.contains(QStringLiteral("Page: %1").arg(result.pages)));
    QVERIFY(!text.contains(QStringLiteral("Page: %1").arg(result.pages + 1)));
    QStringList rows;
    for (const QString& line : text.split(QLatin1Char('\n'))) {
        const QString trimmed = line.trimmed();
        if (trimmed.startsWith(QStringLiteral("task"))) rows << trimmed.left(8);
    }
    QCOMPARE(rows.size(), 70);
    for (int i = 0; i < rows.size(); ++i)
        QCOMPARE(rows[i], QStringLiteral("task%1").arg(i + 1, 4, 10, QLatin1Char('0')));
}

void ReportWindowsTest::commandLineWritesTextAndPdf() {
    const QString cli = QCoreApplication::applicationDirPath() + QStringLiteral("/taskorbit-cli");
    if (!QFileInfo::exists(cli)) QSKIP("taskorbit-cli is not built");
    QTemporaryDir office;
    QProcess demo;
    demo.start(cli, {QStringLiteral("demo"), office.path()});
    QVERIFY(demo.waitForFinished(60000));
    QCOMPARE(demo.exitCode(), 0);

    auto report = [&](const QStringList& args, const QByteArray& password) {
        QProcess process;
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert(QStringLiteral("TASKORBIT_PASSWORD"), QString::fromLatin1(password));
        process.setProcessEnvironment(env);
        process.start(cli, QStringList{QStringLiteral("report"), office.path()} + args);
        process.waitForFinished(60000);
        return process.exitCode();
    };
    const QString text = office.filePath(QStringLiteral("lf.txt"));
    QCOMPARE(
        report({QStringLiteral("lookforward-general"), QStringLiteral("--end"),
                QStringLiteral("2099-12-31"), QStringLiteral("--due-now"), QStringLiteral("--user"),
                QStringLiteral("SUPERVISOR"), QStringLiteral("--text"), text},
               "super1"),
        0);
    const QStringList lines = readLines(text);
    QVERIFY(!lines.isEmpty());
    QVERIFY(lines[0].contains(QStringLiteral("General Look Forward To")));
    QVERIFY(!lines.filter(QStringLiteral("Pay the office rent")).isEmpty());
    QVERIFY(lines.filter(QStringLiteral("Update the customer list")).isEmpty());  // concluded

    // A wrong password prints nothing; a history report needs both dates.
    const QString refused = office.filePath(QStringLiteral("no.txt"));
    QCOMPARE(report({QStringLiteral("due"), QStringLiteral("--user"), QStringLiteral("SUPERVISOR"),
                     QStringLiteral("--text"), refused},
                    "wrong"),
             1);
    QVERIFY(!QFileInfo::exists(refused));
    QCOMPARE(report({QStringLiteral("6"), QStringLiteral("--end"), QStringLiteral("2099-12-31"),
                     QStringLiteral("--user"), QStringLiteral("SUPERVISOR"),
                     QStringLiteral("--text"), refused},
                    "super1"),
             64);

    const QString pdf = office.filePath(QStringLiteral("due.pdf"));
    QCOMPARE(report({QStringLiteral("1"), QStringLiteral("--user"), QStringLiteral("SUPERVISOR"),
                     QStringLiteral("--pdf"), pdf},
                    "super1"),
             0);
    const QString pdfLines = pdfText(pdf);
    if (pdfLines.isEmpty()) QSKIP("pdftotext (poppler-utils) is not installed");
    QVERIFY(pdfLines.contains(QStringLiteral("Assignments Due")));
    QVERIFY(pdfLines.contains(QStringLiteral("Pay the office rent")));
}

void ReportWindowsTest::theWindowsPrintButtonsRunTheirReports() {
    Procedures registry;
    registerReportScreens(registry);
    for (const char* name : {"ReportSelection", "ReportCurrentReminders", "ReportDueAssignments",
                             "ReportAddressBookByShortName", "ReportAddressBookByLastName"})
        QVERIFY2(registry.has(QLatin1String(name)), name);

    for (const auto& [name, priority] : {std::pair{"due-low", 7}, std::pair{"due-high", 2}}) {
        Assignment a;
        a.ASSIGNNUMBER = ++m_next;
        a.NAME = name;
        a.PERSON = "ANN";
        a.USERNAME = "BOSS";
        a.DUEDATE = kToday - 1;
        a.PRIORITY = static_cast<std::uint8_t>(priority);
        a.REPEATTYPE = "No Repeats";
        QVERIFY(m_db->add(a).ok());
    }
    const QString pdf = m_dir.filePath(QStringLiteral("due-list.pdf"));
    reportOutputHooks().confirmPrinter = [&](QWidget*, QPrinter& printer) {
        printer.setOutputFormat(QPrinter::PdfFormat);
        printer.setOutputFileName(pdf);
        return true;
    };
    QCOMPARE(printDueAssignments(nullptr, m_workspace, QStringLiteral("Priority"), false),
             ReportRunOutcome::Printed);
    const QString text = pdfText(pdf);
    if (text.isEmpty()) QSKIP("pdftotext (poppler-utils) is not installed");
    QVERIFY(text.contains(QStringLiteral("Assignments Due")));
    QVERIFY(text.indexOf(QStringLiteral("due-high")) < text.indexOf(QStringLiteral("due-low")));
    QVERIFY(text.indexOf(QStringLiteral("due-high")) >= 0);

    QFile::remove(pdf);
    QVERIFY(registry.run(QStringLiteral("ReportAddressBookByLastName"), nullptr, m_workspace));
    QVERIFY(pdfText(pdf).contains(QStringLiteral("TASKORBIT Address Book")));
}

QTEST_MAIN(ReportWindowsTest)
#include "ReportWindowsTest.moc"
