#include "access/ListedAssignment.h"

#include "platform/store/Schema.h"

namespace tko {

bool isListedAssignment(const Assignment& a) {
    return !store::rtrim(a.NAME).empty() || !store::rtrim(a.PERSON).empty();
}

store::Filter listedAssignments() {
    // Texts are stored clipped, so a blank field is the empty text. Written
    // as "not both blank" so that the store tests it on the rows it reads.
    return store::negate(
        store::allOf({store::eq("NAME", std::string()), store::eq("PERSON", std::string())}));
}

}  // namespace tko
