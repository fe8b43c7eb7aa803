#include "cli/TerminalText.h"

#include <cerrno>
#include <cstring>

namespace tko::cli {

namespace {

// The path an opening failure names after its colon ("Access Denied: /srv/x"),
// else `fallback`.
std::string namedPath(const std::string& text, const std::string& fallback) {
    const size_t colon = text.find(": ");
    return colon == std::string::npos ? fallback : text.substr(colon + 2);
}

}  // namespace

std::string terminalText(const store::Status& status, const std::string& where) {
    using namespace store;
    if (status.text == kDiskFullText) return "the disk is full";
    switch (status.code) {
        case kAccessDenied:
            return "no write access to " + namedPath(status.text, where);
        case kFileLocked:
            return where + " are in use by another station; try again later";
        case kFileNotFound:
            return namedPath(status.text, where) + " not found";
        case kChangedByOther:
            return "another station changed the record meanwhile; nothing was written";
        default:
            break;
    }
    // Anything else: this program's own text, which names the failure.
    std::string text = status.text.empty() ? codeText(status.code) : status.text;
    return text + " (error " + std::to_string(status.code) + ")";
}

std::string fileProblemText(int error, const std::string& path) {
    switch (error) {
        case ENOSPC:
#ifdef EDQUOT
        case EDQUOT:
#endif
            return "the disk is full";
        case EACCES:
        case EPERM:
        case EROFS:
            return "no write access to " + path;
        case ENOENT:
            return path + ": no such folder";
        default:
            return path + ": " + std::strerror(error);
    }
}

}  // namespace tko::cli
