#include "platform/store/NameCollation.h"

#include <unicode/ucol.h>

#include <algorithm>
#include <numeric>
#include <vector>

namespace tko::store {

namespace {
constexpr unsigned char kFirstPrintable = 0x20;
constexpr unsigned char kLastPrintable = 0x7E;

int sign(int v) {
    return v < 0 ? -1 : (v > 0 ? 1 : 0);
}
}  // namespace

std::unique_ptr<NameCollator> NameCollator::create() {
    UErrorCode status = U_ZERO_ERROR;
    UCollator* collator = ucol_open(kNameCollationLocale, &status);
    if (U_FAILURE(status) || !collator) {
        if (collator) ucol_close(collator);
        return nullptr;
    }
    return std::unique_ptr<NameCollator>(new NameCollator(collator));
}

NameCollator::NameCollator(UCollator* collator) : m_collator(collator) {
    // Rank the printable ASCII characters by the collator itself, so that the
    // fast path can never disagree with it on a single character.
    std::vector<char> chars(kLastPrintable - kFirstPrintable + 1);
    std::iota(chars.begin(), chars.end(), static_cast<char>(kFirstPrintable));
    std::stable_sort(chars.begin(), chars.end(), [this](char a, char b) {
        return compareByIcu(std::string_view(&a, 1), std::string_view(&b, 1)) < 0;
    });
    std::uint8_t rank = 0;
    for (size_t i = 0; i < chars.size(); ++i) {
        if (i == 0 ||
            compareByIcu(std::string_view(&chars[i - 1], 1), std::string_view(&chars[i], 1)) != 0)
            ++rank;
        m_rank[static_cast<unsigned char>(chars[i])] = rank;
    }
}

NameCollator::~NameCollator() {
    ucol_close(m_collator);
}

int NameCollator::compareByIcu(std::string_view a, std::string_view b) const {
    UErrorCode status = U_ZERO_ERROR;
    const UCollationResult r =
        ucol_strcollUTF8(m_collator, a.data(), static_cast<int32_t>(a.size()), b.data(),
                         static_cast<int32_t>(b.size()), &status);
    if (U_FAILURE(status)) return sign(a.compare(b));  // cannot happen for valid arguments
    return r == UCOL_LESS ? -1 : (r == UCOL_GREATER ? 1 : 0);
}

int NameCollator::compare(std::string_view a, std::string_view b) const {
    // The same bytes are the same name (ICU too finds identical strings
    // equal): the common case when a key's rows are sorted by person.
    if (a == b) return 0;
    const size_t n = std::min(a.size(), b.size());
    for (size_t i = 0; i < n; ++i) {
        const auto ca = static_cast<unsigned char>(a[i]);
        const auto cb = static_cast<unsigned char>(b[i]);
        if (ca >= 0x80 || cb >= 0x80) return compareByIcu(a, b);
        const std::uint8_t ra = m_rank[ca];
        const std::uint8_t rb = m_rank[cb];
        if (ra == 0 || rb == 0) return compareByIcu(a, b);  // control characters
        if (ra != rb) {
            // The first difference decides, unless a later character leaves
            // the fast path's range (it could be ignorable or combining).
            for (size_t k = i + 1; k < a.size(); ++k) {
                const auto c = static_cast<unsigned char>(a[k]);
                if (c >= 0x80 || m_rank[c] == 0) return compareByIcu(a, b);
            }
            for (size_t k = i + 1; k < b.size(); ++k) {
                const auto c = static_cast<unsigned char>(b[k]);
                if (c >= 0x80 || m_rank[c] == 0) return compareByIcu(a, b);
            }
            return ra < rb ? -1 : 1;
        }
    }
    // One is a prefix of the other: the rest must be plain characters too.
    const std::string_view rest = a.size() > n ? a.substr(n) : b.substr(n);
    for (const char ch : rest) {
        const auto c = static_cast<unsigned char>(ch);
        if (c >= 0x80 || m_rank[c] == 0) return compareByIcu(a, b);
    }
    return a.size() == b.size() ? 0 : (a.size() < b.size() ? -1 : 1);
}

int compareNames(std::string_view a, std::string_view b) {
    thread_local const std::unique_ptr<NameCollator> collator = NameCollator::create();
    if (!collator) return sign(a.compare(b));
    return collator->compare(a, b);
}

bool sameName(std::string_view a, std::string_view b) {
    return compareNames(a, b) == 0;
}

}  // namespace tko::store
