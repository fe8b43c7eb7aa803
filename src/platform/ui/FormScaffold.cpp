#include "platform/ui/FormScaffold.h"

#include "platform/ChangeWatcher.h"
#include "platform/RecordChanges.h"
#include "platform/Translate.h"
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
#include <QTableWidget>
#include <QVBoxLayout>

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

void FormScaffold::watchRecord(store::Engine& engine, const store::TableDef& table,
                               std::function<store::Row()> current) {
    m_engine = &engine;
    m_table = &table;
    m_current = std::move(current);
    if (ChangeWatcher* watcher = ChangeWatcher::of(engine)) {
        connect(watcher, &ChangeWatcher::changed, this, [this](const store::ChangeNotice& notice) {
            if (m_table && notice.touches(m_table->label)) checkRecord();
        });
    }
    // A save that went through (or gave message 38 and re-read the record)
    // leaves nothing to warn about.
    connect(this, &FormScaffold::recordSaved, this, &FormScaffold::checkRecord);
}

void FormScaffold::checkRecord() {
    if (!m_engine || !m_current || m_request != Request::Change) return;
    const store::Row mine = m_current();
    if (mine.pos == 0) return;
    StoredState state = StoredState::Unchanged;
    store::Row stored;
    if (!storedState(*m_engine, *m_table, mine, state, stored).ok()) return;
    if (state == StoredState::Unchanged) {
        if (m_bar) m_bar->hide();
        return;
    }
    const std::int64_t version = state == StoredState::Deleted ? 0 : stored.version;
    if (version == m_keptVersion) return;
    showChangedBar(state == StoredState::Deleted);
}

QWidget* FormScaffold::changedBar() const {
    return m_bar && !m_bar->isHidden() ? m_bar.data() : nullptr;
}

void FormScaffold::showChangedBar(bool deleted) {
    if (!m_form) return;
    if (!m_bar) {
        auto* bar = new QFrame(m_form);
        bar->setObjectName(QStringLiteral("changedElsewhereBar"));
        bar->setFrameShape(QFrame::StyledPanel);
        bar->setStyleSheet(QStringLiteral(
            "QFrame#changedElsewhereBar { background: #fff4c2; border: 1px solid #d9b500; }"));
        auto* row = new QHBoxLayout(bar);
        row->setContentsMargins(6, 3, 6, 3);
        m_barText = new QLabel(bar);
        m_barText->setObjectName(QStringLiteral("changedElsewhereLabel"));
        row->addWidget(m_barText, 1);
        auto* show = new QPushButton(QString::fromStdString(translateText("Show changes")), bar);
        show->setObjectName(QStringLiteral("showChangesButton"));
        show->setAutoDefault(false);
        auto* keep = new QPushButton(QString::fromStdString(translateText("Keep mine")), bar);
        keep->setObjectName(QStringLiteral("keepMineButton"));
        keep->setAutoDefault(false);
        row->addWidget(show);
        row->addWidget(keep);
        connect(show, &QPushButton::clicked, this, &FormScaffold::showChanges);
        connect(keep, &QPushButton::clicked, this, [this] {
            StoredState state = StoredState::Unchanged;
            store::Row stored;
            if (m_current && storedState(*m_engine, *m_table, m_current(), state, stored).ok())
                m_keptVersion = state == StoredState::Deleted ? 0 : stored.version;
            if (m_bar) m_bar->hide();
        });
        // Above everything else of the form, whatever its layout.
        if (auto* box = qobject_cast<QBoxLayout*>(m_form->layout()))
            box->insertWidget(0, bar);
        else if (auto* form = qobject_cast<QFormLayout*>(m_form->layout()))
            form->insertRow(0, bar);
        else
            bar->setGeometry(0, 0, m_form->width(), bar->sizeHint().height());
        m_bar = bar;
    }
    m_barText->setText(QString::fromStdString(translateText("Changed at another station")) +
                       (deleted ? QStringLiteral(" (") +
                                      QString::fromStdString(translateText("deleted")) +
                                      QStringLiteral(")")
                                : QString()));
    m_bar->show();
    m_bar->raise();
}

void FormScaffold::showChanges() {
    if (!m_form || !m_current) return;
    const store::Row mine = m_current();
    StoredState state = StoredState::Unchanged;
    store::Row stored;
    const store::Status s = storedState(*m_engine, *m_table, mine, state, stored);
    if (!s.ok()) {
        MessageBox::showStandard(m_form, 35, QString::fromStdString(s.describe()),
                                 QString::fromStdString(m_table->label));
        return;
    }
    // Non-modal, so the user can copy values across while the form stays usable.
    auto* window = new QDialog(m_form);
    window->setObjectName(QStringLiteral("changesWindow"));
    window->setAttribute(Qt::WA_DeleteOnClose);
    window->setWindowTitle(QString::fromStdString(translateText("Changed at another station")));
    auto* layout = new QVBoxLayout(window);
    auto* table = new QTableWidget(window);
    table->setObjectName(QStringLiteral("changesTable"));
    table->setEditTriggers(QAbstractItemView::NoEditTriggers);
    table->setColumnCount(3);
    table->setHorizontalHeaderLabels({QString::fromStdString(translateText("Field")),
                                      QString::fromStdString(translateText("Other station")),
                                      QString::fromStdString(translateText("Yours"))});
    std::vector<FieldDifference> differences;
    if (state == StoredState::Deleted) {
        differences.push_back({m_table->label, translateText("deleted"), std::string()});
    } else {
        differences = fieldDifferences(*m_table, stored, mine);
    }
    table->setRowCount(static_cast<int>(differences.size()));
    for (size_t i = 0; i < differences.size(); ++i) {
        const int r = static_cast<int>(i);
        table->setItem(r, 0, new QTableWidgetItem(QString::fromStdString(differences[i].field)));
        table->setItem(r, 1, new QTableWidgetItem(QString::fromStdString(differences[i].theirs)));
        table->setItem(r, 2, new QTableWidgetItem(QString::fromStdString(differences[i].mine)));
    }
    table->resizeColumnsToContents();
    layout->addWidget(table);
    auto* close = new QPushButton(QString::fromStdString(translateText("Close")), window);
    close->setObjectName(QStringLiteral("closeButton"));
    connect(close, &QPushButton::clicked, window, &QWidget::close);
    layout->addWidget(close, 0, Qt::AlignRight);
    window->resize(560, 320);
    window->show();
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
