// The decisions every form takes: what leaving asks, what OK does, the
// delete confirmation and "add another?".
#include <gtest/gtest.h>

#include "data/Messages.h"
#include "data/Records.h"
#include "platform/FormRequest.h"

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

}  // namespace
}  // namespace tko
