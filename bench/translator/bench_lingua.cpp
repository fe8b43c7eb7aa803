// TranslateString on a table of 5 000 entries (hits, and misses of texts never
// looked up before) side by side with GNU gettext's dgettext on the same
// 5 000 entries compiled by msgfmt, and Translate on a window of 150 controls
// with a menu of 40 items. The run ends with TranslateString's rate as a
// multiple of gettext's: the median over the repetitions
// (--benchmark_repetitions=N).
#include "translator/LanguageFile.h"
#include "translator/Lingua.h"

#include <QApplication>
#include <QCheckBox>
#include <QLabel>
#include <QLineEdit>
#include <QMainWindow>
#include <QMenuBar>
#include <QPushButton>
#include <QTemporaryDir>
#include <QVBoxLayout>

#include <QDir>
#include <QFile>
#include <QProcess>
#include <QStandardPaths>

#include <benchmark/benchmark.h>
#include <libintl.h>

#include <algorithm>
#include <clocale>
#include <cstdio>
#include <cstdlib>
#include <map>
#include <memory>
#include <string>
#include <vector>

namespace {

constexpr int kEntries = 5000;

QString sourceText(int i) {
    return QStringLiteral("Source text number %1").arg(i);
}

// A language file with 5 000 String entries and the window's texts.
QString makeLanguageFile(const QTemporaryDir& dir) {
    const QString path = dir.filePath(QStringLiteral("bench.ltf"));
    lingua::LanguageFile file;
    file.open(path);
    file.begin();
    for (int i = 0; i < kEntries; ++i)
        file.add({sourceText(i),
                  {},
                  QStringLiteral("Quelltext Nummer %1").arg(i),
                  {},
                  QStringLiteral("String")});
    for (int i = 0; i < 150; ++i)
        file.add({QStringLiteral("Control %1").arg(i), QStringLiteral("C"),
                  QStringLiteral("Steuerelement %1").arg(i), QStringLiteral("S"),
                  QStringLiteral("Text")});
    for (int i = 0; i < 40; ++i)
        file.add({QStringLiteral("Item %1").arg(i), QStringLiteral("I"),
                  QStringLiteral("Eintrag %1").arg(i), QStringLiteral("E"),
                  QStringLiteral("MenuItem")});
    file.commit();
    return path;
}

struct Fixture {
    QTemporaryDir dir;
    Fixture() {
        InitTranslator(makeLanguageFile(dir));
        IntlGroup group;
        ClearIntlGroup(group);
        GetIntlGroup(group, 0x0407, true, QString());
        InitPictures(&group);
    }
};

// The same 5 000 texts as a gettext catalogue: a PO file compiled with
// msgfmt into <dir>/de/LC_MESSAGES/bench.mo. Empty when msgfmt is missing or
// gettext does not find the catalogue.
struct GettextFixture {
    QTemporaryDir dir;
    QString error;
    GettextFixture() {
        const QString msgfmt = QStandardPaths::findExecutable(QStringLiteral("msgfmt"));
        if (msgfmt.isEmpty()) {
            error = QStringLiteral("msgfmt not installed (Debian package gettext)");
            return;
        }
        const QString po = dir.filePath(QStringLiteral("bench.po"));
        QFile file(po);
        file.open(QIODevice::WriteOnly);
        QString text = QStringLiteral(
            "msgid \"\"\nmsgstr \"\"\n\"Content-Type: text/plain; charset=UTF-8\\n\"\n\n");
        for (int i = 0; i < kEntries; ++i)
            text += QStringLiteral("msgid \"%1\"\nmsgstr \"Quelltext Nummer %2\"\n\n")
                        .arg(sourceText(i))
                        .arg(i);
        file.write(text.toUtf8());
        file.close();
        const QString messages = dir.filePath(QStringLiteral("de/LC_MESSAGES"));
        QDir().mkpath(messages);
        if (QProcess::execute(
                msgfmt, {QStringLiteral("-o"), messages + QStringLiteral("/bench.mo"), po}) != 0) {
            error = QStringLiteral("msgfmt failed");
            return;
        }
        std::setlocale(LC_ALL, "C.UTF-8");
        setenv("LANGUAGE", "de", 1);
        bindtextdomain("bench", QFile::encodeName(dir.path()).constData());
        bind_textdomain_codeset("bench", "UTF-8");
        const std::string probe = sourceText(1).toStdString();
        if (std::string(dgettext("bench", probe.c_str())) != "Quelltext Nummer 1")
            error = QStringLiteral("gettext does not find the catalogue");
    }
};

GettextFixture& gettextFixture() {
    static GettextFixture instance;
    return instance;
}

void runGettext(benchmark::State& state, const char* prefix) {
    if (!gettextFixture().error.isEmpty()) {
        state.SkipWithError(qPrintable(gettextFixture().error));
        return;
    }
    std::vector<std::string> inputs;
    for (int i = 0; i < kEntries; ++i)
        inputs.push_back(QStringLiteral("%1 %2").arg(QLatin1String(prefix)).arg(i).toStdString());
    int i = 0;
    for (auto _ : state) {
        benchmark::DoNotOptimize(dgettext("bench", inputs[i].c_str()));
        if (++i == kEntries) i = 0;
    }
    state.SetItemsProcessed(state.iterations());
}

void BM_GettextHit(benchmark::State& state) {
    runGettext(state, "Source text number");
}
BENCHMARK(BM_GettextHit);

// Texts never looked up before in this process: a miss that a library may
// remember (5 000 misses looked up again and again) is a cached hit, not the
// first look-up of an untranslated text that a window makes.
constexpr int kFreshMisses = 200000;
std::vector<std::string> freshMisses() {
    static int run = 0;
    ++run;
    std::vector<std::string> texts;
    texts.reserve(kFreshMisses);
    for (int i = 0; i < kFreshMisses; ++i)
        texts.push_back("Never seen " + std::to_string(run) + " " + std::to_string(i));
    return texts;
}

void BM_GettextMiss(benchmark::State& state) {
    if (!gettextFixture().error.isEmpty()) {
        state.SkipWithError(qPrintable(gettextFixture().error));
        return;
    }
    const std::vector<std::string> inputs = freshMisses();
    size_t i = 0;
    for (auto _ : state) benchmark::DoNotOptimize(dgettext("bench", inputs[i++].c_str()));
    state.SetItemsProcessed(state.iterations());
}
BENCHMARK(BM_GettextMiss)->Iterations(kFreshMisses);

Fixture& fixture() {
    static Fixture instance;
    return instance;
}

void BM_TranslateStringHit(benchmark::State& state) {
    fixture();
    QList<QString> inputs;
    for (int i = 0; i < kEntries; ++i) inputs << sourceText(i);
    int i = 0;
    for (auto _ : state) {
        benchmark::DoNotOptimize(TranslateString(inputs[i]));
        if (++i == kEntries) i = 0;
    }
    state.SetItemsProcessed(state.iterations());
}
BENCHMARK(BM_TranslateStringHit);

void BM_TranslateStringMiss(benchmark::State& state) {
    fixture();
    QList<QString> inputs;
    for (const std::string& text : freshMisses()) inputs << QString::fromStdString(text);
    qsizetype i = 0;
    for (auto _ : state) benchmark::DoNotOptimize(TranslateString(inputs[i++]));
    state.SetItemsProcessed(state.iterations());
}
BENCHMARK(BM_TranslateStringMiss)->Iterations(kFreshMisses);

std::unique_ptr<QMainWindow> makeWindow() {
    auto window = std::make_unique<QMainWindow>();
    window->setWindowTitle(QStringLiteral("Assignments"));
    for (int m = 0; m < 4; ++m) {
        QMenu* menu = window->menuBar()->addMenu(QStringLiteral("&Menu %1").arg(m));
        for (int i = 0; i < 10; ++i) {
            QAction* action = menu->addAction(QStringLiteral("&Item %1").arg(m * 10 + i));
            action->setStatusTip(QStringLiteral("Does item %1").arg(m * 10 + i));
        }
    }
    auto* central = new QWidget;
    auto* layout = new QVBoxLayout(central);
    for (int i = 0; i < 150; ++i) {
        QWidget* control = nullptr;
        switch (i % 4) {
            case 0:
                control = new QPushButton(QStringLiteral("&Control %1").arg(i));
                break;
            case 1:
                control = new QCheckBox(QStringLiteral("&Control %1").arg(i));
                break;
            case 2:
                control = new QLabel(QStringLiteral("Control %1").arg(i));
                break;
            default:
                control = new QLineEdit;
                control->setProperty("picture", QStringLiteral("@D2"));
                break;
        }
        control->setToolTip(QStringLiteral("Tip %1").arg(i));
        layout->addWidget(control);
    }
    window->setCentralWidget(central);
    return window;
}

void BM_TranslateWindow(benchmark::State& state) {
    fixture();
    for (auto _ : state) {
        state.PauseTiming();
        auto window = makeWindow();
        state.ResumeTiming();
        Translate(window.get());
        state.PauseTiming();
        window.reset();
        state.ResumeTiming();
    }
}
BENCHMARK(BM_TranslateWindow)->Unit(benchmark::kMicrosecond);

// The console report, keeping each repetition's rate for the ratios.
class RatioReporter : public benchmark::ConsoleReporter {
public:
    // Calls per second of processor time, one per repetition: on a shared,
    // loaded machine the wall clock measures the neighbours as much as the code.
    std::map<std::string, std::vector<double>> rates;
    void ReportRuns(const std::vector<Run>& runs) override {
        for (const Run& run : runs)
            if (!run.error_occurred && run.run_type == Run::RT_Iteration &&
                run.cpu_accumulated_time > 0)
                rates[run.run_name.function_name].push_back(static_cast<double>(run.iterations) /
                                                            run.cpu_accumulated_time);
        ConsoleReporter::ReportRuns(runs);
    }
    // The median over the repetitions of ours / theirs, repetition by
    // repetition (the two ran at nearly the same load).
    void printRatio(const char* what, const char* ours, const char* theirs) {
        const std::vector<double>& a = rates[ours];
        const std::vector<double>& b = rates[theirs];
        const size_t n = std::min(a.size(), b.size());
        if (n == 0) return;
        std::vector<double> ratios;
        for (size_t i = 0; i < n; ++i) ratios.push_back(a[i] / b[i]);
        std::sort(ratios.begin(), ratios.end());
        const double median = n % 2 ? ratios[n / 2] : (ratios[n / 2 - 1] + ratios[n / 2]) / 2;
        std::printf(
            "TranslateString %s: median of %zu repetitions ratio %.2f (goal 2.00; "
            "range %.2f-%.2f)\n",
            what, n, median, ratios.front(), ratios.back());
    }
};

}  // namespace

int main(int argc, char** argv) {
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    RatioReporter reporter;
    benchmark::RunSpecifiedBenchmarks(&reporter);
    reporter.printRatio("hits", "BM_TranslateStringHit", "BM_GettextHit");
    reporter.printRatio("misses", "BM_TranslateStringMiss", "BM_GettextMiss");
    CloseTranslator();
    return 0;
}
