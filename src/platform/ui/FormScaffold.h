// The part every form window shares: the request it was opened with, the
// status word beside its buttons, and the questions of OK, Cancel and
// closing, asked through MessageBox and decided by FormRequest.h.
//
// A form creates one FormScaffold, fills the hooks it needs, connects its OK
// and Cancel buttons to ok() and cancel(), and calls closeRequested() from its
// reject() (Escape and the close box):
//
//     void MyForm::reject() { if (m_scaffold.closeRequested()) QDialog::reject(); }
//
// The scaffold ends the dialog itself with done(): Accepted when the request
// was completed (written, deleted, selected), Rejected otherwise. Every hook
// runs on the GUI thread; a hook that fails shows its own message and
// returns false, and the form then stays open.
#pragma once

#include "platform/FormRequest.h"
#include "platform/RecordChanges.h"
#include "platform/store/Engine.h"

#include <QObject>
#include <QPointer>

#include <functional>
#include <optional>
#include <vector>

class QDialog;
class QFormLayout;
class QHBoxLayout;
class QLabel;
class QPushButton;
class QWidget;

namespace tko {

class FormScaffold : public QObject {
    Q_OBJECT
public:
    FormScaffold(QDialog* form, Request request, QObject* parent = nullptr);

    Request request() const { return m_request; }
    // Shows the translated status word of the request in `label` (the form's
    // status line) and keeps it current when the request changes.
    void setStatusLabel(QLabel* label);
    // Another request (a form that turns an insert into a change, say).
    void setRequest(Request request);

    // Whether the form accepts each request (messages 19 to 21 otherwise).
    void setPermissions(const FormPermissions& permissions) { m_permissions = permissions; }
    // Ask "add another record?" (message 37) after each insert.
    void setOfferAnother(bool offer) { m_offerAnother = offer; }

    // ---- hooks the form fills
    // True when the record differs from the copy taken at opening.
    std::function<bool()> isChanged;
    // Writes the record (insert or change); false when it was not written.
    std::function<bool()> save;
    // Deletes the record; false when it was not deleted.
    std::function<bool()> remove;
    // Clears the form for the next insert (after "add another?" answered Yes)
    // and takes a new opening copy.
    std::function<void()> primeNext;

    // Call before showing the form: false (after message 19, 20 or 21) when
    // the form does not accept its request and must return to its caller.
    bool start();

    // How the form ended: true when the request was completed.
    bool completed() const { return m_completed; }
    // Inserts written while the form was open (a form that adds several
    // records reports each to its caller).
    int insertsDone() const { return m_inserts; }

