// The assignment data the store benchmarks share: 200 people, due dates two
// years either side of a fixed "today", three in ten concluded.
#pragma once

#include <cstdio>
#include <random>
#include <string>

#include "data/Records.h"
#include "platform/Date.h"
#include "platform/store/Filter.h"

namespace tko::bench {

constexpr int kPeople = 200;
constexpr Date kToday = 82000;  // fixed, so that data sets built once stay valid

inline std::string personName(int i) {
    char name[8];
    std::snprintf(name, sizeof name, "P%03d", i);
    return name;
}

// Assignment number `n` of a data set.
inline Assignment generatedAssignment(int n, std::mt19937& random) {
    Assignment a;
    a.ASSIGNNUMBER = n;
    const int person = static_cast<int>(random() % kPeople);
    a.PERSONNUMBER = person + 1;
    a.PERSON = personName(person);
    a.USERNAME = personName(static_cast<int>(random() % kPeople));
    a.NAME = "Assignment number " + std::to_string(n);
    a.DUEDATE = kToday - 700 + static_cast<int>(random() % 1400);
    a.PRIORITY = static_cast<std::uint8_t>(1 + random() % 9);
    a.CLOSEDATE = random() % 10 < 3 ? a.DUEDATE + static_cast<int>(random() % 20) : 0;
    a.REPEATTYPE = "No Repeats";
    a.ASSIGNEDDATE = a.DUEDATE - 30;
    a.GENERALMEMO = "Some general comments about this piece of work.";
    return a;
}

// The due-now selection of one user: open, due by today, given to or by the user.
inline store::Filter dueNowFilter(const std::string& user) {
    return store::allOf({store::eq("CLOSEDATE", 0), store::le("DUEDATE", kToday),
                         store::anyOf({store::eq("PERSON", user), store::eq("USERNAME", user)})});
}

}  // namespace tko::bench
