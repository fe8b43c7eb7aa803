#include "platform/ui/FormScaffold.h"

#include "platform/ChangeWatcher.h"
#include "platform/RecordChanges.h"
#include "platform/RecordMerge.h"
#include "platform/Translate.h"
#include "platform/ui/DialogButtons.h"
#include "platform/ui/HelpBrowser.h"
#include "platform/ui/MessageBox.h"
#include "platform/ui/PasteGuard.h"

#include <QButtonGroup>
#include <QDialog>
#include <QDialogButtonBox>
#include <QFormLayout>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QPushButton>
#include <QRadioButton>
#include <QScreen>
#include <QShortcut>
#include <QTableWidget>
#include <QVBoxLayout>

#include <algorithm>

namespace tko {

namespace {

// Sizes a window of one table so that every column shows: the captions whole,
// the values wrapped at a readable width, within the screen.
void fitTable(QDialog* window, QTableWidget* table) {
    constexpr int kValueWidth = 300;
    table->resizeColumnsToContents();
    for (int c = 1; c < table->columnCount(); ++c)
        table->setColumnWidth(c, std::min(table->columnWidth(c), kValueWidth));
    table->horizontalHeader()->setStretchLastSection(true);
    table->resizeRowsToContents();
    int width = 2 * table->frameWidth();
    for (int c = 0; c < table->columnCount(); ++c) width += table->columnWidth(c);
    int height = 2 * table->frameWidth() + table->horizontalHeader()->sizeHint().height();
    for (int r = 0; r < table->rowCount(); ++r) height += table->rowHeight(r);
    table->setMinimumSize(width, std::min(height, 120));
    QSize wanted = window->sizeHint().expandedTo(QSize(width, height));
    const QMargins margins = window->layout()->contentsMargins();
    wanted += QSize(margins.left() + margins.right(), 0);
    wanted.setHeight(height + margins.top() + margins.bottom() + window->layout()->spacing() + 40);
    if (const QScreen* screen = window->screen()) {
        const QSize room = screen->availableGeometry().size() * 0.9;
        wanted = wanted.boundedTo(room);
    }
    window->resize(wanted);
}

}  // namespace

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
            const std::optional<Edits> before = editsBeforeSave();
            if (!save || !save()) {
                afterRefusedSave(before);
                return;
            }
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
        case FormStep::SaveThenClose: {
            const std::optional<Edits> before = editsBeforeSave();
            if (save && save()) {
                if (m_request == Request::Insert) ++m_inserts;
                emit recordSaved();
                finish(true);
            } else {
                afterRefusedSave(before);
            }
            return false;
        }
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
    // A save that went through leaves nothing to warn about or to recall.
    connect(this, &FormScaffold::recordSaved, this, [this] {
        m_recall.reset();
        checkRecord();
    });
}

void FormScaffold::keepEdits(
    std::function<store::Row()> opened,
    std::function<void(const store::Row& stored, const store::Row& shown)> show,
    std::function<std::vector<FieldView>()> views) {
    m_opened = std::move(opened);
    m_show = std::move(show);
    m_views = std::move(views);
    if (!m_form) return;
    // The key the message 38 names; it does what "Ditto" does.
    auto* ditto = new QShortcut(QKeySequence(Qt::CTRL | Qt::Key_Apostrophe), m_form);
    ditto->setObjectName(QStringLiteral("dittoShortcut"));
    connect(ditto, &QShortcut::activated, this, [this] { recall(); });
}

std::optional<FormScaffold::Edits> FormScaffold::editsBeforeSave() const {
    if (m_request != Request::Change || !m_current || !m_opened || !m_show) return std::nullopt;
    return Edits{m_opened(), m_current()};
}

void FormScaffold::afterRefusedSave(const std::optional<Edits>& before) {
    if (!before || !m_current) return;
    // A form whose save met a change made elsewhere re-reads the record
    // (message 38): it now holds another version of the same row. What the
    // user had typed is kept for "Ditto".
    const store::Row now = m_current();
    if (now.pos == before->mine.pos && now.version != before->mine.version) m_recall = before;
    checkRecord();
}

bool FormScaffold::saveRecord() {
    const std::optional<Edits> before = editsBeforeSave();
    if (save && save()) {
        m_recall.reset();
        checkRecord();
        return true;
    }
    afterRefusedSave(before);
    return false;
}

bool FormScaffold::recall() {
    if (!m_recall || !m_current || !m_opened || !m_show || !m_table) return false;
    // The form holds the stored record as re-read (and whatever was typed
    // into it since): the user's version goes back over it field by field.
    const store::Row shown = m_current();
    store::Row merged;
    if (!mergeEdits(m_recall->opened, m_recall->mine, shown, merged)) return false;
    m_recall.reset();
    m_show(m_opened(), merged);
    checkRecord();
    return true;
}

