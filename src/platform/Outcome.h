// What became of a logic operation that a window asked for, and what the
// window must show: one type for the results of saving, changing and deleting
// records, so that every window reports them the same way.
#pragma once

#include <optional>
#include <string>

#include "platform/StandardMessage.h"

namespace tko {

struct Outcome {
    enum Kind {
        Done,              // written, deleted, or nothing needed writing
        Refused,           // a check failed; nothing was written
        ChangedElsewhere,  // another station changed the record; it now holds their values
        Failed,            // the store failed; what the operation began was rolled back
    };
    Kind kind = Done;
    std::string text;                        // Refused: the source text to show
    std::optional<StandardMessage> message;  // the standard message to show, if any
    bool ok() const { return kind == Done; }
};

}  // namespace tko
