#include "reports/ui/ReportOutput.h"

#include <QDir>
#include <QFileDialog>
#include <QPainter>
#include <QPrintDialog>
#include <QPrinter>
#include <QSvgRenderer>
#include <QTemporaryDir>

#include "data/Messages.h"
#include "platform/QtText.h"
#include "platform/UserFile.h"
#include "platform/ui/MessageBox.h"
#include "platform/ui/PrinterSetup.h"
#include "reports/TextReportFile.h"
#include "reports/ui/PagePainter.h"
#include "reports/ui/ReportPreview.h"
#include "reports/ui/ReportProgressDialog.h"

namespace tko {

namespace {

QString askTextFile(QWidget* parent) {
    if (reportOutputHooks().chooseTextFile) return reportOutputHooks().chooseTextFile(parent);
    const QString home = QDir::currentPath();
    const QString file = QFileDialog::getSaveFileName(
        parent, translated("File name for text files"), QString(),
        translated("ASCII TextFiles") + QStringLiteral(" (*.TXT *.txt)"));
    QDir::setCurrent(home);
    return file;
}

// The print dialog. A print to a PDF file starts without the file of the
// previous run (the shared printer keeps it), and a file that exists is
// replaced only when the user says so.
bool askPrinter(QWidget* parent, QPrinter& printer) {
    if (printer.outputFormat() == QPrinter::PdfFormat) printer.setOutputFileName(QString());
    bool accepted = false;
    if (reportOutputHooks().confirmPrinter) {
        accepted = reportOutputHooks().confirmPrinter(parent, printer);
    } else {
        QPrintDialog dialog(&printer, parent);
        dialog.setWindowTitle(translated("Print"));
        accepted = dialog.exec() == QDialog::Accepted;
    }
    if (!accepted) return false;
    const QString replaced = printer.outputFormat() == QPrinter::PdfFormat
                                 ? fileToBeReplaced(printer.outputFileName())
                                 : QString();
    return replaced.isEmpty() ||
           MessageBox::showText(
               parent, QStringLiteral("%1 already exists. Do you want to replace it?"),
               QStringLiteral("Print"), MessageButtons::YesNo, {QDir::toNativeSeparators(replaced)},
               MessageBox::Icon::Question) == Answer::Yes;
}

bool askPreview(QWidget* parent, const QStringList& pages) {
    if (reportOutputHooks().preview) return reportOutputHooks().preview(parent, pages);
    return ReportPreview::run(parent, pages);
}

// Runs the producer into `sink` beside the progress window. True when done.
ReportRunOutcome produce(QWidget* parent, const ReportProducer& producer, PageSink& sink) {
    ReportProgressDialog progress(parent);
    progress.show();
    const ReportResult result = producer(sink, progress.progress());
    progress.completed();
    progress.hide();
    switch (result.outcome) {
        case ReportResult::Outcome::Done:
            return ReportRunOutcome::Printed;
        case ReportResult::Outcome::Cancelled:
            return ReportRunOutcome::Cancelled;
        case ReportResult::Outcome::Refused:
        case ReportResult::Outcome::Failed:
            MessageBox::showText(parent, QStringLiteral("%1"), translated("Report"),
                                 MessageButtons::Ok, {result.message}, MessageBox::Icon::Warning);
            return ReportRunOutcome::Failed;
    }
    return ReportRunOutcome::Failed;
}

ReportRunOutcome toTextFile(QWidget* parent, const ReportProducer& producer) {
    const QString file = askTextFile(parent);
    if (file.isEmpty()) return ReportRunOutcome::NotPrinted;
    TextReportFile sink(file);
    const ReportRunOutcome outcome = produce(parent, producer, sink);
    return outcome == ReportRunOutcome::Printed ? ReportRunOutcome::WrittenToFile : outcome;
}

// Pages on the printer; a cancelled or failed report aborts the print job so
// that no part of it comes out.
class PrinterPages : public PaintedPages {
public:
    explicit PrinterPages(QPrinter& printer) : PaintedPages(&printer), m_printer(printer) {}
    void abort() override {
        m_printer.abort();
        PaintedPages::abort();
    }

private:
    QPrinter& m_printer;
};

ReportRunOutcome toPrinter(QWidget* parent, const ReportProducer& producer) {
    QPrinter& printer = PrinterSetup::printer();
    if (!askPrinter(parent, printer)) return ReportRunOutcome::NotPrinted;
    PrinterPages sink(printer);
    return produce(parent, producer, sink);
}

}  // namespace

ReportOutputHooks& reportOutputHooks() {
    static ReportOutputHooks hooks;
    return hooks;
}

bool printPageFiles(const QStringList& pages, QPrinter& printer, QString* error) {
    QPainter painter;
    if (!painter.begin(&printer)) {
        if (error) *error = translated("The output device could not be opened.");
        return false;
    }
    const QRect area = printer.pageLayout().paintRectPixels(printer.resolution());
    for (qsizetype i = 0; i < pages.size(); ++i) {
        if (i > 0 && !printer.newPage()) {
            if (error) *error = translated("The output device refused a new page.");
            painter.end();
            return false;
        }
        ReportPage page;
        if (loadPageData(pageDataPath(pages[i]), page)) {
            PagePainter::draw(painter, QRectF(QPointF(0, 0), QSizeF(area.size())), page);
        } else {
            QSvgRenderer renderer(pages[i]);
            renderer.render(&painter, QRectF(QPointF(0, 0), QSizeF(area.size())));
        }
    }
    return painter.end();
}

ReportRunOutcome runReportJob(QWidget* parent, const ReportJob& job) {
    if (!job.preview)
        return job.printToFile ? toTextFile(parent, job.produce) : toPrinter(parent, job.produce);

    QTemporaryDir pagesDir;
    if (!pagesDir.isValid()) {
        MessageBox::showText(parent, QStringLiteral("%1"), translated("Report"), MessageButtons::Ok,
                             {pagesDir.errorString()}, MessageBox::Icon::Warning);
        return ReportRunOutcome::Failed;
    }
    SvgPageFiles pages(pagesDir.path());
    const ReportRunOutcome made = produce(parent, job.produce, pages);
    if (made != ReportRunOutcome::Printed) return made;
    if (!askPreview(parent, pages.files())) return ReportRunOutcome::NotPrinted;
    if (job.printToFile) return toTextFile(parent, job.produce);
    QPrinter& printer = PrinterSetup::printer();
    if (!askPrinter(parent, printer)) return ReportRunOutcome::NotPrinted;
    QString error;
    if (!printPageFiles(pages.files(), printer, &error)) {
        MessageBox::showText(parent, QStringLiteral("%1"), translated("Report"), MessageButtons::Ok,
                             {error}, MessageBox::Icon::Warning);
        return ReportRunOutcome::Failed;
    }
    return ReportRunOutcome::Printed;
}

}  // namespace tko
