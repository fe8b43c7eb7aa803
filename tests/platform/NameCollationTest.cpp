// The order of names: ICU's root collation at secondary strength, and the
// fast path for plain ASCII that must never disagree with it.
#include <gtest/gtest.h>

#include <random>
#include <string>
#include <vector>

#include "platform/store/Filter.h"
#include "platform/store/NameCollation.h"
#include "platform/store/TextFold.h"

namespace tko::store {
namespace {

class NameCollationTest : public ::testing::Test {
protected:
    void SetUp() override {
        m_collator = NameCollator::create();
        ASSERT_TRUE(m_collator) << "ICU cannot open " << kNameCollationLocale;
    }
    int sign(int v) { return v < 0 ? -1 : (v > 0 ? 1 : 0); }
    std::unique_ptr<NameCollator> m_collator;
};

// Word searches fold away letter case and accents, unlike the order of names;
// typed words split at blanks, a quoted part staying one word.
TEST(TextFoldTest, FoldingAndWordsOfTheFilterBox) {
    const struct {
        const char* text;
        const char* folded;
    } folds[] = {{"", ""},
                 {"Miller LEASE 42", "miller lease 42"},
                 {"Müller", "muller"},
                 {"ÉCOLE Crème", "ecole creme"},
                 {"Straße", "strasse"},
                 {"Søren Łukasz Æsir", "soren lukasz aesir"},
                 {"ΑΘΗΝΑ", "αθηνα"},
                 {"Ёлка", "елка"},
                 {"a%b_c\\", "a%b_c\\"}};
    for (const auto& f : folds) EXPECT_EQ(foldText(f.text), f.folded) << f.text;
    EXPECT_EQ(containsPattern("100%_x\\"), "%100\\%\\_x\\\\%");

    const struct {
        const char* typed;
        std::vector<std::string> words;
    } splits[] = {{"", {}},
                  {"  \t ", {}},
                  {"miller lease", {"miller", "lease"}},
                  {"  two   blanks ", {"two", "blanks"}},
                  {"\"the miller\" lease", {"the miller", "lease"}},
                  {"\"open quote", {"open quote"}},
                  {"\"\"", {}},
                  {"o'brien", {"o'brien"}}};
    for (const auto& c : splits) EXPECT_EQ(splitWords(c.typed), c.words) << c.typed;
}

TEST_F(NameCollationTest, LetterCaseIsIgnoredInEveryAlphabetButAccentsCount) {
    EXPECT_EQ(m_collator->compare("Ben", "BEN"), 0);
    EXPECT_EQ(m_collator->compare("carla", "CARLA"), 0);
    EXPECT_EQ(m_collator->compare("jörg", "JÖRG"), 0);
    EXPECT_EQ(m_collator->compare("émile", "ÉMILE"), 0);
    EXPECT_EQ(m_collator->compare("σοφία", "ΣΟΦΊΑ"), 0);
    EXPECT_EQ(m_collator->compare("иван", "ИВАН"), 0);
    EXPECT_NE(m_collator->compare("JORG", "JÖRG"), 0);
    EXPECT_NE(m_collator->compare("emile", "émile"), 0);
    EXPECT_TRUE(sameName("Ben", "bEN"));
    EXPECT_FALSE(sameName("Ben", "Benny"));
}

TEST_F(NameCollationTest, NamesSortAlphabeticallyNotByCodePoint) {
    EXPECT_LT(m_collator->compare("ben", "ZOE"), 0);
    EXPECT_GT(m_collator->compare("ZOE", "ben"), 0);
    EXPECT_LT(m_collator->compare("anna", "Ben"), 0);
    EXPECT_LT(m_collator->compare("émile", "Zack"), 0);  // not after every ASCII letter
    EXPECT_LT(m_collator->compare("Jorg", "Jörg"), 0);   // the accent orders second
    EXPECT_LT(m_collator->compare("Jörg", "Jorh"), 0);
    EXPECT_LT(m_collator->compare("", "a"), 0);
    EXPECT_LT(m_collator->compare("BE", "ben"), 0);  // a prefix first
    EXPECT_LT(compareNames("ben", "ZOE"), 0);
}

// Random names of printable ASCII (the fast path), mixed with letters that
// leave it: accented and combining letters, control characters, non-Latin
// scripts. The fast path must agree with ICU on every pair.
TEST_F(NameCollationTest, FastPathAgreesWithTheCollatorOnRandomNames) {
    std::mt19937 random(20261208);
    const std::vector<std::string> exotic{"é",    "É",  "ö", "ß", "\xcc\x81" /* combining acute */,
                                          "\x01", "\t", "Σ", "я", "ı",
                                          "İ",    "ﬁ"};
    auto randomName = [&](bool plain) {
        std::string name;
        const int length = static_cast<int>(random() % 8);
        for (int i = 0; i < length; ++i) {
            if (!plain && random() % 6 == 0)
                name += exotic[random() % exotic.size()];
            else if (random() % 3 == 0)
                name += static_cast<char>(0x20 + random() % 95);  // any printable
            else
                name += "aAbBzZ -'.0_"[random() % 12];  // near-collisions
        }
        return name;
    };
    int equal = 0;
    for (int i = 0; i < 200000; ++i) {
        const bool plain = i % 2 == 0;
        const std::string a = randomName(plain), b = randomName(plain);
        const int fast = sign(m_collator->compare(a, b));
        ASSERT_EQ(fast, sign(m_collator->compareByIcu(a, b))) << '"' << a << "\" vs \"" << b << '"';
        ASSERT_EQ(fast, -sign(m_collator->compare(b, a))) << '"' << a << "\" vs \"" << b << '"';
        if (fast == 0) ++equal;
    }
    EXPECT_GT(equal, 100);  // case-only differences were met, not just distinct names
}

TEST_F(NameCollationTest, EveryPairOfPrintableCharactersOrdersAsTheCollatorSays) {
    for (int a = 0x20; a < 0x7F; ++a)
        for (int b = 0x20; b < 0x7F; ++b) {
            const std::string x{'x', static_cast<char>(a), 'y'}, y{'x', static_cast<char>(b)};
            ASSERT_EQ(sign(m_collator->compare(x, y)), sign(m_collator->compareByIcu(x, y)))
                << x << " vs " << y;
        }
}

}  // namespace
}  // namespace tko::store
