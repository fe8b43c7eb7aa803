#include "platform/LineText.h"

#include <cstdio>

namespace tko {

bool isForbiddenInLine(char32_t c) {
    return c < 0x20 || (c >= 0x7F && c <= 0x9F) || c == 0x061C || c == 0x200E || c == 0x200F ||
           c == 0x2028 || c == 0x2029 || (c >= 0x202A && c <= 0x202E) ||
           (c >= 0x2066 && c <= 0x2069);
}

std::optional<char32_t> firstForbiddenInLine(std::string_view utf8) {
    size_t i = 0;
    while (i < utf8.size()) {
        const auto lead = static_cast<unsigned char>(utf8[i]);
        int extra = 0;
        char32_t c = lead;
        if (lead >= 0xF0 && lead < 0xF8) {
            extra = 3;
            c = lead & 0x07;
        } else if (lead >= 0xE0) {
            extra = 2;
            c = lead & 0x0F;
        } else if (lead >= 0xC0) {
            extra = 1;
            c = lead & 0x1F;
        } else if (lead >= 0x80) {
            ++i;  // a continuation byte out of place
            continue;
        }
        if (i + static_cast<size_t>(extra) >= utf8.size()) break;  // cut short at the end
        bool valid = true;
        for (int k = 1; k <= extra; ++k) {
            const auto next = static_cast<unsigned char>(utf8[i + static_cast<size_t>(k)]);
            if ((next & 0xC0) != 0x80) {
                valid = false;
                break;
            }
            c = (c << 6) | (next & 0x3F);
        }
        if (!valid) {
            ++i;
            continue;
        }
        if (isForbiddenInLine(c)) return c;
        i += static_cast<size_t>(extra) + 1;
    }
    return std::nullopt;
}

std::string codePointName(char32_t c) {
    char text[16];
    std::snprintf(text, sizeof text, "U+%04X", static_cast<unsigned>(c));
    return text;
}

}  // namespace tko
