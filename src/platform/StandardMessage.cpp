#include "platform/StandardMessage.h"

#include <atomic>

namespace tko {
namespace {
std::atomic<StandardMessageCatalogue> g_catalogue{nullptr};
}  // namespace

std::string mergeParameters(const std::string& text, const std::string& p1, const std::string& p2,
                            const std::string& p3) {
    const std::string* values[] = {&p1, &p2, &p3};
    std::string out;
    out.reserve(text.size());
    for (size_t i = 0; i < text.size(); ++i) {
        if (text[i] == '%' && i + 1 < text.size() && text[i + 1] >= '1' && text[i + 1] <= '3') {
            out += *values[text[i + 1] - '1'];
            ++i;
        } else {
            out += text[i];
        }
    }
    return out;
}

void setStandardMessageCatalogue(StandardMessageCatalogue catalogue) {
    g_catalogue = catalogue;
}

StandardMessage catalogueMessage(int number, const std::string& p1, const std::string& p2,
                                 const std::string& p3, int variant) {
    if (const StandardMessageCatalogue catalogue = g_catalogue.load())
        return catalogue(number, p1, p2, p3, variant);
    StandardMessage message;
    message.number = number;
    message.title = "TASKORBIT";
    message.text = "Standard message " + std::to_string(number);
    return message;
}

}  // namespace tko