bool FormScaffold::readStored(const store::Row& mine, StoredState& state, store::Row& stored) {
    const store::Status s = storedState(*m_engine, *m_table, mine, state, stored);
    if (s.ok()) return true;
    MessageBox::showStandard(m_form, 35, QString::fromStdString(s.describe()),
                             QString::fromStdString(m_table->label));
    return false;
}

bool FormScaffold::keepMine() {
    if (!m_current || !m_engine || !m_table) return false;
    const store::Row mine = m_current();
    StoredState state = StoredState::Unchanged;
    store::Row stored;
    if (!readStored(mine, state, stored)) return false;
    if (state == StoredState::Unchanged) {
        checkRecord();
        return true;
    }
    if (state == StoredState::Deleted || !m_opened || !m_show) {
        // Nothing to merge with: the bar stays away until the record changes again.
        m_keptVersion = state == StoredState::Deleted ? 0 : stored.version;
        if (m_bar) m_bar->hide();
        return false;
    }
    store::Row merged;
    if (!mergeEdits(m_opened(), mine, stored, merged)) return false;
    m_show(stored, merged);
    checkRecord();
    return true;
}

bool FormScaffold::mergeEdits(const store::Row& opened, const store::Row& mine,
                              const store::Row& theirs, store::Row& merged) {
    RecordMerge result = mergeRecord(*m_table, views(), opened, mine, theirs);
    if (!result.conflicts.empty() && !chooseConflicts(result.conflicts, theirs, mine, result.row))
        return false;
    merged = std::move(result.row);
    return true;
}

bool FormScaffold::chooseConflicts(const std::vector<std::string>& conflicts,
                                   const store::Row& theirs, const store::Row& mine,
                                   store::Row& merged) {
    const std::vector<FieldView> fields = views();
    QDialog dialog(m_form);
    dialog.setObjectName(QStringLiteral("conflictsWindow"));
    dialog.setWindowTitle(QString::fromStdString(translateText("Changed at both stations")));
    auto* layout = new QVBoxLayout(&dialog);
    auto* intro = new QLabel(QString::fromStdString(translateText(
                                 "Changed here and at another station: choose what to keep")),
                             &dialog);
    intro->setWordWrap(true);
    layout->addWidget(intro);
    auto* grid = new QGridLayout;
    grid->addWidget(new QLabel(QString::fromStdString(translateText("Other station")), &dialog), 0,
                    1);
    grid->addWidget(new QLabel(QString::fromStdString(translateText("Yours")), &dialog), 0, 2);
    // A blank value is still a choice the user must be able to see.
    const auto valueText = [](const std::string& value) {
        return QString::fromStdString(value.empty() ? translateText("(blank)") : value);
    };
    std::vector<std::pair<std::string, QRadioButton*>> choices;
    int line = 1;
    for (const ChangedField& field : changedFields(*m_table, fields, theirs, mine)) {
        if (std::find(conflicts.begin(), conflicts.end(), field.field) == conflicts.end()) continue;
        auto* group = new QButtonGroup(&dialog);
        auto* other = new QRadioButton(valueText(field.theirs), &dialog);
        other->setObjectName(QStringLiteral("theirsChoice_") + QString::fromStdString(field.field));
        auto* yours = new QRadioButton(valueText(field.mine), &dialog);
        yours->setObjectName(QStringLiteral("mineChoice_") + QString::fromStdString(field.field));
        yours->setChecked(true);
        group->addButton(other);
        group->addButton(yours);
        grid->addWidget(new QLabel(QString::fromStdString(field.caption), &dialog), line, 0);
        grid->addWidget(other, line, 1);
        grid->addWidget(yours, line, 2);
        choices.emplace_back(field.field, other);
        ++line;
    }
    layout->addLayout(grid);
    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, &dialog);
    connect(buttons, &QDialogButtonBox::accepted, &dialog, &QDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, &dialog, &QDialog::reject);
    layout->addWidget(buttons);
    if (dialog.exec() != QDialog::Accepted) return false;
    for (const auto& [field, other] : choices)
        if (other->isChecked()) takeTheirs(*m_table, fields, field, theirs, merged);
    return true;
}

void FormScaffold::checkRecord() {
    if (!m_engine || !m_current || m_request != Request::Change) return;
    const store::Row mine = m_current();
    if (mine.pos == 0) return;
    StoredState state = StoredState::Unchanged;
    store::Row stored;
    if (!storedState(*m_engine, *m_table, mine, state, stored).ok()) return;
    if (state == StoredState::Unchanged) {
        // The form holds the stored record: no warning; "Ditto" while the
        // user's refused version can still be recalled.
        if (m_recall)
            showBar(BarMode::Recall);
        else if (m_bar)
            m_bar->hide();
        return;
    }
    const std::int64_t version = state == StoredState::Deleted ? 0 : stored.version;
    if (version == m_keptVersion) return;
    showBar(state == StoredState::Deleted ? BarMode::Deleted : BarMode::Changed);
}

