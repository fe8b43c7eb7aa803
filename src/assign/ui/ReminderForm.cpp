#include "assign/ui/ReminderForm.h"

#include <QCheckBox>
#include <QDialogButtonBox>
#include <QFormLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>

#include "assign/ReminderRules.h"
#include "data/Messages.h"
#include "data/Records.h"
#include "platform/Picture.h"
#include "platform/ui/CalendarPopup.h"
#include "platform/ui/DialogButtons.h"
#include "platform/ui/FormScaffold.h"
#include "platform/ui/MessageBox.h"

namespace tko {

ReminderForm::ReminderForm(Workspace& workspace, Request request, const Reminder& reminder,
                           const Assignment& owner, QWidget* parent)
    : QDialog(parent),
      m_workspace(workspace),
      m_request(request),
      m_current(reminder),
      m_owner(owner) {
    setObjectName(QStringLiteral("ReminderForm"));
    setWindowTitle(QStringLiteral("Reminder Information"));
    setWhatsThis(QStringLiteral("~Reminder_Information_Window"));

    m_date = new QLineEdit(this);
    m_date->setObjectName(QStringLiteral("dateEdit"));
    m_date->setProperty("picture", QStringLiteral("@D18b"));
    m_date->setToolTip(QStringLiteral("Date of reminder"));
    auto* cal = new QPushButton(QStringLiteral("Cal"), this);
    cal->setObjectName(QStringLiteral("calButton"));
    m_note = new QLineEdit(this);
    m_note->setObjectName(QStringLiteral("noteEdit"));
    m_note->setMaxLength(Reminder::Width::NOTE);
    m_note->setToolTip(QStringLiteral("Reminder note"));
    m_note->setMinimumWidth(320);
    m_alarm = new QCheckBox(QStringLiteral("Flag at Start Up"), this);
    m_alarm->setObjectName(QStringLiteral("alarmCheck"));
    m_for = new QLabel(this);
    m_for->setObjectName(QStringLiteral("forLabel"));
    m_for->setToolTip(QStringLiteral("Label/name for assignment"));

    auto* dateRow = new QHBoxLayout;
    dateRow->addWidget(m_date, 1);
    dateRow->addWidget(cal);
    auto* form = new QFormLayout(this);
    form->addRow(QStringLiteral("Date:"), dateRow);
    form->addRow(QStringLiteral("Note:"), m_note);
    form->addRow(m_alarm);
    form->addRow(QStringLiteral("For:"), m_for);
    m_scaffold = addFormFoot(this, request, form);
    m_scaffold->isChanged = [this] {
        Reminder now = m_current;
        return !collect(now, false) || !now.sameValues(m_opened);
    };
    m_scaffold->save = [this] { return save(); };
    m_scaffold->remove = [this] { return remove(); };
    // Another station's change to this reminder shows the "changed" bar at once.
    m_scaffold->watchRecord(m_workspace.db->engine(), Reminder::def(), [this] {
        Reminder now = m_current;
        collect(now, false);
        return now.toRow();
    });
    m_scaffold->keepEdits([this] { return m_opened.toRow(); },
                          [this](const store::Row& stored, const store::Row& shown) {
                              m_opened.fromRow(stored);
                              m_current.fromRow(shown);
                              display();
                          },
                          [] {
                              return std::vector<FieldView>{
                                  {"DATE", "Date", "@D18b", ""},
                                  {"NOTE", "Note", "", ""},
                                  {"ALARMFLAG", "Flag at Start Up", kCheckPicture, ""}};
                          });
    // Leaving the date: a text that is no date is refused there, with the
    // reason; an accepted date is shown again in the field's picture.
    connect(m_date, &QLineEdit::editingFinished, this, [this] {
        if (m_date->isReadOnly()) return;
        const DateEntry entry = checkDateEntry(m_date->text(), u"@D18b", u"Date");
        if (!entry.ok()) {
            MessageBox::showText(this, QStringLiteral("%1"), windowTitle(), MessageButtons::Ok,
                                 {entry.error}, MessageBox::Icon::Warning);
            m_date->setFocus();
            m_date->selectAll();
        } else if (m_date->text() != entry.shown) {
            m_date->setText(entry.shown);
        }
    });
    connect(cal, &QPushButton::clicked, this, [this] {
        Reminder now = m_current;
        collect(now, false);
        if (const auto date = CalendarPopup::pick(this, now.DATE))
            m_date->setText(formatDate(*date, u"@D18b"));
    });

    const bool editable = request == Request::Insert || request == Request::Change;
    m_date->setReadOnly(!editable);
    m_note->setReadOnly(!editable);
    m_alarm->setEnabled(editable);
    cal->setEnabled(editable);
    m_for->setText(QString::fromStdString(store::rtrim(owner.NAME)));
}

bool ReminderForm::completed() const {
    return m_scaffold->completed();
}

bool ReminderForm::start() {
    if (!m_scaffold->start()) return false;
    if (m_request == Request::Insert) {
        m_current = primeReminder(m_owner, m_workspace.session.GlobalUser);
        for (;;) {
            const Status s = addNewReminder(*m_workspace.db, m_current);
            if (s.ok()) break;
            if (s.code != store::kDuplicateKey) {
                MessageBox::showStandard(
                    this, 35, QString::fromStdString(m_workspace.db->lastError().describe()),
                    QStringLiteral("REMINDER"));
                return false;
            }
            // Message 25 offers three more attempts.
            if (MessageBox::show(this, numberingRetryQuestion(
                                           m_workspace.db->lastError().describe())) != Answer::Yes)
                return false;
        }
        m_addedAtOnce = true;
    }
    m_opened = m_current;
    display();
    return true;
}

void ReminderForm::display() {
    m_date->setText(formatDate(m_current.DATE, u"@D18b"));
    m_note->setText(QString::fromStdString(m_current.NOTE));
    m_alarm->setChecked(m_current.ALARMFLAG != 0);
}

bool ReminderForm::collect(Reminder& out, bool report) {
    const Parsed<Date> date = parseDate(m_date->text().trimmed(), u"@D18", u"Date");
    if (!date.ok()) {
        if (report) {
            MessageBox::showText(this, date.error, windowTitle(), MessageButtons::Ok, {},
                                 MessageBox::Icon::Warning);
            m_date->setFocus();
        }
        return false;
    }
    if (const auto problem = checkReminderDate(date.value); problem && report) {
        MessageBox::showText(this, QStringLiteral("%1"), windowTitle(), MessageButtons::Ok,
                             {QString::fromStdString(*problem)}, MessageBox::Icon::Warning);
        m_date->setFocus();
        return false;
    }
    out.DATE = date.value;
    out.NOTE = store::clipText(m_note->text().toStdString(), Reminder::Width::NOTE);
    // A flag other than 0 or 1 stays as it was unless the box was touched.
    const bool wasSet = m_opened.ALARMFLAG != 0;
    if (m_alarm->isChecked() != wasSet) out.ALARMFLAG = m_alarm->isChecked() ? 1 : 0;
    return true;
}

bool ReminderForm::save() {
    Reminder next = m_current;
    if (!collect(next, true)) return false;
    const Outcome out = storeReminder(*m_workspace.db, next, m_opened);
    showOutcome(this, out);
    if (out.kind == Outcome::ChangedElsewhere) {
        m_current = next;
        m_opened = next;
        display();
        return false;
    }
    if (!out.ok()) return false;
    m_current = next;
    m_addedAtOnce = false;
    return true;
}

bool ReminderForm::remove() {
    for (;;) {
        const Outcome out = removeReminder(*m_workspace.db, m_current);
        if (out.ok()) return true;
        // The failure's message asks whether to try again.
        if (showOutcome(this, out) != Answer::Yes) {
            done(QDialog::Rejected);
            return false;
        }
    }
}

void ReminderForm::reject() {
    if (m_scaffold->closeRequested()) QDialog::reject();
}

void ReminderForm::done(int result) {
    if (result == QDialog::Rejected && m_addedAtOnce) {
        // The record added for the insert goes again.
        removeReminder(*m_workspace.db, m_current);
        m_addedAtOnce = false;
    }
    QDialog::done(result);
}

}  // namespace tko
