// Builds the office the command-line benchmark runs on: the generated
// assignments of the store benchmarks (200 people), a user account for each
// person (password "bench-pw", hashed at the minimal cost so that the
// whole-process figure leaves the deliberately slow password check out; it is
// measured on its own in bench_export), and, for the comparison, the same
// assignments as Taskwarrior import lines (one JSON object a line, the person
// as a tag, concluded ones as completed).
//
//   make_bench_office DIR ASSIGNMENTS [TASKWARRIOR.json]
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <random>

#include "BenchData.h"
#include "data/Password.h"

using namespace tko;

namespace {

std::string taskDate(Date date) {
    const Ymd d = toYmd(date);
    char text[32];
    std::snprintf(text, sizeof text, "%04d%02d%02dT000000Z", d.year, d.month, d.day);
    return text;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc < 3) {
        std::fprintf(stderr, "usage: make_bench_office DIR ASSIGNMENTS [TASKWARRIOR.json]\n");
        return 64;
    }
    const std::string dir = argv[1];
    const int rows = std::atoi(argv[2]);
    std::filesystem::create_directories(dir);
    Status status;
    auto db = Database::open(DataSource{dir, {}}, true, status);
    if (!db) {
        std::fprintf(stderr, "cannot create %s: %s\n", dir.c_str(), status.describe().c_str());
        return 1;
    }
    setPasswordCost(PasswordCost::Minimal);
    const std::string hash = hashPassword("bench-pw");
    db->begin({"ASSIGNMENT", "PEOPLE", "USERS", "SYSTEMPREF"}, 10000);
    SystemPref settings;
    db->add(settings);
    for (int i = 0; i < bench::kPeople; ++i) {
        User u;
        u.USERNAME = bench::personName(i);
        u.PASSWORD = hash;
        db->add(u);
        Person p;
        p.SHORTNAME = u.USERNAME;
        p.PERSONNUMBER = i + 1;
        p.USER = u.USERNAME;
        p.TYPE = "User";
        db->add(p);
    }
    std::ofstream tasks;
    if (argc > 3) tasks.open(argv[3]);
    std::mt19937 random(static_cast<unsigned>(rows));
    for (int n = 1; n <= rows; ++n) {
        Assignment a = bench::generatedAssignment(n, random);
        if (!db->add(a).ok()) {
            std::fprintf(stderr, "cannot add: %s\n", db->lastError().describe().c_str());
            return 1;
        }
        if (tasks.is_open()) {
            tasks << "{\"description\":\"" << a.NAME << "\",\"status\":\""
                  << (a.CLOSEDATE ? "completed" : "pending") << "\",\"due\":\""
                  << taskDate(a.DUEDATE) << "\",\"entry\":\"" << taskDate(a.ASSIGNEDDATE) << "\"";
            if (a.CLOSEDATE) tasks << ",\"end\":\"" << taskDate(a.CLOSEDATE) << "\"";
            tasks << ",\"priority\":\""
                  << (a.PRIORITY <= 3   ? "H"
                      : a.PRIORITY <= 6 ? "M"
                                        : "L")
                  << "\",\"tags\":[\"" << a.PERSON << "\"]}\n";
        }
    }
    if (!db->commit().ok()) {
        std::fprintf(stderr, "cannot commit: %s\n", db->lastError().describe().c_str());
        return 1;
    }
    std::printf("%d assignments over %d people in %s\n", rows, bench::kPeople, dir.c_str());
    return 0;
}
