#include "platform/ui/FormScaffold.h"

#include "platform/ui/DialogButtons.h"
#include "platform/ui/HelpBrowser.h"
#include "platform/ui/MessageBox.h"
#include "platform/ui/PasteGuard.h"

#include <QDialog>
#include <QDialogButtonBox>
#include <QFormLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>

namespace tko {

FormScaffold::FormScaffold(QDialog* form, Request request, QObject* parent)
    : QObject(parent ? parent : form), m_form(form), m_request(request) {
    // Pastes into the form's entries are refused rather than cut at the width.
    PasteGuard::installOnApplication();
}

void FormScaffold::setStatusLabel(QLabel* label) {
    m_statusLabel = label;
    updateStatus();
}

void FormScaffold::setRequest(Request request) {
    m_request = request;
    updateStatus();
}

void FormScaffold::updateStatus() {
    if (m_statusLabel) m_statusLabel->setText(QString::fromStdString(statusWord(m_request)));
}

bool FormScaffold::start() {
    const int refusal = refusalMessage(m_request, m_permissions);
    if (refusal == 0) return true;
    MessageBox::showStandard(m_form, refusal);
    return false;
}

void FormScaffold::finish(bool completed) {
    m_completed = completed;
    if (m_form) m_form->done(completed ? QDialog::Accepted : QDialog::Rejected);
}

void FormScaffold::ok() {
    Answer answer = Answer::Ok;
    if (const int message = okMessage(m_request))
        answer = MessageBox::showStandard(m_form, message);
    switch (okStep(m_request, changed(), answer)) {
        case FormStep::Close:
            // A change with nothing changed writes nothing, yet the request is done.
            finish(m_request != Request::None);
            return;
        case FormStep::Delete:
            if (remove && remove()) {
                emit recordDeleted();
                finish(true);
            }
            return;
        case FormStep::Save:
        case FormStep::SaveThenClose: {
            if (!save || !save()) return;
            if (m_request == Request::Insert) ++m_inserts;
            emit recordSaved();
            const int question = afterSaveMessage(m_request, m_offerAnother);
            const Answer again = question ? MessageBox::showStandard(m_form, question) : Answer::No;
            if (afterSaveStep(question, again) == FormStep::PrimeNext && primeNext) {
                primeNext();
                return;
            }
            finish(true);
            return;
        }
        case FormStep::Stay:
        case FormStep::PrimeNext:
            return;
    }
}

FormStep FormScaffold::leaveStep(CancelTrigger trigger) {
    const int message = cancelMessage(m_request, trigger, changed());
    const Answer answer = message ? MessageBox::showStandard(m_form, message) : Answer::Yes;
    return cancelStep(message, answer);
}

void FormScaffold::cancel() {
    if (leaveStep(CancelTrigger::CancelButton) == FormStep::Close) finish(m_inserts > 0);
}

bool FormScaffold::closeRequested() {
    switch (leaveStep(CancelTrigger::CloseWindow)) {
        case FormStep::Close:
            m_completed = m_inserts > 0;
            return true;
        case FormStep::SaveThenClose:
            if (save && save()) {
                if (m_request == Request::Insert) ++m_inserts;
                emit recordSaved();
                finish(true);
            }
            return false;
        default:
            return false;
    }
}

FormScaffold* addFormFoot(QDialog* form, Request request, QFormLayout* layout) {
    auto* status = new QLabel(form);
    status->setObjectName(QStringLiteral("statusLabel"));
    const DialogButtons buttons = addDialogButtons(form, true);
    auto* bottom = new QHBoxLayout;
    bottom->addWidget(status, 1);
    bottom->addWidget(buttons.box);
    layout->addRow(bottom);
    // The scaffold decides what Cancel asks; the button must not reject directly.
    QObject::disconnect(buttons.cancel, nullptr, form, nullptr);
    auto* scaffold = new FormScaffold(form, request, form);
    scaffold->setStatusLabel(status);
    QObject::connect(buttons.ok, &QPushButton::clicked, scaffold, &FormScaffold::ok);
    QObject::connect(buttons.cancel, &QPushButton::clicked, scaffold, &FormScaffold::cancel);
    return scaffold;
}

QHBoxLayout* addFormButtonRow(QDialog* form, FormScaffold* scaffold, QLabel* status) {
    auto* row = new QHBoxLayout;
    row->addWidget(status);
    row->addStretch();
    auto add = [form, row](const char* name, const QString& caption) {
        auto* button = new QPushButton(caption, form);
        button->setObjectName(QLatin1String(name));
        button->setAutoDefault(false);
        row->addWidget(button);
        return button;
    };
    QPushButton* ok = add("okButton", QStringLiteral("OK"));
    QPushButton* cancel = add("cancelButton", QStringLiteral("Cancel"));
    QPushButton* help = add("helpButton", QStringLiteral("Help"));
    ok->setDefault(true);
    QObject::connect(ok, &QPushButton::clicked, scaffold, &FormScaffold::ok);
    QObject::connect(cancel, &QPushButton::clicked, scaffold, &FormScaffold::cancel);
    QObject::connect(help, &QPushButton::clicked, form,
                     [form] { HelpBrowser::showHelp(form->whatsThis(), form); });
    return row;
}

}  // namespace tko
