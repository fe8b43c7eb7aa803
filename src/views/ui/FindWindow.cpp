#include "views/ui/FindWindow.h"

#include <QDialogButtonBox>
#include <QHeaderView>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTimer>
#include <QTreeWidget>
#include <QVBoxLayout>

#include "people/ui/GroupScreens.h"
#include "people/ui/PersonForm.h"
#include "platform/QtText.h"
#include "platform/store/TextFold.h"
#include "platform/ui/HelpBrowser.h"
#include "projects/ui/ProjectScreens.h"
#include "translator/Lingua.h"

namespace tko {

namespace {

constexpr size_t kHitsPerKind = 50;
constexpr int kHitRole = Qt::UserRole + 1;

}  // namespace

FindWindow::FindWindow(Workspace& workspace, QWidget* parent)
    : QDialog(parent), m_workspace(workspace) {
    setObjectName(QStringLiteral("findWindow"));
    setWindowTitle(QStringLiteral("Find"));
    setWhatsThis(QStringLiteral("~Find_Window"));
    setAttribute(Qt::WA_DeleteOnClose);
    setSizeGripEnabled(true);

    auto* prompt = new QLabel(QStringLiteral("&Find:"), this);
    m_findEdit = new QLineEdit(this);
    m_findEdit->setObjectName(QStringLiteral("findEdit"));
    m_findEdit->setToolTip(QStringLiteral("Words to look for in the whole office"));
    prompt->setBuddy(m_findEdit);

    m_results = new QTreeWidget(this);
    m_results->setObjectName(QStringLiteral("resultsTree"));
    m_results->setColumnCount(2);
    m_results->setHeaderLabels({QStringLiteral("Found"), QStringLiteral("Words")});
    m_results->header()->setStretchLastSection(true);
    m_results->setColumnWidth(0, 220);
    m_statusLabel = new QLabel(this);
    m_statusLabel->setObjectName(QStringLiteral("statusLabel"));

    auto* buttons = new QDialogButtonBox(this);
    QPushButton* open = buttons->addButton(QStringLiteral("&Open"), QDialogButtonBox::ActionRole);
    open->setObjectName(QStringLiteral("openButton"));
    QPushButton* close = buttons->addButton(QStringLiteral("Close"), QDialogButtonBox::RejectRole);
    close->setObjectName(QStringLiteral("closeButton"));
    QPushButton* help = buttons->addButton(QStringLiteral("&Help"), QDialogButtonBox::HelpRole);
    help->setObjectName(QStringLiteral("helpButton"));
    for (QPushButton* b : {open, close, help}) b->setAutoDefault(false);
    connect(open, &QPushButton::clicked, this, [this] { openItem(m_results->currentItem()); });
    connect(close, &QPushButton::clicked, this, &QWidget::close);
    connect(help, &QPushButton::clicked, this,
            [this] { HelpBrowser::showHelp(whatsThis(), this); });

    m_typingTimer = new QTimer(this);
    m_typingTimer->setSingleShot(true);
    m_typingTimer->setInterval(250);
    connect(m_typingTimer, &QTimer::timeout, this, &FindWindow::search);
    connect(m_findEdit, &QLineEdit::textEdited, this, [this] { m_typingTimer->start(); });
    connect(m_findEdit, &QLineEdit::returnPressed, this, [this] {
        // Enter searches at once; with the hits up to date, opens the first.
        if (m_typingTimer->isActive() || m_hits.empty())
            search();
        else
            openItem(m_results->currentItem());
    });
    connect(m_results, &QTreeWidget::itemActivated, this,
            [this](QTreeWidgetItem* item) { openItem(item); });

    auto* layout = new QVBoxLayout(this);
    auto* row = new QHBoxLayout;
    row->addWidget(prompt);
    row->addWidget(m_findEdit, 1);
    layout->addLayout(row);
    layout->addWidget(m_results, 1);
    layout->addWidget(m_statusLabel);
    layout->addWidget(buttons);
    resize(640, 420);
}

void FindWindow::search() {
    m_typingTimer->stop();
    m_results->clear();
    m_hits.clear();
    const std::string typed = m_findEdit->text().toStdString();
    if (store::searchTokens(typed).empty()) {
        m_statusLabel->clear();
        return;
    }
    const Status s =
        searchOffice(*m_workspace.db, m_workspace.session, typed, kHitsPerKind, m_hits);
    if (!s.ok()) {
        m_hits.clear();
        m_statusLabel->setText(translated("The search could not read the data: ") +
                               qs(s.describe()));
        return;
    }
    m_statusLabel->setText(m_hits.empty() ? translated("Nothing found") : QString());
    QTreeWidgetItem* group = nullptr;
    for (size_t i = 0; i < m_hits.size(); ++i) {
        const SearchHit& hit = m_hits[i];
        if (!group || (i > 0 && m_hits[i - 1].kind != hit.kind)) {
            group = new QTreeWidgetItem(m_results, {translated(searchKindCaption(hit.kind))});
            group->setFirstColumnSpanned(true);
            group->setExpanded(true);
        }
        auto* item = new QTreeWidgetItem(group, {qs(hit.title), qs(hit.snippet)});
        item->setData(0, kHitRole, static_cast<qulonglong>(i));
    }
    if (QTreeWidgetItem* first = m_results->topLevelItem(0); first && first->childCount() > 0)
        m_results->setCurrentItem(first->child(0));
}

void FindWindow::openItem(QTreeWidgetItem* item) {
    if (!item || !item->data(0, kHitRole).isValid()) return;
    openHit(static_cast<size_t>(item->data(0, kHitRole).toULongLong()));
}

bool FindWindow::openHit(size_t index) {
    if (index >= m_hits.size()) return false;
    const SearchHit& hit = m_hits[index];
    Database& db = *m_workspace.db;
    // The record as stored now; a hit deleted meanwhile opens nothing.
    auto reread = [&](auto& record) {
        record.rowPos = hit.rowPos;
        return db.reread(record).ok();
    };
    bool opened = false;
    switch (hit.kind) {
        case SearchKind::Assignment: {
            Assignment a;
            if (reread(a) && a.ASSIGNNUMBER == hit.number &&
                m_workspace.services.openAssignmentForm)
                opened =
                    (m_workspace.services.openAssignmentForm(this, m_workspace, Request::Change, a),
                     true);
            break;
        }
        case SearchKind::Person: {
            Person p;
            if (reread(p) && p.PERSONNUMBER == hit.number)
                opened = (runPersonForm(this, m_workspace, Request::Change, p), true);
            break;
        }
        case SearchKind::Project: {
            Project p;
            if (reread(p) && p.PROJNUMBER == hit.number)
                opened = (runProjectForm(this, m_workspace, Request::Change, p,
                                         programProjectActions(m_workspace.services)),
                          true);
            break;
        }
        case SearchKind::GroupList: {
            GroupName g;
            if (reread(g) && g.GROUPNUMBER == hit.number)
                opened = (runGroupListForm(this, m_workspace, Request::Change, g), true);
            break;
        }
    }
    if (!opened) m_statusLabel->setText(translated("This entry is no longer there"));
    return opened;
}

void openFindWindow(QWidget* parent, Workspace& workspace) {
    auto* window = new FindWindow(workspace, parent);
    Translate(window);
    window->show();
    window->raise();
    window->activateWindow();
}

}  // namespace tko
