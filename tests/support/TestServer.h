// The test database on the server, for tests of the server engine.
//
// TKO_TEST_PG names it (a libpq connection string). With TKO_TEST_PG_SLOTS=N
// the server holds N test databases, the one TKO_TEST_PG names with "_1" to
// "_N" appended (scripts/run-tests.sh makes one per parallel job), so that N
// test processes work on the server at once. Each process holds the database
// it works on, through a lock on a file beside the server's socket (else in
// the temporary folder) that the system releases when the process ends: no
// two tests ever share a database at the same time, whatever runs them.
#pragma once

#include <string>

namespace tko::test {

// The connection string of this process's test database; empty when
// TKO_TEST_PG is not set. The first call takes a database that no other
// process holds, waiting for one when all are held, and keeps it.
const std::string& serverInfo();

}  // namespace tko::test