    // ---- live warning of a change made elsewhere
    // Watches the record the form holds for change: when the station's
    // ChangeWatcher reports a change of `table`, the stored record is re-read
    // and, when another station (or window) wrote or deleted it since the form
    // read it, a non-modal bar "Changed at another station" appears above the
    // form with "Show changes" (the stored values beside the user's edits) and
    // "Keep mine". Saving still runs the usual check: the stored version
    // decides (message 38).
    // `current` gives the record as the form holds it now: its position, the
    // version it was read with, and the values as edited. The engine and table
    // outlive the form.
    void watchRecord(store::Engine& engine, const store::TableDef& table,
                     std::function<store::Row()> current);
    // Lets the scaffold keep the user's edits across a change made elsewhere
    // (RecordMerge.h):
    //  - "Keep mine" merges the user's edits into the stored record;
    //  - after message 38 (a save refused because another station changed the
    //    record; the form then shows the stored record), the bar offers
    //    "Ditto" and Ctrl+' puts the user's values back the same way.
    // Fields both stations changed differently are offered side by side for
    // the user to choose. The merged record is shown, not saved: OK saves it.
    // `opened` gives the form's opening copy (the record as it read it);
    // `show(stored, shown)` makes `stored` the form's opening copy and shows
    // `shown` (the stored record's position and version, merged values).
    // `views` names the fields the form shows this user now, with their
    // captions and pictures, for "Show changes" and the choice; a field the
    // user may not read (a hidden confidential memo) is left out of it.
    void keepEdits(std::function<store::Row()> opened,
                   std::function<void(const store::Row& stored, const store::Row& shown)> show,
                   std::function<std::vector<FieldView>()> views);
    // Re-reads the stored record now and shows or hides the bar accordingly.
    void checkRecord();
    // The bar while it shows ("changedElsewhereBar"), else nullptr.
    QWidget* changedBar() const;
    // Whether the user's version refused by message 38 can still be recalled.
    bool canRecall() const { return m_recall.has_value(); }
    // "Ditto" (Ctrl+'): the user's version refused by message 38 back into
    // the form over the stored record; false when there was none to recall
    // or the user cancelled the choice of both-changed fields.
    bool recall();
    // "Keep mine": the user's edits merged into the stored record now.
    bool keepMine();
    // Runs the save hook outside OK (a form that stores its record before
    // another action), keeping the user's version for "Ditto" the way OK does
    // when message 38 refuses it; true when the record was written.
    bool saveRecord();

public slots:
    void ok();
    void cancel();

public:
    // Escape or the close box: asks what to do; true when the form may close
    // without a save (the caller then rejects the dialog). A save chosen here
    // ends the dialog itself and returns false.
    bool closeRequested();

signals:
    // After every completed write; the form's caller may refresh its list.
    void recordSaved();
    void recordDeleted();

private:
    bool changed() const { return isChanged ? isChanged() : false; }
    FormStep leaveStep(CancelTrigger trigger);
    void finish(bool completed);
    void updateStatus();

    // The opening copy and the user's version, taken before a save.
    struct Edits {
        store::Row opened;
        store::Row mine;
    };
    std::optional<Edits> editsBeforeSave() const;
    void afterRefusedSave(const std::optional<Edits>& before);
    // The three-way merge, with the user's choice of the fields both changed;
    // false when the user cancelled the choice.
    bool mergeEdits(const store::Row& opened, const store::Row& mine, const store::Row& theirs,
                    store::Row& merged);
    bool chooseConflicts(const std::vector<std::string>& conflicts, const store::Row& theirs,
                         const store::Row& mine, store::Row& merged);

    enum class BarMode { Changed, Deleted, Recall };
    void showBar(BarMode mode);
    void showChanges();
    // The stored version of `mine` and how it differs; false (after message
    // 35) when it could not be read.
    bool readStored(const store::Row& mine, StoredState& state, store::Row& stored);

    store::Engine* m_engine = nullptr;
    const store::TableDef* m_table = nullptr;
    std::function<store::Row()> m_current;
    std::function<store::Row()> m_opened;
    std::function<void(const store::Row&, const store::Row&)> m_show;
    std::function<std::vector<FieldView>()> m_views;
    std::vector<FieldView> views() const { return m_views ? m_views() : std::vector<FieldView>{}; }
    std::optional<Edits> m_recall;  // the user's version that message 38 refused
    QPointer<QWidget> m_bar;
    QPointer<QLabel> m_barText;
    QPointer<QPushButton> m_keepButton;
    QPointer<QPushButton> m_dittoButton;
    std::int64_t m_keptVersion = -1;  // "Keep mine" was pressed on this stored version
    QPointer<QDialog> m_form;
    Request m_request;
    QPointer<QLabel> m_statusLabel;
    FormPermissions m_permissions;
    bool m_offerAnother = false;
    bool m_completed = false;
    int m_inserts = 0;
};

// The foot of a small form: a status line ("statusLabel") beside the
// OK/Cancel/Help row as the last row of `layout`, bound to a new scaffold of
// `form` for `request`. The caller fills the scaffold's hooks.
FormScaffold* addFormFoot(QDialog* form, Request request, QFormLayout* layout);

// A row of `status` (the form's status line), a stretch and the OK, Cancel
// and Help buttons ("okButton", "cancelButton", "helpButton") bound to
// `scaffold`; the caller places the row in its layout.
QHBoxLayout* addFormButtonRow(QDialog* form, FormScaffold* scaffold, QLabel* status);

}  // namespace tko
