// What another station changed in a record a form holds open: the stored row
// compared with the form's own (the version it read and the values as the
// user edited them), shown with the form's own captions and display pictures.
// Plain logic for the forms' "Changed at another station" bar.
#pragma once

#include <string>
#include <vector>

#include "platform/store/Engine.h"

namespace tko {

// The state of the stored record seen from a form.
enum class StoredState {
    Unchanged,  // still the version the form read
    Changed,    // written by another station (or window) since
    Deleted,    // no longer there
};

// Re-reads the record at `mine.pos` and compares its version with
// `mine.version`; `stored` receives the row when there is one. A storage
// failure is returned as such (the caller tries again with the next notice).
store::Status storedState(store::Engine& engine, const store::TableDef& table,
                          const store::Row& mine, StoredState& state, store::Row& stored);

// How a form shows one field of its record. A form lists the fields it shows;
// a field it does not list is never named to the user.
//
// A field may go with another one (`with`): the person's number with the
// person's name, the parts of a repetition rule with its type. Such fields
// are one unit: they are compared, shown and chosen together, under the
// caption of the field they go with.
struct FieldView {
    std::string field;  // the field's label: "DUEDATE"
    // The form's caption, source text ("Due Date:"), shown without a colon
    // at its end; empty with `with`.
    std::string caption;
    // How the value reads: a display picture ("@D18b", "@n1"), kCheckPicture
    // for a check box ("Yes"/"No"), or "" for the text as stored. A field
    // that goes with another and has no picture is not shown at all.
    std::string picture;
    std::string with;  // the label of the field this one goes with, or ""
};

// The picture of a check box's field: 0 reads "No", anything else "Yes".
inline constexpr const char* kCheckPicture = "check";

// One unit of fields whose stored value differs from the form's value.
struct ChangedField {
    std::string field;    // the label of the unit's first field ("PERSON")
    std::string caption;  // the form's caption, translated, without its colon
    std::string theirs;   // the stored value as the form would show it
    std::string mine;     // the form's value, shown the same way
};

// The units of `views` in which `theirs` and `mine` differ, in the order of
// `views`; texts compare without their trailing blanks, as everywhere in the
// program. Dates and numbers read in the user's pictures (the active locale);
// memo lines end in "\n".
std::vector<ChangedField> changedFields(const store::TableDef& table,
                                        const std::vector<FieldView>& views,
                                        const store::Row& theirs, const store::Row& mine);

// The fields (indexes into table.fields) of the unit that `field` leads:
// itself and every view that goes with it. Fields the table lacks are left out.
std::vector<int> unitFields(const store::TableDef& table, const std::vector<FieldView>& views,
                            const std::string& field);

// Whether two values of one field are the same: texts without trailing blanks.
bool sameValue(const store::Value& a, const store::Value& b);

}  // namespace tko
