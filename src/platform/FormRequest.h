// What a form is asked to do, and the decisions every form takes the same
// way: what Cancel or closing the window asks, what OK does, the delete
// confirmation and the "add another?" question after an insert.
//
// The functions are pure: the window shows the message they name, passes the
// user's answer back, and carries out the step it gets. Message numbers are
// those of standardMessage() (data/Messages.h).
#pragma once

#include "platform/Answer.h"

#include <string>

namespace tko {

// The request with which a form is opened (the numbers are part of the
// session's contract: 1 insert, 2 change, 3 delete, 4 select).
enum class Request { None = 0, Insert = 1, Change = 2, Delete = 3, Select = 4 };

// What a form asks of the list that opened it when it ends by the
// record-navigation keys (Alt+Home, Alt+PgUp, Alt+PgDn, Alt+End, Alt+Insert):
// move the list's highlight to the first, previous, next or last row and open
// the form again on that row, or open it again to insert another record.
enum class RecordNavigation { None, First, Previous, Next, Last, Insert };

// Request from its number; anything outside 1..4 is None.
Request requestFromNumber(int number);

// The translated status word a form shows for its request: "Record will be
// Added", "Record will be Changed", "Record will be Deleted"; empty for
// Select and None.
std::string statusWord(Request request);

// Which requests a form accepts.
struct FormPermissions {
    bool insert = true;
    bool change = true;
    bool remove = true;
};

// Message 19, 20 or 21 when the form was opened with a request it does not
// accept (the form then returns to its caller at once); 0 when it accepts it.
// None is refused like an insert would be for a form that takes no inserts,
// i.e. it is accepted only when inserts are.
int refusalMessage(Request request, const FormPermissions& permissions);

// How the user leaves a form without OK. Both ways ask the same question:
// a user who presses Escape means what a user who presses Cancel means.
enum class CancelTrigger {
    CancelButton,  // the "Cancel" button
    CloseWindow,   // Escape or the window's close box
};

// What a form does next.
enum class FormStep {
    Close,          // the form ends (completed or cancelled, see the caller)
    Stay,           // the form stays open as it is
    Save,           // write the record (insert or change), then see afterSave()
    SaveThenClose,  // write the record; close when that worked, else stay
    Delete,         // delete the record; close when that worked, else stay
    PrimeNext,      // the insert worked: clear the form for another record
};

// The message to ask before leaving a form without OK, by either trigger:
// 23 ("Are you sure you want to cancel?") for an insert or change whose
// record differs from the copy taken at opening; 0 (ask nothing) otherwise.
int cancelMessage(Request request, CancelTrigger trigger, bool changed);

// The step after the answer to cancelMessage(). With no message asked
// (message 0) the form closes. 23: Yes closes without saving, anything else
// stays. 33: Yes saves then closes, No closes without saving, Cancel stays.
FormStep cancelStep(int message, Answer answer);

// The message to ask when OK is pressed: 32 (confirm delete) for the delete
// request, 0 otherwise.
int okMessage(Request request);

// The step after OK (and the answer to okMessage(), ignored when none was
// asked): insert saves; change saves only when the record differs from the
// copy taken at opening, otherwise closes without writing anything; delete
// deletes on Ok and stays otherwise; select and None close.
FormStep okStep(Request request, bool changed, Answer answer = Answer::Ok);

// The message to ask after a successful save: 37 ("This record has been added
// to the file. Do you want to add another record?") after an insert when the
// form offers to add another; 0 otherwise.
int afterSaveMessage(Request request, bool offerAnother);

// The step after the answer to afterSaveMessage(): 37 answered Yes primes the
// next record, anything else closes.
FormStep afterSaveStep(int message, Answer answer);

// The copy of a record taken when a form opens, to tell whether the user
// changed anything. R is a record struct of data/Records.h (sameValues()).
template <class R>
class FormSnapshot {
public:
    void take(const R& record) { m_copy = record; }
    const R& copy() const { return m_copy; }
    bool changed(const R& current) const { return !current.sameValues(m_copy); }

private:
    R m_copy{};
};

}  // namespace tko
