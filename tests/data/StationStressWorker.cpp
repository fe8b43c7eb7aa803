// One station of the station stress test: makes COUNT changes to the shared
// assignments 1..20 through the change operation and writes one line per
// outcome to standard output:
//   OK <station> <change> <assignment>      the change was written
//   RETRY <station> <change> <assignment>   refused as changed by another station;
//                                           the re-read record is changed again
//   FAIL <station> <change> <assignment> <message> after <n> ms   any other refusal
// Each change adds one to ASS:REPNUMBER and appends "s<station>.<change>" and a
// carriage return to ASS:LOG, so the data itself shows which changes arrived.
//
// usage: station_stress_worker DIRECTORY SERVERINFO STATION COUNT GOFILE
// (SERVERINFO "-" for the files of DIRECTORY). The station starts once GOFILE
// exists, so that all stations begin together.
#include <chrono>
#include <cstdio>
#include <filesystem>
#include <iostream>
#include <string>
#include <thread>

#include "data/Database.h"
#include "data/Integrity.h"

using namespace tko;

int main(int argc, char** argv) {
    if (argc != 6) {
        std::cerr << "usage: station_stress_worker DIRECTORY SERVERINFO STATION COUNT GOFILE\n";
        return 2;
    }
    DataSource source{argv[1], std::string(argv[2]) == "-" ? std::string() : std::string(argv[2])};
    const int station = std::stoi(argv[3]);
    const int count = std::stoi(argv[4]);
    Status status;
    auto db = Database::open(source, false, status);
    if (!db) {
        std::cout << "FAIL " << station << " 0 0 open: " << status.describe() << std::endl;
        return 1;
    }
    while (!std::filesystem::exists(argv[5]))
        std::this_thread::sleep_for(std::chrono::milliseconds(5));

    for (int change = 0; change < count; ++change) {
        const int number = 1 + (change * 7 + station * 3) % 20;
        Assignment record;
        Status s = db->fetch("ASS:NUMBER_KEY", {std::int64_t{number}}, record);
        if (!s.ok()) {
            std::cout << "FAIL " << station << ' ' << change << ' ' << number
                      << " fetch: " << s.describe() << std::endl;
            return 1;
        }
        for (;;) {
            const Assignment original = record;
            record.REPNUMBER = static_cast<std::int16_t>(record.REPNUMBER + 1);
            record.LOG += "s" + std::to_string(station) + "." + std::to_string(change) + "\r";
            const auto started = std::chrono::steady_clock::now();
            const Outcome outcome = changeRecord(*db, record, original);
            const auto tookMs = std::chrono::duration_cast<std::chrono::milliseconds>(
                                    std::chrono::steady_clock::now() - started)
                                    .count();
            if (outcome.kind == Outcome::Done) {
                std::cout << "OK " << station << ' ' << change << ' ' << number << '\n';
                break;
            }
            if (outcome.kind == Outcome::ChangedElsewhere) {
                // `record` now holds the other station's version: change that.
                std::cout << "RETRY " << station << ' ' << change << ' ' << number << '\n';
                continue;
            }
            std::cout << "FAIL " << station << ' ' << change << ' ' << number << ' '
                      << (outcome.message ? outcome.message->text : std::string("?")) << " after "
                      << tookMs << " ms" << std::endl;
            return 1;
        }
    }
    std::cout.flush();
    return 0;
}
