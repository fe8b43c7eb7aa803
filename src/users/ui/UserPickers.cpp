#include "users/ui/UserPickers.h"

#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QPushButton>
#include <QTableWidget>
#include <QVBoxLayout>

#include "data/Keys.h"
#include "data/Workspace.h"
#include "platform/QtText.h"
#include "platform/ui/HelpBrowser.h"
#include "platform/ui/MessageBox.h"
#include "platform/ui/WindowTranslation.h"
#include "users/ui/UserGroupsBrowser.h"

namespace tko {

namespace {

std::vector<std::string> pickUsersWithWindow(QWidget* parent, Workspace& workspace) {
    UserMultiSelectDialog dialog(workspace, parent);
    if (execTranslated(&dialog) != QDialog::Accepted) return {};
    return dialog.tagged();
}

std::optional<std::string> pickGroupWithWindow(QWidget* parent, Workspace& workspace) {
    return selectUserGroup(parent, workspace);
}

}  // namespace

std::vector<std::string> pickUsers(QWidget* parent, Workspace& workspace) {
    if (workspace.services.pickUsers) return workspace.services.pickUsers(parent, workspace);
    return pickUsersWithWindow(parent, workspace);
}

std::optional<std::string> pickUserGroup(QWidget* parent, Workspace& workspace) {
    if (workspace.services.pickUserGroup)
        return workspace.services.pickUserGroup(parent, workspace);
    return pickGroupWithWindow(parent, workspace);
}

UserMultiSelectDialog::UserMultiSelectDialog(Workspace& workspace, QWidget* parent)
    : QDialog(parent) {
    setObjectName(QStringLiteral("UserMultiSelectDialog"));
    setWindowTitle(QStringLiteral("Browse Users - Multiple Select"));
    setWhatsThis(QStringLiteral("~Browse_Users_Multiple_Select"));

    // The users table is small (an office's staff): read it whole, so that
    // tags survive scrolling and "Clear All".
    std::vector<User> users;
    if (!workspace.db->readAll(key::USE_USERNAME_KEY, store::all(), users).ok())
        MessageBox::showStandard(this, 35, qs(workspace.db->lastError().describe()),
                                 QStringLiteral("USERS"));

    m_table = new QTableWidget(static_cast<int>(users.size()), 4, this);
    m_table->setObjectName(QStringLiteral("userTable"));
    m_table->setHorizontalHeaderLabels({QString(), QStringLiteral("User Name"),
                                        QStringLiteral("Last Name"), QStringLiteral("First Name")});
    m_table->setSelectionBehavior(QAbstractItemView::SelectRows);
    m_table->setSelectionMode(QAbstractItemView::SingleSelection);
    m_table->setEditTriggers(QAbstractItemView::NoEditTriggers);
    m_table->verticalHeader()->hide();
    m_table->horizontalHeader()->setStretchLastSection(true);
    for (int row = 0; row < static_cast<int>(users.size()); ++row) {
        const User& u = users[static_cast<size_t>(row)];
        m_names.push_back(store::rtrim(u.USERNAME));
        const std::string cells[] = {"", u.USERNAME, u.LASTNAME, u.FIRSTNAME};
        for (int column = 0; column < 4; ++column)
            m_table->setItem(row, column, new QTableWidgetItem(qs(store::rtrim(cells[column]))));
    }
    m_table->resizeColumnsToContents();
    if (!users.empty()) m_table->selectRow(0);

    auto* hint = new QLabel(
        QStringLiteral("Double click or use Tag/Clear button to mark/unmark selections"), this);
    auto* buttons = new QHBoxLayout;
    auto add = [this, buttons](const char* name, const QString& caption, const QString& tip) {
        auto* b = new QPushButton(caption, this);
        b->setObjectName(QLatin1String(name));
        b->setToolTip(tip);
        b->setAutoDefault(false);
        buttons->addWidget(b);
        return b;
    };
    QPushButton* tag = add("tagButton", QStringLiteral("Tag/Clear"),
                           QStringLiteral("Tag or clear highlighted user for selection"));
    QPushButton* clear = add("clearAllButton", QStringLiteral("Clear All"),
                             QStringLiteral("Clear all selections and start again"));
    buttons->addStretch();
    QPushButton* ok = add("okButton", QStringLiteral("OK"), {});
    QPushButton* cancel = add("cancelButton", QStringLiteral("Cancel"), {});
    QPushButton* help = add("helpButton", QStringLiteral("Help"), {});
    ok->setDefault(true);
    connect(tag, &QPushButton::clicked, this, &UserMultiSelectDialog::toggleCurrent);
    connect(clear, &QPushButton::clicked, this, &UserMultiSelectDialog::clearAll);
    connect(ok, &QPushButton::clicked, this, &QDialog::accept);
    connect(cancel, &QPushButton::clicked, this, &QDialog::reject);
    connect(help, &QPushButton::clicked, this,
            [this] { HelpBrowser::showHelp(whatsThis(), this); });
    connect(m_table, &QTableWidget::cellDoubleClicked, this, [this](int row, int) {
        m_table->selectRow(row);
        toggleCurrent();
    });

    auto* layout = new QVBoxLayout(this);
    layout->addWidget(m_table, 1);
    layout->addWidget(hint);
    layout->addLayout(buttons);
    resize(460, 360);
}

void UserMultiSelectDialog::toggleCurrent() {
    const int row = m_table->currentRow();
    if (row < 0 || row >= static_cast<int>(m_names.size())) return;
    const std::string& name = m_names[static_cast<size_t>(row)];
    if (!m_tags.erase(name)) m_tags.insert(name);
    showRow(row);
}

void UserMultiSelectDialog::clearAll() {
    m_tags.clear();
    for (int row = 0; row < static_cast<int>(m_names.size()); ++row) showRow(row);
}

void UserMultiSelectDialog::showRow(int row) {
    const bool tagged = m_tags.count(m_names[static_cast<size_t>(row)]) != 0;
    m_table->item(row, 0)->setText(tagged ? QStringLiteral("*") : QString());
}

std::vector<std::string> UserMultiSelectDialog::tagged() const {
    std::vector<std::string> out;
    for (const std::string& name : m_names)
        if (m_tags.count(name)) out.push_back(name);
    return out;
}

}  // namespace tko
