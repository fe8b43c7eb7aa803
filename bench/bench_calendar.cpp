// The Calendar window's month with 10 000 open assignments due in it (one in
// twenty repeating weekly, so their later dates add to the month), read as
// the window reads it (calendarEntries() for an administrator, who sees all)
// and drawn by the window's month page at 1000 x 700 pixels into an image.
//
// Data set "calendar_10000" in $TKO_BENCH_DIR (default /tmp/tko-bench).
// Runs on the offscreen platform.
#include <benchmark/benchmark.h>

#include <QApplication>
#include <QImage>
#include <QPainter>

#include <random>

#include "BenchData.h"
#include "views/Calendar.h"
#include "views/ui/CalendarView.h"

namespace tko {
namespace {

constexpr int kAssignments = 10000;
const Date kMonthFirst = fromYmd(2026, 3, 1);

Database& calendarSet() {
    return bench::openDataSet("calendar_10000", [](Database& db) {
        std::mt19937 random(kAssignments);
        db.begin({"ASSIGNMENT"}, 10000);
        for (int n = 1; n <= kAssignments; ++n) {
            Assignment a = bench::generatedAssignment(n, random);
            a.CLOSEDATE = 0;
            a.DUEDATE = kMonthFirst + static_cast<int>(random() % 31);
            if (n % 20 == 0) {
                a.REPEATTYPE = "Weeks after Last Due";
                a.REPNUMBER = 1;
            }
            db.add(a);
        }
        db.commit();
    });
}

Session administrator() {
    Session session;
    session.GlobalUser = "ADMIN";
    session.GlobalUserAccess = 2;
    return session;
}

std::vector<CalendarEntry> monthEntries(Database& db) {
    CalendarSettings settings;
    settings.includeSecondary = true;
    settings.today = kMonthFirst + 10;
    std::vector<CalendarEntry> entries;
    const Date first = monthGridStart(kMonthFirst, 1);
    if (!calendarEntries(db, administrator(), settings, first, first + kMonthGridDays - 1, entries)
             .ok())
        std::abort();
    return entries;
}

void BM_CalendarMonthRead(benchmark::State& state) {
    Database& db = calendarSet();
    size_t count = 0;
    for (auto _ : state) count = monthEntries(db).size();
    state.counters["entries"] = static_cast<double>(count);
}
BENCHMARK(BM_CalendarMonthRead)->Unit(benchmark::kMillisecond);

void BM_CalendarMonthDraw(benchmark::State& state) {
    const std::vector<CalendarEntry> entries = monthEntries(calendarSet());
    CalendarView view;
    view.resize(1000, 700);
    view.setFirstWeekday(1);
    view.setToday(kMonthFirst + 10);
    view.setSelectedDate(kMonthFirst + 10);
    QImage image(view.size(), QImage::Format_ARGB32_Premultiplied);
    for (auto _ : state) {
        view.setEntries(entries);  // what the window does after each read
        QPainter painter(&image);
        view.render(&painter);
    }
    state.counters["entries"] = static_cast<double>(entries.size());
}
BENCHMARK(BM_CalendarMonthDraw)->Unit(benchmark::kMillisecond);

}  // namespace
}  // namespace tko

int main(int argc, char** argv) {
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
