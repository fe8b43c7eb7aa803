// What became of a logic operation that a window asked for, and what the
// window must show: one type for the results of saving, changing, deleting,
// linking and logging in, so that every window reports them the same way
// (showOutcome() in platform/ui/MessageBox.h).
//
// Data an operation hands back besides its outcome (a new number, the stored
// record, a count) comes through the record or output parameter the caller
// passes in.
#pragma once

#include <optional>
#include <string>
#include <utility>

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
    // Refused or Failed: the source text (untranslated) of what stopped the
    // operation; shown under the window's title when there is no `message`.
    std::string text;
    std::optional<StandardMessage> message;  // the message to show, if any; it wins over `text`
    // Refused: the entry the refusal concerns ("username", "password", ...),
    // where the window puts the cursor; "" when none.
    std::string field;
    bool ok() const { return kind == Done; }

    static Outcome refused(std::string text, std::string field = {}) {
        Outcome outcome;
        outcome.kind = Refused;
        outcome.text = std::move(text);
        outcome.field = std::move(field);
        return outcome;
    }
    static Outcome refused(StandardMessage message) {
        Outcome outcome;
        outcome.kind = Refused;
        outcome.message = std::move(message);
        return outcome;
    }
    static Outcome failed(StandardMessage message) {
        Outcome outcome;
        outcome.kind = Failed;
        outcome.message = std::move(message);
        return outcome;
    }
};

// What the box for `outcome` says, as one line for the command line: the
// message's text, or else the translated text.
inline std::string outcomeLine(const Outcome& outcome) {
    return outcome.message ? outcome.message->text : translateText(outcome.text);
}

}  // namespace tko
