#include "assign/lists/ui/UnseenWindow.h"

#include <QHBoxLayout>
#include <QPushButton>
#include <QVBoxLayout>

#include "assign/lists/UnseenList.h"
#include "platform/ui/BrowseList.h"
#include "platform/ui/HelpBrowser.h"

namespace tko {

UnseenWindow::UnseenWindow(Workspace& workspace, ListActions actions, QWidget* parent)
    : QWidget(parent, Qt::Window), m_workspace(workspace), m_actions(std::move(actions)) {
    setObjectName(QStringLiteral("UnseenWindow"));
    setAttribute(Qt::WA_DeleteOnClose);
    setWindowTitle(QStringLiteral("View Unseen or Changed Assignments"));
    setWhatsThis(QStringLiteral("~Browse_Unseen_Assignments"));

    m_list = new BrowseList(m_workspace.db->engine(), Assignment::def(), this);
    m_list->setObjectName(QStringLiteral("unseenList"));
    m_list->setColumns({
        {QStringLiteral("Name"), QStringLiteral("NAME"), QStringLiteral("@s50"), 143},
        {QStringLiteral("Due Date"), QStringLiteral("DUEDATE"), QStringLiteral("@D17b"), 48,
         ColumnAlign::Right},
        {QStringLiteral("Priority"), QStringLiteral("PRIORITY"), QStringLiteral("@n1"), 23,
         ColumnAlign::Center},
        {QStringLiteral("Assigned Date"), QStringLiteral("ASSIGNEDDATE"), QStringLiteral("@D17"),
         63, ColumnAlign::Right},
        {QStringLiteral("Assign Number"), QStringLiteral("ASSIGNNUMBER"), QStringLiteral("@n-13"),
         52, ColumnAlign::Right},
    });
    m_list->setKey(QLatin1String(kUnseenKey));
    m_list->setRange(unseenRange());
    m_list->setFilter(unseenFilter(m_workspace.session.GlobalUser));

    auto* buttons = new QHBoxLayout;
    m_view = new QPushButton(QStringLiteral("&View"), this);
    m_view->setObjectName(QStringLiteral("viewButton"));
    m_view->setToolTip(QStringLiteral("View information on assignment"));
    auto* close = new QPushButton(QStringLiteral("Close"), this);
    close->setObjectName(QStringLiteral("closeButton"));
    auto* help = new QPushButton(QStringLiteral("&Help"), this);
    help->setObjectName(QStringLiteral("helpButton"));
    for (QPushButton* b : {m_view, close, help}) b->setAutoDefault(false);
    buttons->addWidget(m_view);
    buttons->addStretch();
    buttons->addWidget(close);
    buttons->addWidget(help);

    auto* layout = new QVBoxLayout(this);
    layout->addWidget(m_list, 1);
    layout->addLayout(buttons);
    resize(640, 360);

    connect(m_view, &QPushButton::clicked, this, &UnseenWindow::viewSelected);
    connect(close, &QPushButton::clicked, this, &QWidget::close);
    connect(help, &QPushButton::clicked, this,
            [this] { HelpBrowser::showHelp(whatsThis(), this); });
    connect(m_list, &BrowseList::changeRequested, this, &UnseenWindow::viewSelected);
    connect(m_list, &BrowseList::selectionChanged, this, &UnseenWindow::updateButtons);
    connect(m_list, &BrowseList::storageError, this, &QWidget::close);

    m_list->reload();
    updateButtons();
}

void UnseenWindow::updateButtons() {
    m_view->setEnabled(m_list->selectedRow() != nullptr);
}

void UnseenWindow::viewSelected() {
    const store::Row* selected = m_list->selectedRow();
    if (!selected || !m_actions.openForm) return;
    const store::Row row = *selected;
    Assignment record;
    record.fromRow(row);
    if (m_workspace.db->reread(record).ok()) {
        m_workspace.session.GlobalRequest = Request::Change;
        m_actions.openForm(this, m_workspace, Request::Change, record);
    }
    // Viewed, the row has left the list; the cursor goes to its neighbour.
    m_list->reloadAt(row);
    updateButtons();
}

}  // namespace tko
