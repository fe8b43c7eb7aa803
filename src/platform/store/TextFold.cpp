#include "platform/store/TextFold.h"

#include "platform/store/Schema.h"

#include <unicode/normalizer2.h>
#include <unicode/uchar.h>
#include <unicode/unistr.h>

namespace tko::store {

namespace {

// Letters that carry no separable accent but that the server's unaccent
// rules still turn into plain letters.
const char16_t* plainLetters(UChar32 c) {
    switch (c) {
        case 0x00F8:
            return u"o";  // ø
        case 0x0142:
            return u"l";  // ł
        case 0x0111:
            return u"d";  // đ
        case 0x00E6:
            return u"ae";  // æ
        case 0x0153:
            return u"oe";  // œ
        case 0x00F0:
            return u"d";  // ð
        case 0x00FE:
            return u"th";  // þ
        case 0x0131:
            return u"i";  // dotless i
        default:
            return nullptr;
    }
}

}  // namespace

std::string foldText(std::string_view text) {
    bool ascii = true;
    for (const char ch : text) ascii = ascii && static_cast<unsigned char>(ch) < 0x80;
    std::string out;
    if (ascii) {
        out.reserve(text.size());
        for (const char ch : text)
            out += (ch >= 'A' && ch <= 'Z') ? static_cast<char>(ch + 32) : ch;
        return out;
    }
    UErrorCode status = U_ZERO_ERROR;
    const icu::Normalizer2* nfd = icu::Normalizer2::getNFDInstance(status);
    if (U_FAILURE(status)) return std::string(text);
    icu::UnicodeString folded =
        icu::UnicodeString::fromUTF8(
            icu::StringPiece(text.data(), static_cast<int32_t>(text.size())))
            .foldCase();
    const icu::UnicodeString decomposed = nfd->normalize(folded, status);
    if (U_FAILURE(status)) return std::string(text);
    icu::UnicodeString plain;
    for (int32_t i = 0; i < decomposed.length();) {
        const UChar32 c = decomposed.char32At(i);
        i += U16_LENGTH(c);
        if (u_charType(c) == U_NON_SPACING_MARK) continue;
        if (const char16_t* letters = plainLetters(c))
            plain.append(icu::UnicodeString(letters));
        else
            plain.append(c);
    }
    plain.toUTF8String(out);
    return out;
}

std::string containsPattern(std::string_view word) {
    std::string pattern = "%";
    for (const char ch : foldText(word)) {
        if (ch == '%' || ch == '_' || ch == '\\') pattern += '\\';
        pattern += ch;
    }
    return pattern + "%";
}

std::vector<std::string> searchTokens(std::string_view typed) {
    return splitTokens(foldText(typed));
}

std::vector<std::string> splitTokens(std::string_view text) {
    std::vector<std::string> tokens;
    std::string token;
    for (const char ch : text) {
        const auto c = static_cast<unsigned char>(ch);
        if (c >= 0x80 || (c >= '0' && c <= '9') || (c >= 'a' && c <= 'z') ||
            (c >= 'A' && c <= 'Z')) {
            token += ch;
        } else if (!token.empty()) {
            tokens.push_back(std::move(token));
            token.clear();
        }
    }
    if (!token.empty()) tokens.push_back(std::move(token));
    return tokens;
}

bool trigramWord(std::string_view word) {
    return utf8Length(foldText(word)) >= 3;
}

}  // namespace tko::store
