// A small demo office for trying the program: users of every access level,
// people of every type, assignments of several kinds, reminders, anniversaries,
// a group list and a project. Built through the same operations the windows use.
#pragma once

#include <string>
#include <vector>

#include "data/Database.h"

namespace tko {

struct DemoLogin {
    std::string userName;
    std::string password;
    std::string role;
};

struct DemoSummary {
    bool ok = false;
    std::string error;  // what failed, when !ok
    std::vector<DemoLogin> logins;
    int people = 0;
    int assignments = 0;
    int reminders = 0;
};

// Fills an empty, freshly created data set. Refuses a data set that already has
// assignments, so that a real office is never mixed with demo data.
DemoSummary createDemoOffice(Database& db);

}  // namespace tko
