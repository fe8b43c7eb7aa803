// TranslateString on a table of 5 000 entries (hits and misses) and
// Translate on a window of 150 controls with a menu of 40 items.
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

#include <benchmark/benchmark.h>

#include <memory>

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
    for (int i = 0; i < kEntries; ++i) inputs << QStringLiteral("Missing text %1").arg(i);
    int i = 0;
    for (auto _ : state) {
        benchmark::DoNotOptimize(TranslateString(inputs[i]));
        if (++i == kEntries) i = 0;
    }
    state.SetItemsProcessed(state.iterations());
}
BENCHMARK(BM_TranslateStringMiss);

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

}  // namespace

int main(int argc, char** argv) {
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    CloseTranslator();
    return 0;
}
