// Which assignment records lists and reports show at all.
//
// The assignment form adds a new record at once, to hold its number, and
// fills it in only at "OK": until then the record has neither a name nor a
// person (and stays so when a station stops with the form open). Such a
// record is no assignment yet; every list and report leaves it out, so that
// no blank row shows in anybody's Due Now list while a form is open.
//
// GUI-free and pure.
#pragma once

#include "data/Records.h"
#include "platform/store/Filter.h"

namespace tko {

// Has a name or a person (trailing blanks do not count).
bool isListedAssignment(const Assignment& a);

// The same as a store filter. It tests the rows a list's ranges yield and
// picks no index range of its own.
store::Filter listedAssignments();

}  // namespace tko
