// The engine log: where the storage engine's own words about a failure go.
// Users see this program's texts and codes (Status::describe); the engine's
// message and number ("database is locked", 5) are written here for whoever
// looks after the data, one line per failure.
//
// The program names the file once at start; until then (and in tests that
// do not name one) nothing is written. Safe to call from any thread.
#pragma once

#include <string>

#include "platform/store/Status.h"

namespace tko::store {

// The file lines are appended to; empty switches the log off.
void setEngineLogFile(const std::string& path);
std::string engineLogFile();

// Appends "<UTC time> <code> <program text> | engine <number>: <message>"
// (and `context` when given) for a failure that carries an engine message;
// other statuses are not logged. A log that cannot be written is skipped:
// the failure itself is still reported to the user.
void logEngineFailure(const Status& status, const std::string& context = {});

}  // namespace tko::store
