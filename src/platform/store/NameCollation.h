// The order of names. Text key components (short names, user names, group and
// project names, titles) compare and order without regard to letter case, for
// every alphabet, the same way on every engine: ICU's root collation at
// secondary strength ("Ben" equals "BEN", "ben" sorts before "ZOE", "é" equals
// "É" but differs from "e"). Texts are stored as typed; only comparisons change.
//
// The SQLite engine registers a NameCollator on each connection; the server
// engine creates an ICU collation of the same locale once; C++ code that
// compares names uses compareNames()/sameName() so that it agrees with both.
#pragma once

#include <array>
#include <cstdint>
#include <memory>
#include <string>
#include <string_view>

struct UCollator;

namespace tko::store {

// Name of the collation in SQL, on both engines.
inline constexpr const char* kNameCollation = "tko_name";
// The ICU locale of the collation: root order, secondary strength.
inline constexpr const char* kNameCollationLocale = "und-u-ks-level2";

// One ICU collator with a fast path for printable ASCII. Not thread-safe to
// create; compare() may be called from one thread at a time per object (keep
// one per connection or per thread).
class NameCollator {
public:
    // nullptr when ICU cannot open the collation (missing ICU data).
    static std::unique_ptr<NameCollator> create();
    ~NameCollator();
    NameCollator(const NameCollator&) = delete;
    NameCollator& operator=(const NameCollator&) = delete;

    // <0, 0, >0 as `a` orders before, with or after `b` (UTF-8 texts).
    int compare(std::string_view a, std::string_view b) const;
    // The same, always through ICU (no fast path); tests compare both.
    int compareByIcu(std::string_view a, std::string_view b) const;

private:
    explicit NameCollator(UCollator* collator);

    UCollator* m_collator;
    // Printable ASCII characters (0x20..0x7E) in the collator's order, letters
    // of both cases sharing one rank; 0 for every other byte. In this range
    // each character carries exactly one primary weight and no accent, so
    // comparing the ranks character by character gives the collator's result.
    std::array<std::uint8_t, 128> m_rank{};
};

// Comparison and equality of names by the collation (a collator per thread).
int compareNames(std::string_view a, std::string_view b);
bool sameName(std::string_view a, std::string_view b);

// Orders names as the store's keys do (for sorted lists and sets of names).
struct NameLess {
    bool operator()(std::string_view a, std::string_view b) const { return compareNames(a, b) < 0; }
};

}  // namespace tko::store
