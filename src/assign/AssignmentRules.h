// The rules of the "Assignment Information" form that need no window: who may
// edit what, priming a new record, the activity log lines, what "OK" does to
// the record before it is stored, the seen flag, "Duplicate", project links
// and the text-file layout. The form collects input and calls these.
//
// Functions that touch the store return a Status or an outcome; none shows
// anything. GUI-free; one thread at a time per Database.
#pragma once

#include <optional>
#include <string>
#include <vector>

#include <QString>
#include <QStringList>

#include "data/Database.h"
#include "data/Integrity.h"
#include "data/Messages.h"
#include "data/Records.h"
#include "data/Session.h"
#include "platform/Date.h"
#include "platform/Outcome.h"
#include "platform/RecordChanges.h"

namespace tko {

inline constexpr int kLogWidth = Assignment::Width::LOG;
inline constexpr int kTextFileWidth = 60;  // a line of the assignment text file
inline constexpr int kCommentSlice = 58;   // general comments per text-file line

// ---- roles and rights ------------------------------------------------------
// Names compare as 15-character fields: trailing blanks do not count.
bool isOwner(const Assignment& a, const Session& s);
bool isAssignee(const Assignment& a, const Session& s);

// Whether the user may conclude: owner, System Administrator, or assignee when
// ASS:ASSIGNEECONCLUDE is 1.
bool mayConclude(const Assignment& a, const Session& s);

// What the form lets the user touch.
struct EditRights {
    bool general = true;       // the "General" tab: name, person, priority, dates, repeat...
    bool generalMemo = true;   // general comments editable
    bool projects = true;      // project list buttons
    bool reminders = true;     // the "Reminders" tab
    bool duplicate = true;     // "Duplicate" (insert requests only)
    bool confidential = true;  // the "Confidential" tab shown
    bool assignMemo = false;   // assignee notes editable
    bool conclude = true;      // "Conclude" allowed by role (see also essentialsFilled)
    bool ownerOrAdmin = true;  // buttons then follow the content (essentialsFilled)
};
EditRights editRights(const Assignment& a, const Session& s, Request request,
                      bool confidentialSetting);

// The fields as the form shows them, for comparing and merging the versions
// of two stations; the confidential comments only for a user who sees their
// tab (EditRights::confidential).
std::vector<FieldView> assignmentFieldViews(bool confidential);

// Name, priority, person and due date all filled in: OK, Print, Text File and
// Conclude are available to the owner and administrators only then.
bool essentialsFilled(const Assignment& a);

// Message 10 naming "Importance of Assignment" for a priority outside 1..9.
std::optional<StandardMessage> checkAssignmentPriority(int priority);

// ---- the person assigned -------------------------------------------------------
// Whether the user may give `a` to its person, checked before every write of
// a person the form did not open with: the person must be one that "Browse
// People Who Can Be Assigned" offers the user. A person typed but not yet
// looked up (PERSONNUMBER 0) is looked up by name here and, when found,
// PERSONNUMBER is filled in. A change that keeps the person the record was
// opened with is not checked again, nor is a blank person.
struct AssigneeCheck {
    enum Kind { Accepted, Ambiguous, NotAssignable, Failed };
    Kind kind = Accepted;
    std::string message;  // translated; for Failed the store's error text
    bool ok() const { return kind == Accepted; }
};
AssigneeCheck checkAssignee(Database& db, const Session& s, Assignment& a, const Assignment& opened,
                            Request request);

// The refusal of a person the user may not give assignments to, wherever the
// person comes from (typed, picked, preferences), translated: "You are not
// authorized to give assignments to this person."
std::string notAssignableText();
// The typed look-up's refusal of a name several people carry, the name merged in.
std::string ambiguousPersonText(const std::string& shortName);

// ---- priming and the log ---------------------------------------------------
// A new record: priority from the preferences (9 when none), "assignee can
// conclude" from them, due and assigned today, the user as owner, "No Repeats".
Assignment primeAssignment(const UserPref& pref, const std::string& user, Date today);

// "<word> hh:mm <long date> By <user, 15 characters>" and a carriage return,
// the word and "By" translated.
std::string logLine(const std::string& word, const std::string& user, Date today, Time now);

// `log` with trailing blanks removed and `addition` appended. When the result
// would pass the log's 2000 characters, the oldest lines make room, so the
// newest entry is never the one lost.
std::string appendToLog(const std::string& log, const std::string& addition);

// The log as the form shows it: one entry a line. Entries end with a carriage
// return and a conclusion starts with one, so the stored text holds empty
// lines between entries (and may hold CR LF from other stations); these are
// not shown. The stored log stays as it is.
QString activityLogText(const std::string& log);

// What "OK" does to a changed record before it is stored: the previous due
// date when the due date moved, and, when anything but the confidential memo
// changed, a "Changed" log line and (for anyone but the assignee) SEEN = 0.
// `opened` is the record as it was when the form opened. Returns whether the
// record now differs from it.
bool applyChangeOnOk(Assignment& current, const Assignment& opened, const Session& s, Date today,
                     Time now);
// Insert: the log becomes the one "Created" line.
void applyInsertOnOk(Assignment& current, const Session& s, Date today, Time now);

// ---- store operations --------------------------------------------------------
// Adds the primed record at once with the next free number (three attempts).
Status addNewAssignment(Database& db, Assignment& a);

// Storing reports Done, ChangedElsewhere or Failed, with the standard message
// to show.
// Stores `current` (read earlier) through the version-checked change. On
// ChangedElsewhere `current` holds the other station's values. The mail
// notices the change calls for (NoticeRules.h), caused by `actor`, are queued
// in the same transaction.
Outcome storeAssignment(Database& db, Assignment& current, const Assignment& opened,
                        const std::string& actor);

// Marks the assignment seen when the assignee opens it; `marked`, when given,
// tells whether it was written (nothing is needed for anyone else, or when it
// is seen already). ChangedElsewhere or Failed when it could not be marked:
// the form then does not open.
Outcome markSeenByAssignee(Database& db, Assignment& a, const Session& s, bool* marked = nullptr);

// "Duplicate": stores `current` with a "Created" log line, then adds a copy
// with the next free number, no person, the same memos, and copies of the
// first one's reminders and project links, all in one transaction. On success
// `copy` is the stored copy. Refused ("Fill in the name, priority, person
// and due date first.", nothing written) unless `current` has what "OK"
// needs (essentialsFilled()): a first record without a person would stay
// behind, due every day, when the form is then cancelled.
Outcome duplicateAssignment(Database& db, Assignment& current, Assignment& copy, const Session& s,
                            Date today, Time now);

// Links the assignment to a project unless that link exists; true in `added`
// when a link was written.
Status addProjectLink(Database& db, const Assignment& a, const Project& project,
                      const std::string& user, bool& added);

// The assignment's reminders (REM:ASSIGNNUMBER_KEY) and project links.
Status remindersOf(Database& db, std::int32_t assignNumber, std::vector<Reminder>& out);
Status projectLinksOf(Database& db, std::int32_t assignNumber, std::vector<ProjAssign>& out);

// ---- text file -----------------------------------------------------------------
// The lines of "Text File", none longer than 60 characters (a longer value
// goes on under it on a further line). `description` is the repeat line
// (empty for none), `projectName` the current project link's name.
QStringList assignmentTextLines(const Assignment& a, const QString& description,
                                const QString& projectName);
// Writes `lines` to `path`, one a line; an error text on failure, else empty.
QString writeTextLines(const QString& path, const QStringList& lines);

}  // namespace tko
