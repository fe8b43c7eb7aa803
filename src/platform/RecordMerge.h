// Merging what the user typed into a form with what another station stored
// meanwhile: a three-way merge of the record as the form read it (the opening
// copy), the user's version and the stored version. Plain logic behind the
// forms' "Keep mine" and "Ditto" (Ctrl+').
//
// Field by field (a unit of fields that go together counts as one field,
// FieldView::with):
//  - changed by the user only: the user's value;
//  - changed by the other station only, or by nobody: the stored value;
//  - changed by both to the same value: that value;
//  - changed by both to different values: a conflict; the merged row holds
//    the user's value until the user chooses (takeTheirs()). A field the
//    form does not show (no caption in its views) is no choice the user
//    could make: it takes the stored value;
//  - memo fields changed by both never conflict: both texts are kept. When
//    both sides only added to the text as it was read, the user's addition
//    follows the stored text; when one text contains the other at its start,
//    the longer one is kept; otherwise the user's text follows the stored one
//    on a line of its own. The result may exceed the memo's width; the form
//    then refuses it on OK like any over-long memo, so nothing is cut.
#pragma once

#include <string>
#include <vector>

#include "platform/RecordChanges.h"

namespace tko {

struct RecordMerge {
    // The stored row's position and version with the merged values: saving it
    // writes over the current stored version, not over an older one.
    store::Row row;
    // The first fields of the units both stations changed to different
    // values, in the order of the table.
    std::vector<std::string> conflicts;
};

// `views` names the units (fields not listed are units of their own).
RecordMerge mergeRecord(const store::TableDef& table, const std::vector<FieldView>& views,
                        const store::Row& opened, const store::Row& mine, const store::Row& theirs);

// Puts the stored values of the unit that `field` leads into `merged`: the
// user chose the other station's value of a conflict.
void takeTheirs(const store::TableDef& table, const std::vector<FieldView>& views,
                const std::string& field, const store::Row& theirs, store::Row& merged);

// Both texts of a memo changed on both sides, as the merge keeps them
// (memo line ends are "\r\n").
std::string mergeMemoTexts(const std::string& opened, const std::string& mine,
                           const std::string& theirs);

}  // namespace tko
