#include "people/ui/AnniversaryForm.h"

#include <QDialogButtonBox>
#include <QFormLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>

#include "data/Records.h"
#include "people/Anniversaries.h"
#include "platform/Picture.h"
#include "platform/ui/CalendarPopup.h"
#include "platform/ui/DialogButtons.h"
#include "platform/ui/FormScaffold.h"
#include "platform/ui/MessageBox.h"
#include "platform/ui/WindowTranslation.h"

namespace tko {

namespace {
constexpr char16_t kLongDate[] = u"@D18b";
}

AnniversaryForm::AnniversaryForm(Workspace& workspace, Request request,
                                 const Anniversary& anniversary, QWidget* parent)
    : QDialog(parent), m_workspace(workspace), m_request(request), m_current(anniversary) {
    setObjectName(QStringLiteral("AnniversaryForm"));
    setWindowTitle(QStringLiteral("Anniversary Information"));
    setWhatsThis(QStringLiteral("~Anniversary_Information_Window"));

    m_person = new QLineEdit(this);
    m_person->setObjectName(QStringLiteral("personEdit"));
    m_person->setMaxLength(Anniversary::Width::SHORTNAME);
    m_person->setReadOnly(true);  // the person whose form opened this one
    m_person->setToolTip(QStringLiteral("Person with anniversary date"));
    m_date = new QLineEdit(this);
    m_date->setObjectName(QStringLiteral("dateEdit"));
    m_date->setProperty("picture", QStringLiteral("@D18b"));
    m_date->setToolTip(QStringLiteral("Date of anniversary"));
    m_cal = new QPushButton(QStringLiteral("Cal"), this);
    m_cal->setObjectName(QStringLiteral("calButton"));
    m_cal->setAutoDefault(false);
    m_note = new QLineEdit(this);
    m_note->setObjectName(QStringLiteral("noteEdit"));
    m_note->setMaxLength(kAnniversaryNoteWidth);
    m_note->setProperty("picture", QStringLiteral("@s50"));
    m_note->setToolTip(QStringLiteral("Description of anniversary"));
    m_note->setMinimumWidth(320);

    auto* dateRow = new QHBoxLayout;
    dateRow->addWidget(m_date, 1);
    dateRow->addWidget(m_cal);
    auto* form = new QFormLayout(this);
    form->addRow(QStringLiteral("Person:"), m_person);
    form->addRow(QStringLiteral("Initial Date:"), dateRow);
    form->addRow(QStringLiteral("Note:"), m_note);
    m_scaffold = addFormFoot(this, request, form);
    m_scaffold->isChanged = [this] {
        Anniversary now = m_current;
        return !collect(now, false) || !now.sameValues(m_opened);
    };
    m_scaffold->save = [this] { return save(); };
    m_scaffold->remove = [this] { return remove(); };
    // Another station's change to this anniversary shows the "changed" bar at once.
    m_scaffold->watchRecord(m_workspace.db->engine(), Anniversary::def(), [this] {
        Anniversary now = m_current;
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
                              return std::vector<FieldView>{{"SHORTNAME", "Person:", "", ""},
                                                            {"NUMBER", "", "", "SHORTNAME"},
                                                            {"DATE", "Initial Date", "@D18b", ""},
                                                            {"DAYOFYEAR", "", "", "DATE"},
                                                            {"NOTE", "Note", "", ""}};
                          });
    connect(m_date, &QLineEdit::editingFinished, this, &AnniversaryForm::acceptDate);
    connect(m_cal, &QPushButton::clicked, this, [this] {
        Anniversary now = m_current;
        collect(now, false);
        if (const auto date = CalendarPopup::pick(this, now.DATE))
            m_date->setText(formatDate(*date, kLongDate));
    });

    const bool editable = request == Request::Insert || request == Request::Change;
    m_date->setReadOnly(!editable);
    m_note->setReadOnly(!editable);
    m_cal->setEnabled(editable);
}

bool AnniversaryForm::completed() const {
    return m_scaffold->completed();
}

bool AnniversaryForm::start() {
    if (!m_scaffold->start()) return false;
    Database& db = *m_workspace.db;
    const AnniversaryRights rights = anniversaryRights(db, m_workspace.session, m_current.NUMBER);
    if (!rights.allowed) {
        if (rights.message) MessageBox::show(this, *rights.message);
        return false;
    }
    if (m_request != Request::Insert && !db.reread(m_current).ok()) {
        MessageBox::showStandard(this, 35, QString::fromStdString(db.lastError().describe()),
                                 QStringLiteral("ANNIVERS"));
        return false;
    }
    m_opened = m_current;
    display();
    return true;
}

void AnniversaryForm::display() {
    m_person->setText(QString::fromStdString(anniversaryPersonShown(m_current, m_typedPerson)));
    m_date->setText(formatDate(m_current.DATE, kLongDate));
    m_note->setText(QString::fromStdString(m_current.NOTE));
}

bool AnniversaryForm::collect(Anniversary& out, bool report) {
    const Parsed<Date> date = parseDate(m_date->text().trimmed(), u"@D18", u"Initial Date");
    if (!date.ok()) {
        if (report) {
            MessageBox::showText(this, date.error, windowTitle(), MessageButtons::Ok, {},
                                 MessageBox::Icon::Warning);
            m_date->setFocus();
            m_date->selectAll();
        }
        return false;
    }
    out.DATE = date.value;
    out.DAYOFYEAR = static_cast<std::int16_t>(anniversaryDayValue(out.DATE));
    out.NOTE = store::rtrim(m_note->text().toStdString());
    return true;
}

void AnniversaryForm::acceptDate() {
    // A date that cannot be read is refused where it was typed, not at "OK".
    const DateEntry entry = checkDateEntry(m_date->text(), kLongDate, u"Initial Date");
    if (!entry.ok()) {
        MessageBox::showText(this, QStringLiteral("%1"), windowTitle(), MessageButtons::Ok,
                             {entry.error}, MessageBox::Icon::Warning);
        m_date->setFocus();
        m_date->selectAll();
        return;
    }
    if (m_date->text() != entry.shown) m_date->setText(entry.shown);
}

bool AnniversaryForm::save() {
    Anniversary next = m_current;
    if (!collect(next, true)) return false;
    const Outcome out =
        saveAnniversary(*m_workspace.db, m_workspace.session, m_request, next, m_opened);
    showOutcome(this, out);
    if (out.kind == Outcome::ChangedElsewhere) {
        // The form now shows the other station's values.
        m_current = next;
        m_opened = next;
        display();
        return false;
    }
    if (!out.ok()) {
        m_date->setFocus();
        return false;
    }
    m_current = next;
    return true;
}

bool AnniversaryForm::remove() {
    Anniversary gone = m_current;
    const Outcome out =
        saveAnniversary(*m_workspace.db, m_workspace.session, Request::Delete, gone, m_current);
    showOutcome(this, out);
    return out.ok();
}

void AnniversaryForm::reject() {
    if (m_scaffold->closeRequested()) QDialog::reject();
}

bool runAnniversaryForm(QWidget* parent, Workspace& workspace, Request request,
                        Anniversary& anniversary, const std::string& typedPerson) {
    AnniversaryForm form(workspace, request, anniversary, parent);
    form.setTypedPerson(typedPerson);
    if (!form.start()) return false;
    execTranslated(&form);
    if (!form.completed()) return false;
    anniversary = form.record();
    return true;
}

}  // namespace tko
