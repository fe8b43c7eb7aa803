#include "platform/store/Status.h"

#include "platform/Translate.h"

namespace tko::store {

const char* codeText(int code) {
    switch (code) {
        case kOk:
            return "No Error";
        case kFileNotFound:
            return "File Not Found";
        case kAccessDenied:
            return "Access Denied";
        case kFileLocked:
            return "File is locked by another station";
        case kRecordNotAvailable:
            return "Record Not Available";
        case kRecordNotFound:
            return "Record Not Found";
        case kFileNotOpen:
            return "File Not Open";
        case kDuplicateKey:
            return "Creates Duplicate Key";
        case kInvalidKeyFile:
            return "Invalid Key File";
        case kInvalidRecordLayout:
            return "Invalid Record Declaration";
        case kTransactionError:
            return "Transaction Error";
        case kInvalidArgument:
            return "Invalid Argument";
        case kChangedByOther:
            return "Record Changed By Another Station";
        case kEngineError:
            return "File System Error";
    }
    return "Unknown Error";
}

Status Status::error(int code, std::string detail) {
    Status s;
    s.code = code;
    s.text = detail.empty() ? codeText(code) : std::move(detail);
    return s;
}

Status Status::engine(int code, int engineCode, std::string engineText, std::string text) {
    Status s;
    s.code = code;
    s.text = text.empty() ? codeText(code) : std::move(text);
    s.engineCode = engineCode;
    s.engineText = std::move(engineText);
    return s;
}

std::string Status::describe() const {
    return translateText(text.empty() ? codeText(code) : text) + " (" + std::to_string(code) + ")";
}

}  // namespace tko::store
