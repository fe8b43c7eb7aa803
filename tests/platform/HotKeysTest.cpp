// Hot keys of translated button rows; the names a screen reader reads for a
// control, from its prompt, caption and tool tip.
#include <gtest/gtest.h>

#include "platform/AccessibleText.h"
#include "platform/HotKeys.h"

using tko::withHotKeys;

namespace {
QStringList row(std::initializer_list<const char*> captions) {
    QStringList out;
    for (const char* c : captions) out << QString::fromUtf8(c);
    return out;
}
}  // namespace

TEST(HotKeys, EachButtonGetsItsFirstFreeLetter) {
    EXPECT_EQ(withHotKeys(row({"Yes", "No", "Cancel"})), row({"&Yes", "&No", "&Cancel"}));
    EXPECT_EQ(withHotKeys(row({"OK", "Cancel"})), row({"&OK", "&Cancel"}));
    // Letters compare without case: the second "n" is taken.
    EXPECT_EQ(withHotKeys(row({"Nein", "nicht", "Abbrechen"})),
              row({"&Nein", "n&icht", "&Abbrechen"}));
    EXPECT_EQ(withHotKeys(row({"Ändern", "Ärger"})), row({"&Ändern", "Ä&rger"}));
}

TEST(HotKeys, MarksAndAmpersandsInCaptions) {
    // A caption that marks a free key keeps it; a taken one is moved.
    EXPECT_EQ(withHotKeys(row({"Save", "Sa&ve as"})), row({"&Save", "Sa&ve as"}));
    EXPECT_EQ(withHotKeys(row({"&Yes", "&Yank"})), row({"&Yes", "Y&ank"}));
    // A literal ampersand is shown, not taken for a mark.
    EXPECT_EQ(withHotKeys(row({"Save && close", "&& more"})), row({"&Save && close", "&& &more"}));
    // No free letter left: no hot key rather than a doubled one.
    EXPECT_EQ(withHotKeys(row({"A", "a", "..."})), row({"&A", "a", "..."}));
    EXPECT_EQ(withHotKeys(QStringList()), QStringList());
}

TEST(AccessibleText, TheFirstTextThatSaysSomethingNamesTheControl) {
    struct Case {
        const char *prompt, *caption, *tip, *name, *description;
    };
    const Case cases[] = {
        {"D&ue Date:", "", "Date the assignment is due", "Due Date", "Date the assignment is due"},
        {"", "&Secondary", "Secondary assignment", "Secondary", "Secondary assignment"},
        {"", "...", "Look up person", "Look up person", ""},  // "..." names nothing
        {"", "<<", "", "", ""},
        {" Profit && Loss : ", "", "", "Profit & Loss", ""},
        {"", "&OK", "&OK", "OK", "&OK"},
        {"", "", "Same", "Same", ""},  // the tip is the name, not also the description
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const QString name = tko::accessibleNameFrom(
            QString::fromUtf8(c.prompt), QString::fromUtf8(c.caption), QString::fromUtf8(c.tip));
        EXPECT_EQ(name, QString::fromUtf8(c.name));
        EXPECT_EQ(tko::accessibleDescriptionFrom(name, QString::fromUtf8(c.tip)),
                  QString::fromUtf8(c.description));
    }
}
