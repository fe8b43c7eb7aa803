#include "data/Session.h"

#include "platform/store/Schema.h"

namespace tko {

std::string lastCharacters(const std::string& text, size_t count) {
    return text.size() <= count ? text : text.substr(text.size() - count);
}

std::string transactionOption(const std::string& dataPath) {
    size_t start = dataPath.find_first_not_of(' ');
    const std::string path =
        start == std::string::npos ? std::string() : store::rtrim(dataPath.substr(start));
    return path + "TASKOM.TCF";
}

}  // namespace tko
