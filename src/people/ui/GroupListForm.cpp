#include "people/ui/GroupListForm.h"

#include <QFormLayout>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTableWidget>
#include <QVBoxLayout>

#include "data/Workspace.h"
#include "people/ui/GroupScreens.h"
#include "people/ui/PeopleMultiSelect.h"
#include "platform/QtText.h"
#include "platform/ui/FormScaffold.h"
#include "platform/ui/HelpBrowser.h"
#include "platform/ui/MessageBox.h"
#include "platform/ui/Procedures.h"
#include "platform/ui/WindowTranslation.h"

namespace tko {
namespace {

QPushButton* makeButton(QWidget* parent, const char* name, const char* text,
                        const char* tip = nullptr) {
    auto* b = new QPushButton(QLatin1String(text), parent);
    b->setObjectName(QLatin1String(name));
    b->setAutoDefault(false);
    if (tip) b->setToolTip(QLatin1String(tip));
    return b;
}

}  // namespace

GroupListForm::GroupListForm(Workspace& workspace, Request request, const GroupName& group,
                             QWidget* parent)
    : QDialog(parent),
      m_workspace(workspace),
      m_request(request),
      m_current(group),
      m_opened(group) {
    setObjectName(QStringLiteral("GroupListForm"));
    setWindowTitle(QStringLiteral("Update Group List"));
    setWhatsThis(QStringLiteral("~Update_Group_Lists_Window"));

    m_name = new QLineEdit(this);
    m_name->setObjectName(QStringLiteral("groupNameEdit"));
    m_name->setMaxLength(kGroupNameWidth);
    m_name->setProperty("picture", QStringLiteral("@s20"));
    m_name->setToolTip(QStringLiteral("Name of group list"));
    m_createdBy = new QLabel(this);
    m_createdBy->setObjectName(QStringLiteral("createdByLabel"));
    auto* head = new QFormLayout;
    head->addRow(QStringLiteral("Group Name:"), m_name);
    head->addRow(QStringLiteral("Created by: "), m_createdBy);

    m_table = new QTableWidget(0, 2, this);
    m_table->setObjectName(QStringLiteral("memberTable"));
    m_table->setHorizontalHeaderLabels(
        {QStringLiteral("People in Group"), QStringLiteral("Number")});
    m_table->setSelectionBehavior(QAbstractItemView::SelectRows);
    m_table->setSelectionMode(QAbstractItemView::SingleSelection);
    m_table->setEditTriggers(QAbstractItemView::NoEditTriggers);
    m_table->verticalHeader()->hide();
    // The names take the room the number leaves, so that the heading (in
    // any language) shows whole.
    m_table->horizontalHeader()->setSectionResizeMode(0, QHeaderView::Stretch);
    m_table->horizontalHeader()->setSectionResizeMode(1, QHeaderView::ResizeToContents);

    auto* status = new QLabel(this);
    status->setObjectName(QStringLiteral("statusLabel"));
    auto* insert = makeButton(this, "insertButton", "Insert", "Add person to group list");
    auto* removeButton =
        makeButton(this, "deleteButton", "Delete", "Remove person from group list");
    auto* print = makeButton(this, "printButton", "Print", "Print this group list");
    auto* ok = makeButton(this, "okButton", "OK");
    ok->setDefault(true);
    auto* cancel = makeButton(this, "cancelButton", "Cancel");
    auto* help = makeButton(this, "helpButton", "Help");
    auto* side = new QVBoxLayout;
    for (QPushButton* b : {insert, removeButton, print}) side->addWidget(b);
    side->addStretch(1);
    auto* body = new QHBoxLayout;
    body->addWidget(m_table, 1);
    body->addLayout(side);
    auto* buttons = new QHBoxLayout;
    buttons->addWidget(status, 1);
    for (QPushButton* b : {ok, cancel, help}) buttons->addWidget(b);
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(head);
    layout->addLayout(body, 1);
    layout->addLayout(buttons);

    m_scaffold = new FormScaffold(this, request, this);
    m_scaffold->setStatusLabel(status);
    m_scaffold->isChanged = [this] {
        return store::clipText(m_name->text().toStdString(), kGroupNameWidth) !=
                   store::clipText(m_opened.GROUPNAME, kGroupNameWidth) ||
               m_members.members() != m_openedMembers.members();
    };
    m_scaffold->save = [this] { return save(); };
    m_scaffold->remove = [this] { return remove(); };
    connect(ok, &QPushButton::clicked, m_scaffold, &FormScaffold::ok);
    connect(cancel, &QPushButton::clicked, m_scaffold, &FormScaffold::cancel);
    connect(insert, &QPushButton::clicked, this, &GroupListForm::insertMembers);
    connect(removeButton, &QPushButton::clicked, this, &GroupListForm::deleteMember);
    connect(print, &QPushButton::clicked, this, &GroupListForm::print);
    connect(help, &QPushButton::clicked, this,
            [this] { HelpBrowser::showHelp(whatsThis(), this); });
    resize(460, 380);
}

QPushButton* GroupListForm::button(const QString& objectName) const {
    return findChild<QPushButton*>(objectName);
}

bool GroupListForm::completed() const {
    return m_scaffold->completed() || m_storedSomething;
}

bool GroupListForm::start() {
    if (!m_scaffold->start()) return false;
    Database& db = *m_workspace.db;
    const Session& session = m_workspace.session;
    if (m_request == Request::Insert) {
        m_current = GroupName{};
        m_current.USER = session.GlobalUser;
    } else {
        if (!mayUseGroup(m_current, session)) {
            MessageBox::showText(this, QStringLiteral("This group list belongs to another user."),
                                 windowTitle(), MessageButtons::Ok, {}, MessageBox::Icon::Warning);
            return false;
        }
        // Read again: the list shows what it read when it paged.
        Status s = m_current.rowPos != 0 ? db.reread(m_current) : Status::success();
        if (s.ok()) s = loadMembers(db, m_current.GROUPNUMBER, m_members);
        if (!s.ok()) {
            MessageBox::showStandard(this, 35, qs(db.lastError().describe()),
                                     QStringLiteral("GROUPNAME"));
            return false;
        }
    }
    m_opened = m_current;
    m_openedMembers = m_members;
    m_name->setText(qs(m_current.GROUPNAME));
    m_createdBy->setText(qs(m_current.USER));
    const bool editable = m_request != Request::Delete;
    m_name->setReadOnly(!editable);
    for (const char* name : {"insertButton", "deleteButton"})
        button(QLatin1String(name))->setEnabled(editable);
    showMembers();
    return true;
}

void GroupListForm::showMembers(const QString& highlight) {
    const auto& members = m_members.members();
    m_table->setRowCount(static_cast<int>(members.size()));
    int selected = members.empty() ? -1 : 0;
    for (size_t i = 0; i < members.size(); ++i) {
        const int row = static_cast<int>(i);
        m_table->setItem(row, 0, new QTableWidgetItem(qs(members[i].SHORTNAME)));
        auto* number = new QTableWidgetItem(QString::number(members[i].PERSONNUMBER));
        number->setTextAlignment(Qt::AlignRight | Qt::AlignVCenter);
        m_table->setItem(row, 1, number);
        if (!highlight.isEmpty() && qs(members[i].SHORTNAME) == highlight) selected = row;
    }
    if (selected >= 0) m_table->selectRow(selected);
}

int GroupListForm::addTagged(const std::vector<GroupMember>& tagged) {
    const int added = m_members.addAll(tagged);
    showMembers(tagged.empty() ? QString() : qs(store::rtrim(tagged.front().SHORTNAME)));
    return added;
}

void GroupListForm::insertMembers() {
    if (m_request == Request::Delete) return;
    PeopleMultiSelect picker(m_workspace, this);
    if (execTranslated(&picker) != QDialog::Accepted) return;
    addTagged(picker.tagged());
}

void GroupListForm::deleteMember() {
    if (m_request == Request::Delete) return;
    const int row = m_table->currentRow();
    if (row < 0 || row >= m_members.size()) return;
    m_members.remove(m_members.members()[static_cast<size_t>(row)].SHORTNAME);
    showMembers();
    if (m_members.size() > 0) m_table->selectRow(std::min(row, m_members.size() - 1));
}

void GroupListForm::print() {
    // The report reads the stored members of the group.
    GroupName group = m_current;
    group.GROUPNAME = store::clipText(m_name->text().toStdString(), kGroupNameWidth);
    printGroupList(this, m_workspace, group);
}

bool GroupListForm::save() {
    GroupName group = m_current;
    group.GROUPNAME = m_name->text().trimmed().toStdString();
    bool nameStored = false;
    const Outcome out = saveGroupList(*m_workspace.db, m_workspace.session, group, m_opened,
                                      m_members, &nameStored);
    showOutcome(this, out);
    if (out.ok()) {
        m_current = group;
        return true;
    }
    if (out.kind == Outcome::ChangedElsewhere) {
        // Show what the other station stored.
        m_current = group;
        m_opened = group;
        loadMembers(*m_workspace.db, m_current.GROUPNUMBER, m_members);
        m_openedMembers = m_members;
        m_name->setText(qs(m_current.GROUPNAME));
        showMembers();
        return false;
    }
    if (nameStored) {
        // Only the members failed. The name is stored; a second OK changes it
        // rather than adding another.
        m_current = group;
        m_opened = group;
        m_storedSomething = true;
        if (m_request == Request::Insert) {
            m_request = Request::Change;
            m_scaffold->setRequest(Request::Change);
        }
        return false;
    }
    m_name->setFocus();
    // The name could not be stored (taken, or the write failed): ready to be retyped.
    if (out.kind == Outcome::Failed || out.field == "name") m_name->selectAll();
    return false;
}

bool GroupListForm::remove() {
    const Outcome out = deleteGroupList(*m_workspace.db, m_workspace.session, m_current);
    showOutcome(this, out);
    return out.ok();
}

void GroupListForm::reject() {
    if (m_scaffold->closeRequested()) QDialog::reject();
}

}  // namespace tko
