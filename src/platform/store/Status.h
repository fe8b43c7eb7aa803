// Result of every storage call: a code the program tests by number, a text for
// the user, and for failures inside the database engine the engine's own code
// and message.
#pragma once

#include <string>

namespace tko::store {

// Codes reported by every engine. Each engine maps its own failures onto these.
enum StoreCode : int {
    kOk = 0,
    kFileNotFound = 2,
    kAccessDenied = 5,
    kFileLocked = 32,          // a lock could not be had within the time-out
    kRecordNotAvailable = 33,  // read past the end of a key range: ends loops, not an error
    kRecordNotFound = 35,      // fetch by key or position found nothing
    kFileNotOpen = 37,
    kDuplicateKey = 40,
    kInvalidKeyFile = 46,
    kInvalidRecordLayout = 47,
    kTransactionError = 48,
    kInvalidArgument = 50,
    kChangedByOther = 89,  // the record was changed by another station since it was read
    kEngineError = 90,     // see engineCode / engineText
};

// Fixed English text for a code; the standard messages translate it.
const char* codeText(int code);

// The text of a kEngineError whose cause is a full disk, on every engine.
inline constexpr const char* kDiskFullText = "The disk is full";

//
// Also the data layer's last-error record: Database keeps the last failed
// Status of its calls for the standard messages.
struct Status {
    int code = kOk;
    std::string text;        // this program's text: codeText(code) or a more precise one
    int engineCode = 0;      // the engine's own error number, 0 if none
    std::string engineText;  // the engine's own message, empty if none; for the log only

    bool ok() const { return code == kOk; }
    bool endOfRange() const { return code == kRecordNotAvailable; }

    static Status success() { return {}; }
    static Status error(int code, std::string detail = {});
    // A failure inside the engine: `code` is the program's code it maps onto,
    // `text` this program's text (codeText(code) when empty).
    static Status engine(int code, int engineCode, std::string engineText, std::string text = {});

    // "text (code)" with the text translated: the form in which the standard
    // messages show an error ("File is locked by another station (32)"). The
    // engine's own words never reach the user; they go to the engine log.
    std::string describe() const;
};

}  // namespace tko::store
