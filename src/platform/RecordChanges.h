// What another station changed in a record a form holds open: the stored row
// compared with the form's own (the version it read and the values as the
// user edited them). Plain logic for the forms' "Changed at another station"
// bar.
#pragma once

#include <string>
#include <vector>

#include "platform/store/Engine.h"

namespace tko {

// The state of the stored record seen from a form.
enum class StoredState {
    Unchanged,  // still the version the form read
    Changed,    // written by another station (or window) since
    Deleted,    // no longer there
};

// Re-reads the record at `mine.pos` and compares its version with
// `mine.version`; `stored` receives the row when there is one. A storage
// failure is returned as such (the caller tries again with the next notice).
store::Status storedState(store::Engine& engine, const store::TableDef& table,
                          const store::Row& mine, StoredState& state, store::Row& stored);

// One field whose stored value differs from the form's value.
struct FieldDifference {
    std::string field;   // the field's label ("DUEDATE")
    std::string theirs;  // the stored value as text
    std::string mine;    // the form's value as text
};

// The fields in which `theirs` and `mine` differ, in the table's order; texts
// are compared without their trailing blanks, as everywhere in the program.
std::vector<FieldDifference> fieldDifferences(const store::TableDef& table,
                                              const store::Row& theirs, const store::Row& mine);

}  // namespace tko
