// Sends a report where the user wants it: to the printer (Qt's print dialog
// on the shared printer), to a text file ("Generic / Text Only", asked for
// with "File name for text files"), or first to "Report Preview" and then,
// when the user chooses Print there, to the printer or the text file. The
// progress window "Generating Report" runs beside every report.
//
// GUI thread only.
#pragma once

#include <QString>

#include <functional>

#include "reports/ReportEngine.h"

class QPrinter;
class QWidget;

namespace tko {

// Produces the report's pages into a sink; called once per output (the
// preview's pages first, then the text file when printed from the preview).
using ReportProducer = std::function<ReportResult(PageSink& sink, const ReportProgress& progress)>;

struct ReportJob {
    ReportProducer produce;
    bool printToFile = false;
    bool preview = false;
};

// What happened, for callers and tests.
enum class ReportRunOutcome { Printed, WrittenToFile, NotPrinted, Cancelled, Failed };

// Runs `job` with its dialogs; failures and refusals are shown in a message box.
ReportRunOutcome runReportJob(QWidget* parent, const ReportJob& job);

// Stand-ins for the modal choices, for tests (empty: the real dialogs).
struct ReportOutputHooks {
    // The text file's name; empty cancels.
    std::function<QString(QWidget* parent)> chooseTextFile;
    // Confirms printing on `printer` (the print dialog); false cancels.
    std::function<bool(QWidget* parent, QPrinter& printer)> confirmPrinter;
    // The preview's answer for the page files: true to print.
    std::function<bool(QWidget* parent, const QStringList& pages)> preview;
};
ReportOutputHooks& reportOutputHooks();

// Prints the preview's page files on `printer`, one page each, from the
// page data beside each picture (the picture itself when there is none).
bool printPageFiles(const QStringList& pages, QPrinter& printer, QString* error);

}  // namespace tko