QWidget* FormScaffold::changedBar() const {
    return m_bar && !m_bar->isHidden() ? m_bar.data() : nullptr;
}

void FormScaffold::showBar(BarMode mode) {
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
        m_barText->setWordWrap(true);
        row->addWidget(m_barText, 1);
        auto button = [bar, row](const char* name, const std::string& text) {
            auto* b = new QPushButton(QString::fromStdString(text), bar);
            b->setObjectName(QLatin1String(name));
            b->setAutoDefault(false);
            row->addWidget(b);
            return b;
        };
        QPushButton* show = button("showChangesButton", translateText("Show changes"));
        m_keepButton = button("keepMineButton", translateText("Keep mine"));
        m_keepButton->setToolTip(QString::fromStdString(
            translateText("Keep your changes, take the other station's too")));
        m_dittoButton = button("dittoButton", translateText("Ditto"));
        m_dittoButton->setToolTip(
            QString::fromStdString(translateText("Recall your changes")) + QStringLiteral(" (") +
            QKeySequence(Qt::CTRL | Qt::Key_Apostrophe).toString(QKeySequence::NativeText) +
            QStringLiteral(")"));
        connect(show, &QPushButton::clicked, this, &FormScaffold::showChanges);
        connect(m_keepButton, &QPushButton::clicked, this, [this] { keepMine(); });
        connect(m_dittoButton, &QPushButton::clicked, this, [this] { recall(); });
        // Above everything else of the form, whatever its layout.
        if (auto* box = qobject_cast<QBoxLayout*>(m_form->layout()))
            box->insertWidget(0, bar);
        else if (auto* form = qobject_cast<QFormLayout*>(m_form->layout()))
            form->insertRow(0, bar);
        else
            bar->setGeometry(0, 0, m_form->width(), bar->sizeHint().height());
        m_bar = bar;
    }
    QString text;
    switch (mode) {
        case BarMode::Changed:
            text = QString::fromStdString(translateText("Changed at another station"));
            break;
        case BarMode::Deleted:
            text = QString::fromStdString(translateText("Changed at another station")) +
                   QStringLiteral(" (") + QString::fromStdString(translateText("deleted")) +
                   QStringLiteral(")");
            break;
        case BarMode::Recall:
            text = QString::fromStdString(
                translateText("Not saved: the form shows the other station's version"));
            break;
    }
    m_barText->setText(text);
    m_keepButton->setVisible(mode != BarMode::Recall);
    m_dittoButton->setVisible(mode == BarMode::Recall);
    m_bar->show();
    m_bar->raise();
}

void FormScaffold::showChanges() {
    if (!m_form || !m_current) return;
    // After message 38 the user's version is the one refused, not the form's.
    const store::Row mine = m_recall ? m_recall->mine : m_current();
    StoredState state = StoredState::Unchanged;
    store::Row stored;
    if (!readStored(mine, state, stored)) return;
    // Non-modal, so the user can copy values across while the form stays usable.
    auto* window = new QDialog(m_form);
    window->setObjectName(QStringLiteral("changesWindow"));
    window->setAttribute(Qt::WA_DeleteOnClose);
    window->setWindowTitle(QString::fromStdString(translateText("Changed at another station")));
    auto* layout = new QVBoxLayout(window);
    auto* table = new QTableWidget(window);
    table->setObjectName(QStringLiteral("changesTable"));
    table->setEditTriggers(QAbstractItemView::NoEditTriggers);
    table->setWordWrap(true);
    table->verticalHeader()->hide();
    table->setColumnCount(3);
    table->setHorizontalHeaderLabels({QString::fromStdString(translateText("Field")),
                                      QString::fromStdString(translateText("Other station")),
                                      QString::fromStdString(translateText("Yours"))});
    std::vector<ChangedField> differences;
    if (state == StoredState::Deleted)
        differences.push_back(
            {std::string(), translateText("Record"), translateText("deleted"), std::string()});
    else
        differences = changedFields(*m_table, views(), stored, mine);
    table->setRowCount(static_cast<int>(differences.size()));
    for (size_t i = 0; i < differences.size(); ++i) {
        const int r = static_cast<int>(i);
        table->setItem(r, 0, new QTableWidgetItem(QString::fromStdString(differences[i].caption)));
        table->setItem(r, 1, new QTableWidgetItem(QString::fromStdString(differences[i].theirs)));
        table->setItem(r, 2, new QTableWidgetItem(QString::fromStdString(differences[i].mine)));
    }
    table->setCurrentCell(-1, -1);
    layout->addWidget(table);
    auto* close = new QPushButton(QString::fromStdString(translateText("Close")), window);
    close->setObjectName(QStringLiteral("closeButton"));
    connect(close, &QPushButton::clicked, window, &QWidget::close);
    layout->addWidget(close, 0, Qt::AlignRight);
    fitTable(window, table);
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
