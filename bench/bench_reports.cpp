// A Look Forward (General) report of 100 000 open assignments (1 000 000
// with TKO_BENCH_LARGE=1) to a PDF file and to a text file: time, pages and
// rows a second, and the growth of the peak resident memory during the report
// (pages are streamed to the file, so it should not grow with the report's
// length).
//
// BM_LookForwardToPdf_Former draws the same report through the former PDF
// sink kept below (the grid font measured and set for every span, glibc's
// sliding allocation thresholds). It must run before BM_LookForwardToPdf in
// the same process: the current sink fixes the thresholds for the process.
#include <benchmark/benchmark.h>
#include <sys/resource.h>

#include <QDir>
#include <QFile>
#include <QFont>
#include <QFontMetricsF>
#include <QGuiApplication>
#include <QPageLayout>
#include <QPainter>
#include <QPdfWriter>
#include <QSaveFile>

#include <cmath>
#include <cstdlib>
#include <fstream>
#include <memory>
#include <string>

#include "BenchData.h"
#include "reports/ReportEngine.h"
#include "reports/TextReportFile.h"
#include "reports/ui/PagePainter.h"

namespace {

using namespace tko;

int reportRows() {
    const char* large = std::getenv("TKO_BENCH_LARGE");
    return large && *large == '1' ? 1000000 : 100000;
}

// `rows` open assignments and the system settings.
Database& openAssignments(int rows) {
    return bench::openDataSet("report-" + std::to_string(rows), [rows](Database& db) {
        bench::fillAssignments(db, rows, [](int, Assignment& a) { a.CLOSEDATE = 0; });
        SystemPref sys;
        db.add(sys);
    });
}

// ---- The former PDF sink, for the side-by-side figures ----------------------

QFont formerGridFont(QPainter& painter, qreal cellWidth, qreal lineHeight) {
    QFont font(QStringLiteral("DejaVu Sans Mono"));
    font.setStyleHint(QFont::TypeWriter);
    font.setFixedPitch(true);
    font.setPixelSize(1000);
    const qreal advance = QFontMetricsF(font, painter.device()).horizontalAdvance(QLatin1Char('M'));
    const qreal ratio = advance > 0 ? advance / 1000.0 : 0.6;
    const qreal pixels = std::min(lineHeight * 0.8, cellWidth / ratio * 0.98);
    font.setPixelSize(std::max(1, static_cast<int>(std::floor(pixels))));
    return font;
}

void formerDraw(QPainter& painter, const QRectF& area, const ReportPage& page) {
    const qreal cellWidth = area.width() / kPageColumns;
    const qreal lineHeight = area.height() / kPageLines;
    QFont regular = formerGridFont(painter, cellWidth, lineHeight);
    QFont bold = regular;
    bold.setBold(true);
    painter.save();
    painter.setPen(QPen(Qt::black, std::max<qreal>(1.0, lineHeight / 20)));
    for (size_t i = 0; i < page.lines.size() && i < static_cast<size_t>(kPageLines); ++i) {
        const PageLine& line = page.lines[i];
        const qreal top = area.top() + static_cast<qreal>(i) * lineHeight;
        if (line.rule) {
            const qreal y = top + lineHeight / 2;
            painter.drawLine(QPointF(area.left(), y), QPointF(area.right(), y));
            continue;
        }
        const qreal baseline = top + lineHeight * 0.78;
        for (const PageSpan& span : line.spans) {
            painter.setFont(span.bold ? bold : regular);
            painter.drawText(QPointF(area.left() + span.column * cellWidth, baseline), span.text);
        }
    }
    painter.restore();
}

bool g_thresholdsFixed = false;  // set once the current PDF sink has run

class FormerPdfFile : public PageSink {
public:
    explicit FormerPdfFile(const QString& path) : m_file(path) {}
    ~FormerPdfFile() override {
        if (m_painter.isActive()) m_painter.end();
    }
    bool begin() override {
        if (!m_file.open(QIODevice::WriteOnly | QIODevice::Truncate)) return false;
        m_writer = std::make_unique<QPdfWriter>(&m_file);
        m_writer->setResolution(600);
        m_writer->setCreator(QStringLiteral("TASKORBIT Multi-User"));
        m_writer->setPageLayout(QPageLayout(QPageSize(QPageSize::A4), QPageLayout::Portrait,
                                            QMarginsF(15, 15, 15, 15), QPageLayout::Millimeter));
        return m_painter.begin(m_writer.get());
    }
    bool addPage(const ReportPage& page) override {
        if (m_pages++ > 0 && !m_writer->newPage()) return false;
        const QRect paint = m_writer->pageLayout().paintRectPixels(m_writer->logicalDpiX());
        formerDraw(m_painter, QRectF(QPointF(0, 0), QSizeF(paint.size())), page);
        return true;
    }
    bool finish() override { return m_painter.end() && m_file.commit(); }
    void abort() override {
        if (m_painter.isActive()) m_painter.end();
        m_file.cancelWriting();
    }

private:
    QSaveFile m_file;
    std::unique_ptr<QPdfWriter> m_writer;
    QPainter m_painter;
    int m_pages = 0;
};

// ---- Measuring ---------------------------------------------------------------

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

// Peak resident set of the whole process so far, as getrusage() keeps it, in kB.
long maxRssKb() {
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    return usage.ru_maxrss;
}

template <class Sink>
void runReport(benchmark::State& state, const QString& file) {
    Database& db = openAssignments(reportRows());
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
    state.counters["pages_per_s"] = benchmark::Counter(
        result.pages * static_cast<double>(state.iterations()), benchmark::Counter::kIsRate);
    state.counters["rows_per_s"] = benchmark::Counter(
        static_cast<double>(result.records) * state.iterations(), benchmark::Counter::kIsRate);
    state.counters["peak_growth_MB"] = static_cast<double>(growth) / 1024.0;
    state.counters["maxrss_MB"] = static_cast<double>(maxRssKb()) / 1024.0;
    state.counters["file_MB"] = static_cast<double>(QFile(file).size()) / (1024.0 * 1024.0);
}

void BM_LookForwardToPdf_Former(benchmark::State& state) {
    if (g_thresholdsFixed) {
        state.SkipWithError("must run before BM_LookForwardToPdf in the same process");
        return;
    }
    runReport<FormerPdfFile>(state,
                             QDir::temp().filePath(QStringLiteral("tko-bench-report-former.pdf")));
}
BENCHMARK(BM_LookForwardToPdf_Former)->Unit(benchmark::kSecond)->Iterations(1);

// The file's bytes without its creation time, the one thing two runs differ in.
QByteArray withoutCreationDate(const QString& path) {
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) return {};
    QByteArray bytes = file.readAll();
    const qsizetype at = bytes.indexOf("/CreationDate (");
    if (at >= 0) bytes.remove(at, bytes.indexOf(')', at) + 1 - at);
    return bytes;
}

void BM_LookForwardToPdf(benchmark::State& state) {
    const QString file = QDir::temp().filePath(QStringLiteral("tko-bench-report.pdf"));
    runReport<PdfReportFile>(state, file);
    g_thresholdsFixed = true;
    // 1 when the file is the former sink's byte for byte (when that ran).
    const QByteArray former =
        withoutCreationDate(QDir::temp().filePath(QStringLiteral("tko-bench-report-former.pdf")));
    if (!former.isEmpty())
        state.counters["same_as_former"] = former == withoutCreationDate(file) ? 1 : 0;
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
