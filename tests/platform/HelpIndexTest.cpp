// The full-text index of the help topics.
#include <gtest/gtest.h>

#include "platform/HelpIndex.h"

using tko::HelpHit;
using tko::HelpIndex;

namespace {

const char* kViews = R"(<html><head><title>Views</title><style>p { color: red }</style></head>
<body>
<p>Before any topic: orphan words.</p>
<a id="~Current_Reminders_Window"></a>
<h1>Current Reminders</h1>
<p>Lists your reminders that have come due. <b>Delete</b> asks first;
<b>Alert</b> toggles the start-up flag &amp; keeps the note.</p>
<table><tr><td>Print</td><td>prints the reminders</td></tr></table>
<a name="~Reminder_Information_Window"></a>
<h2>Reminder Information</h2>
<p>Date &lt;required&gt; and a note of 50 characters. &Auml;nderungen &#8211; caf&#233;.</p>
)";

const char* kPeople = R"(<html><head><title>People</title></head><body>
<a id="~Person_Information_Window"></a>
<p>Dial calls the person's telephone number; a reminder is not a person.</p>
)";

HelpIndex index() {
    HelpIndex i;
    i.addPage(QStringLiteral("views.html"), QString::fromUtf8(kViews));
    i.addPage(QStringLiteral("people.html"), QString::fromUtf8(kPeople));
    return i;
}

QStringList keywords(const std::vector<HelpHit>& hits) {
    QStringList out;
    for (const HelpHit& h : hits) out << h.keyword;
    return out;
}

}  // namespace

TEST(HelpIndex, EachAnchorStartsATopicWithItsHeadingAsTitle) {
    const HelpIndex i = index();
    ASSERT_EQ(i.topics().size(), 3u);
    EXPECT_EQ(i.topics()[0].keyword, QStringLiteral("Current_Reminders_Window"));
    EXPECT_EQ(i.topics()[0].title, QStringLiteral("Current Reminders"));
    EXPECT_EQ(i.topics()[1].keyword, QStringLiteral("Reminder_Information_Window"));
    EXPECT_EQ(i.topics()[1].page, QStringLiteral("views.html"));
    // No heading: the page's title.
    EXPECT_EQ(i.topics()[2].title, QStringLiteral("People"));
    // Markup and entities are gone; text before the first anchor is nobody's.
    EXPECT_EQ(i.topics()[1].text.left(33), QStringLiteral("Reminder Information Date <requir"));
    EXPECT_TRUE(i.topics()[0].text.contains(QStringLiteral("flag & keeps")));
    EXPECT_TRUE(i.search(QStringLiteral("orphan")).empty());
    EXPECT_TRUE(i.search(QStringLiteral("color")).empty());
}

TEST(HelpIndex, EveryWordMustOccurInOneTopic) {
    const HelpIndex i = index();
    EXPECT_EQ(keywords(i.search(QStringLiteral("alert flag"))),
              QStringList{QStringLiteral("Current_Reminders_Window")});
    // "alert" and "telephone" occur, but in different topics.
    EXPECT_TRUE(i.search(QStringLiteral("alert telephone")).empty());
    // Case, punctuation and word starts do not matter.
    EXPECT_EQ(keywords(i.search(QStringLiteral("TELEPH, Dial!"))),
              QStringList{QStringLiteral("Person_Information_Window")});
    // Tag names are no words of the text.
    EXPECT_TRUE(i.search(QStringLiteral("table")).empty());
    EXPECT_TRUE(i.search(QStringLiteral("  ,; ")).empty());
}

TEST(HelpIndex, LettersBeyondAsciiAndEntitiesAreFound) {
    const HelpIndex i = index();
    EXPECT_EQ(keywords(i.search(QStringLiteral("änderungen"))),
              QStringList{QStringLiteral("Reminder_Information_Window")});
    EXPECT_EQ(keywords(i.search(QStringLiteral("Café"))),
              QStringList{QStringLiteral("Reminder_Information_Window")});
}

TEST(HelpIndex, TopicsNamedInTheirTitleComeFirst) {
    const HelpIndex i = index();
    const std::vector<HelpHit> hits = i.search(QStringLiteral("reminder"));
    ASSERT_EQ(hits.size(), 3u);
    // "reminder" is in both views titles, only in the text of the person topic.
    EXPECT_EQ(hits.back().keyword, QStringLiteral("Person_Information_Window"));
    EXPECT_GT(hits[1].score, hits[2].score);
    EXPECT_TRUE(hits.back().excerpt.contains(QStringLiteral("reminder")));
}
