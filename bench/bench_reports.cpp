// A Look Forward (General) report of 100 000 open assignments to a PDF file:
// time, and the growth of the peak resident memory during the report (pages
// are streamed to the file, so it should not grow with the report's length).
#include <benchmark/benchmark.h>

#include <QDir>
#include <QFile>
#include <QGuiApplication>

#include <fstream>
#include <string>

#include "BenchData.h"
#include "reports/ReportEngine.h"
#include "reports/TextReportFile.h"
#include "reports/ui/PagePainter.h"

namespace {

using namespace tko;

constexpr int kRows = 100000;

Database& openAssignments() {
    return bench::openDataSet("report-" + std::to_string(kRows), [](Database& db) {
        std::mt19937 random(kRows);
        db.begin({"ASSIGNMENT"}, 10000);
        for (int n = 1; n <= kRows; ++n) {
            Assignment a = bench::generatedAssignment(n, random);
            a.CLOSEDATE = 0;
            db.add(a);
        }
        SystemPref sys;
        db.add(sys);
        db.commit();
    });
}

// Peak resident set (VmHWM) in kB.
long peakKb() {
    std::ifstream status("/proc/self/status");
    std::string key;
    while (status >> key) {
        if (key == "VmHWM:") {
            long kb = 0;
            status >> kb;
            return kb;
        }
        std::string rest;
        std::getline(status, rest);
    }
    return 0;
}

// Lets the peak start again from the current resident set.
void resetPeak() {
    std::ofstream("/proc/self/clear_refs") << "5";
}

ReportParams lookForwardAll() {
    ReportParams params;
    params.type = ReportType::LookForwardGeneral;
    params.endDate = bench::kToday + 1000;
    params.includeDueNow = true;
    params.includeSecondary = true;
    return params;
}

template <class Sink>
void runReport(benchmark::State& state, const QString& file) {
    Database& db = openAssignments();
    Session session;
    session.GlobalUser = "SUPERVISOR";
    session.GlobalUserAccess = 2;
    long growth = 0;
    ReportResult result;
    for (auto _ : state) {
        state.PauseTiming();
        QFile::remove(file);
        resetPeak();
        const long before = peakKb();
        state.ResumeTiming();
        Sink sink(file);
        ReportEngine engine(db, session, bench::kToday);
        result = engine.run(lookForwardAll(), sink, {});
        state.PauseTiming();
        growth = std::max(growth, peakKb() - before);
        state.ResumeTiming();
        if (!result.done()) state.SkipWithError(result.message.toStdString().c_str());
    }
    state.counters["rows"] = static_cast<double>(result.records);
    state.counters["pages"] = result.pages;
    state.counters["peak_growth_MB"] = static_cast<double>(growth) / 1024.0;
    state.counters["file_MB"] = static_cast<double>(QFile(file).size()) / (1024.0 * 1024.0);
}

void BM_LookForwardToPdf(benchmark::State& state) {
    runReport<PdfReportFile>(state, QDir::temp().filePath(QStringLiteral("tko-bench-report.pdf")));
}
BENCHMARK(BM_LookForwardToPdf)->Unit(benchmark::kSecond)->Iterations(1);

void BM_LookForwardToText(benchmark::State& state) {
    runReport<TextReportFile>(state, QDir::temp().filePath(QStringLiteral("tko-bench-report.txt")));
}
BENCHMARK(BM_LookForwardToText)->Unit(benchmark::kSecond)->Iterations(1);

}  // namespace

int main(int argc, char** argv) {
    // Fonts and painting without a display.
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", QByteArrayLiteral("offscreen"));
    QGuiApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
