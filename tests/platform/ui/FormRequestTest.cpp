// The decisions every form takes: what leaving asks, what OK does, the
// delete confirmation and "add another?"; and how a form keeps the user's
// edits when another station changed the record (merge, "Show changes").
#include <gtest/gtest.h>

#include "data/Messages.h"
#include "data/Records.h"
#include "platform/FormRequest.h"
#include "platform/Picture.h"
#include "platform/RecordMerge.h"

#include <functional>

namespace tko {
namespace {

TEST(FormRequest, RequestNumbersAndStatusWords) {
    EXPECT_EQ(requestFromNumber(1), Request::Insert);
    EXPECT_EQ(requestFromNumber(4), Request::Select);
    EXPECT_EQ(requestFromNumber(0), Request::None);
    EXPECT_EQ(requestFromNumber(5), Request::None);
    EXPECT_EQ(statusWord(Request::Insert), "Record will be Added");
    EXPECT_EQ(statusWord(Request::Change), "Record will be Changed");
    EXPECT_EQ(statusWord(Request::Delete), "Record will be Deleted");
    EXPECT_EQ(statusWord(Request::Select), "");
}

TEST(FormRequest, StatusWordsPassThroughTheTranslator) {
    setMessageTranslator([](const std::string& s) { return "<" + s + ">"; });
    const std::string word = statusWord(Request::Change);
    setMessageTranslator(nullptr);
    EXPECT_EQ(word, "<Record will be Changed>");
}

TEST(FormRequest, RefusedRequestsNameTheirMessage) {
    const FormPermissions changeOnly{false, true, false};
    EXPECT_EQ(refusalMessage(Request::Insert, changeOnly), 19);
    EXPECT_EQ(refusalMessage(Request::Change, changeOnly), 0);
    EXPECT_EQ(refusalMessage(Request::Delete, changeOnly), 21);
    EXPECT_EQ(refusalMessage(Request::Select, changeOnly), 0);
    EXPECT_EQ(refusalMessage(Request::Change, FormPermissions{true, false, true}), 20);
    EXPECT_EQ(refusalMessage(Request::None, changeOnly), 19);
}

TEST(FormRequest, LeavingAnUnchangedFormAsksNothing) {
    for (Request r : {Request::Insert, Request::Change, Request::Delete, Request::Select})
        for (CancelTrigger t : {CancelTrigger::CancelButton, CancelTrigger::CloseWindow}) {
            EXPECT_EQ(cancelMessage(r, t, false), 0);
            EXPECT_EQ(cancelStep(cancelMessage(r, t, false), Answer::Cancel), FormStep::Close);
        }
    // A delete or select form has nothing to lose, changed or not.
    EXPECT_EQ(cancelMessage(Request::Delete, CancelTrigger::CloseWindow, true), 0);
    EXPECT_EQ(cancelMessage(Request::Select, CancelTrigger::CancelButton, true), 0);
}

TEST(FormRequest, CancelButtonAfterChangesConfirmsTheLoss) {
    EXPECT_EQ(cancelMessage(Request::Change, CancelTrigger::CancelButton, true), 23);
    EXPECT_EQ(cancelMessage(Request::Insert, CancelTrigger::CancelButton, true), 23);
    EXPECT_EQ(cancelStep(23, Answer::Yes), FormStep::Close);
    EXPECT_EQ(cancelStep(23, Answer::No), FormStep::Stay);
}

TEST(FormRequest, EscapeAndCancelAskTheSameQuestion) {
    for (Request r : {Request::Insert, Request::Change})
        EXPECT_EQ(cancelMessage(r, CancelTrigger::CloseWindow, true),
                  cancelMessage(r, CancelTrigger::CancelButton, true));
    EXPECT_EQ(cancelMessage(Request::Change, CancelTrigger::CloseWindow, true), 23);
}

TEST(FormRequest, TheSaveQuestionSavesDiscardsOrStays) {
    EXPECT_EQ(cancelStep(33, Answer::Yes), FormStep::SaveThenClose);
    EXPECT_EQ(cancelStep(33, Answer::No), FormStep::Close);
    EXPECT_EQ(cancelStep(33, Answer::Cancel), FormStep::Stay);
    // An unknown message never loses data.
    EXPECT_EQ(cancelStep(99, Answer::Yes), FormStep::Stay);
}

TEST(FormRequest, OkWritesOnlyWhatNeedsWriting) {
    EXPECT_EQ(okMessage(Request::Insert), 0);
    EXPECT_EQ(okStep(Request::Insert, false), FormStep::Save);
    EXPECT_EQ(okStep(Request::Change, true), FormStep::Save);
    // A change with nothing changed writes nothing (and cannot collide with
    // another station's change).
    EXPECT_EQ(okStep(Request::Change, false), FormStep::Close);
    EXPECT_EQ(okStep(Request::Select, true), FormStep::Close);
}

TEST(FormRequest, DeleteNeedsConfirmation) {
    EXPECT_EQ(okMessage(Request::Delete), 32);
    EXPECT_EQ(standardMessage(32).buttons, MessageButtons::OkCancel);
    EXPECT_EQ(okStep(Request::Delete, false, Answer::Ok), FormStep::Delete);
    EXPECT_EQ(okStep(Request::Delete, false, Answer::Cancel), FormStep::Stay);
}

TEST(FormRequest, AddAnotherIsAskedOnlyAfterAnInsertThatOffersIt) {
    EXPECT_EQ(afterSaveMessage(Request::Insert, true), 37);
    EXPECT_EQ(afterSaveMessage(Request::Insert, false), 0);
    EXPECT_EQ(afterSaveMessage(Request::Change, true), 0);
    EXPECT_EQ(afterSaveStep(37, Answer::Yes), FormStep::PrimeNext);
    EXPECT_EQ(afterSaveStep(37, Answer::No), FormStep::Close);
    EXPECT_EQ(afterSaveStep(0, Answer::Yes), FormStep::Close);
}

TEST(FormRequest, SnapshotSeesChangesInAnyFieldButNotInThePosition) {
    Person opened;
    opened.SHORTNAME = "ANN";
    opened.COMMENTS = "first";
    FormSnapshot<Person> snapshot;
    snapshot.take(opened);
    Person current = opened;
    current.rowVersion = 7;  // re-read after another station's change
    EXPECT_FALSE(snapshot.changed(current));
    current.COMMENTS = "second";  // a memo
    EXPECT_TRUE(snapshot.changed(current));
    current = opened;
    current.SHORTNAME = "ANN ";  // texts are held clipped; a blank is a change here
    EXPECT_TRUE(snapshot.changed(current));
}

// How the assignment form shows its fields (enough of them for the cases).
const std::vector<FieldView> kViews = {
    {"NAME", "Assignment", "", ""},
    {"PERSON", "Person Assigned", "", ""},
    {"PERSONNUMBER", "", "", "PERSON"},
    {"PRIORITY", "Priority", "@n1", ""},
    {"SECONDARY", "Secondary", kCheckPicture, ""},
    {"DUEDATE", "Due Date:", "@D18b", ""},  // shown without the colon
    {"REPEATTYPE", "Repeating", "", ""},
    {"REPNUMBER", "", "@n3b", "REPEATTYPE"},
    {"GENERALMEMO", "Comments", "", ""},
    {"LOG", "Log", "", ""},
};

TEST(RecordMerge, ThreeWayMergeKeepsBothSidesAndNamesWhatBothChanged) {
    using Values = std::vector<std::pair<std::string, store::Value>>;
    struct Case {
        const char* what;
        Values mine, theirs;
        std::vector<std::string> conflicts;
        Values expected;  // over the stored version
    };
    const std::string memo = "Call first";
    const Case cases[] = {
        {"different fields: each keeps its own",
         {{"NAME", "Mine"}},
         {{"PRIORITY", 2}},
         {},
         {{"NAME", "Mine"}}},
        {"only the other station changed", {}, {{"DUEDATE", 82600}}, {}, {}},
        {"both to the same value", {{"NAME", "Same"}}, {{"NAME", "Same"}}, {}, {}},
        {"both to different values: the user's until chosen",
         {{"NAME", "Mine"}},
         {{"NAME", "Theirs"}},
         {"NAME"},
         {{"NAME", "Mine"}}},
        {"trailing blanks are no change",
         {{"NAME", "Order paper   "}},
         {{"NAME", "Theirs"}},
         {},
         {}},
        {"a unit conflicts as one, under its first field",
         {{"PERSON", "BEN"}, {"PERSONNUMBER", 2}},
         {{"PERSONNUMBER", 9}},
         {"PERSON"},
         {{"PERSON", "BEN"}, {"PERSONNUMBER", 2}}},
        {"a unit changed on one side only",
         {{"PRIORITY", 1}},
         {{"REPNUMBER", 3}},
         {},
         {{"PRIORITY", 1}}},
        {"a field the form does not show follows the store",
         {{"NAME", "Mine"}},
         {{"SEEN", 0}},
         {},
         {{"NAME", "Mine"}}},
        {"both changed a field the form does not show: the stored value",
         {{"SEEN", 0}},
         {{"SEEN", 2}},
         {},
         {}},
        {"memos both added to: the user's addition after the stored text",
         {{"GENERALMEMO", memo + "\r\nBEN: done"}},
         {{"GENERALMEMO", memo + "\r\nSUP: later"}},
         {},
         {{"GENERALMEMO", memo + "\r\nSUP: later\r\nBEN: done"}}},
        {"memos rewritten on both sides: both texts, the user's on its own line",
         {{"GENERALMEMO", "mine"}},
         {{"GENERALMEMO", "theirs"}},
         {},
         {{"GENERALMEMO", "theirs\r\nmine"}}},
        {"a memo that contains the other at its start is kept whole",
         {{"GENERALMEMO", memo + " today"}},
         {{"GENERALMEMO", memo + " today, then write"}},
         {},
         {}},
        {"the log memo follows the same rule",
         {{"LOG", "mine"}},
         {{"LOG", "Created\r"}},
         {},
         {{"LOG", "Created\rmine"}}},
        {"a memo emptied by the user only",
         {{"GENERALMEMO", ""}},
         {{"NAME", "Theirs"}},
         {},
         {{"GENERALMEMO", ""}}},
    };
    const store::TableDef& table = Assignment::def();
    auto with = [&](store::Row row, const Values& values) {
        for (const auto& [field, value] : values)
            row.values[static_cast<size_t>(table.fieldIndex(field))] = value;
        return row;
    };
    Assignment opened;
    opened.NAME = "Order paper";
    opened.PERSON = "PAT";
    opened.PERSONNUMBER = 1;
    opened.PRIORITY = 5;
    opened.SEEN = 1;
    opened.GENERALMEMO = memo;
    opened.rowPos = 11;
    opened.rowVersion = 3;
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        store::Row theirs = with(opened.toRow(), c.theirs);
        theirs.version = 4;
        const RecordMerge merged =
            mergeRecord(table, kViews, opened.toRow(), with(opened.toRow(), c.mine), theirs);
        EXPECT_EQ(merged.conflicts, c.conflicts);
        EXPECT_EQ(merged.row.pos, 11);
        EXPECT_EQ(merged.row.version, 4);  // saving it writes over the current version
        const store::Row expected = with(theirs, c.expected);
        for (size_t i = 0; i < table.fields.size(); ++i)
            EXPECT_TRUE(sameValue(merged.row.values[i], expected.values[i]))
                << table.fields[i].name;
    }
}

TEST(RecordMerge, ChoosingTheirsTakesTheWholeUnitAndChangesShowAsTheFormDoes) {
    Assignment opened, mine, theirs;
    opened.PERSON = "PAT";
    opened.PERSONNUMBER = 1;
    opened.DUEDATE = 82528;
    mine = theirs = opened;
    mine.PERSON = "BEN";
    mine.PERSONNUMBER = 2;
    theirs.PERSON = "ANNA";
    theirs.PERSONNUMBER = 3;
    store::Row merged =
        mergeRecord(Assignment::def(), kViews, opened.toRow(), mine.toRow(), theirs.toRow()).row;
    takeTheirs(Assignment::def(), kViews, "PERSON", theirs.toRow(), merged);
    Assignment result;
    result.fromRow(merged);
    EXPECT_EQ(result.PERSON, "ANNA");
    EXPECT_EQ(result.PERSONNUMBER, 3);

    // "Show changes": captions, values in the user's pictures, units as one
    // row, hidden fields and unchanged units left out.
    theirs.DUEDATE = 82526;
    theirs.PRIORITY = 7;
    theirs.SECONDARY = 1;
    theirs.SEEN = 1;
    theirs.REPNUMBER = 2;
    mine.GENERALMEMO = "line one\r\nline two";
    const std::vector<ChangedField> rows =
        changedFields(Assignment::def(), kViews, theirs.toRow(), mine.toRow());
    std::vector<std::string> shown;
    for (const ChangedField& row : rows)
        shown.push_back(row.field + ": " + row.caption + " | " + row.theirs + " | " + row.mine);
    const std::vector<std::string> expected = {
        "PERSON: Person Assigned | ANNA | BEN",
        "PRIORITY: Priority | 7 | 0",
        "SECONDARY: Secondary | Yes | No",
        "DUEDATE: Due Date | " + formatDate(82526, u"@D18b").toStdString() + " | " +
            formatDate(82528, u"@D18b").toStdString(),
        "REPEATTYPE: Repeating | 2 | ",
        "GENERALMEMO: Comments |  | line one\nline two",
    };
    EXPECT_EQ(shown, expected);
}

}  // namespace
}  // namespace tko
