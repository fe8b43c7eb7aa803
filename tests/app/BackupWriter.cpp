// Another station that keeps writing while a test closes its own: about twenty
// times a second it commits one transaction over both files, setting the same
// counter in PEO:DATE of the person WRITER and in USE:DATECHANGED of the user
// WRITER. A copy of the office that is one moment of it shows both equal.
//
// usage: backup_writer DIRECTORY SERVERINFO GOFILE STOPFILE
// (SERVERINFO "-" for the files of DIRECTORY). Writes "started" once its first
// change is committed, and at the end "committed N" or "FAIL <what>".
#include <chrono>
#include <filesystem>
#include <iostream>
#include <string>
#include <thread>

#include "data/Database.h"

using namespace tko;

int main(int argc, char** argv) {
    if (argc != 5) {
        std::cerr << "usage: backup_writer DIRECTORY SERVERINFO GOFILE STOPFILE\n";
        return 2;
    }
    const DataSource source{argv[1],
                            std::string(argv[2]) == "-" ? std::string() : std::string(argv[2])};
    Status status;
    auto db = Database::open(source, false, status);
    if (!db) {
        std::cout << "FAIL open: " << status.describe() << std::endl;
        return 1;
    }
    Person person;
    User user;
    if (!db->fetch("PEO:SHORT_KEY", {std::string("WRITER")}, person).ok() ||
        !db->fetch("USE:USERNAME_KEY", {std::string("WRITER")}, user).ok()) {
        std::cout << "FAIL fetch: " << db->lastError().describe() << std::endl;
        return 1;
    }
    while (!std::filesystem::exists(argv[3]))
        std::this_thread::sleep_for(std::chrono::milliseconds(5));

    int committed = 0;
    while (!std::filesystem::exists(argv[4])) {
        const int next = committed + 1;
        person.DATE = next;
        user.DATECHANGED = next;
        Status s = db->begin({"PEOPLE", "USERS"}, 2000);
        if (s.ok()) s = db->change(person);
        if (s.ok()) s = db->change(user);
        if (s.ok()) s = db->commit();
        if (!s.ok()) {
            std::cout << "FAIL change " << next << ": " << s.describe() << std::endl;
            return 1;
        }
        if (++committed == 1) std::cout << "started" << std::endl;
        std::this_thread::sleep_for(std::chrono::milliseconds(50));
    }
    std::cout << "committed " << committed << std::endl;
    return 0;
}
