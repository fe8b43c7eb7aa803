#include "people/ui/PeopleMultiSelect.h"

#include <QHBoxLayout>
#include <QPushButton>
#include <QStyledItemDelegate>
#include <QTableView>
#include <QVBoxLayout>

#include <algorithm>

#include "platform/ui/BrowseList.h"
#include "platform/ui/HelpBrowser.h"

namespace tko {
namespace {

// Paints the tag mark of a row in the first column; the mark is not a field
// of the table, so the list asks the dialog for it.
class TagDelegate : public QStyledItemDelegate {
public:
    explicit TagDelegate(PeopleMultiSelect* owner) : QStyledItemDelegate(owner), m_owner(owner) {}

protected:
    void initStyleOption(QStyleOptionViewItem* option, const QModelIndex& index) const override {
        QStyledItemDelegate::initStyleOption(option, index);
        option->text = m_owner->tagMark(index.row());
        option->displayAlignment = Qt::AlignCenter;
    }

private:
    PeopleMultiSelect* m_owner;
};

}  // namespace

PeopleMultiSelect::PeopleMultiSelect(Workspace& workspace, QWidget* parent)
    : QDialog(parent), m_workspace(workspace) {
    setObjectName(QStringLiteral("PeopleMultiSelect"));
    setWindowTitle(QStringLiteral("Browse People - Mulitple Select"));
    setWhatsThis(QStringLiteral("~Browse_People_Mulitple_Window"));
    setSizeGripEnabled(true);

    const store::TableDef& people = Person::def();
    m_list = new BrowseList(workspace.db->engine(), people, this);
    m_list->setObjectName(QStringLiteral("peopleList"));
    m_list->setColumns(
        {{QString(), QStringLiteral("TAG"), QString(), 10, ColumnAlign::Center},
         {QStringLiteral("Person"), QStringLiteral("SHORTNAME"), QStringLiteral("@s15"), 64},
         {QStringLiteral("Last Name"), QStringLiteral("LASTNAME"), QStringLiteral("@s25"), 100},
         {QStringLiteral("First Name"), QStringLiteral("FIRSTNAME"), QStringLiteral("@s20"), 80},
         {QStringLiteral("Organization"), QStringLiteral("ORGANIZATION"), QStringLiteral("@s20"),
          80},
         {QStringLiteral("Person Number"), QStringLiteral("PERSONNUMBER"), QStringLiteral("@n-13"),
          56, ColumnAlign::Right}});
    m_list->setSortTabs({{QStringLiteral("By Short Name"), people.key("PEO:SHORT_KEY")},
                         {QStringLiteral("By Last Name"), people.key("PEO:LASTNAME_KEY")},
                         {QStringLiteral("By Organization"), people.key("PEO:ORGANIZATION_KEY")}});
    m_list->setFilter(multipleSelectFilter(workspace.session));
    // Enter and double-click tag or clear the row instead of ending the list.
    m_list->setSelectMode(true);
    m_list->view()->setItemDelegateForColumn(0, new TagDelegate(this));

    auto makeButton = [this](const char* name, const char* text, const char* tip) {
        auto* b = new QPushButton(QLatin1String(text), this);
        b->setObjectName(QLatin1String(name));
        b->setAutoDefault(false);
        if (tip) b->setToolTip(QLatin1String(tip));
        return b;
    };
    QPushButton* ok = makeButton("okButton", "OK", "Select all the tagged people");
    QPushButton* tag =
        makeButton("tagButton", "Tag/Clear", "Tag or clear highlighted person for selection");
    QPushButton* clear =
        makeButton("clearAllButton", "Clear All", "Clear all selections and start again");
    QPushButton* cancel = makeButton("cancelButton", "Cancel", nullptr);
    QPushButton* help = makeButton("helpButton", "Help", nullptr);
    auto* buttons = new QHBoxLayout;
    for (QPushButton* b : {ok, tag, clear}) buttons->addWidget(b);
    buttons->addStretch(1);
    for (QPushButton* b : {cancel, help}) buttons->addWidget(b);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(m_list, 1);
    layout->addLayout(buttons);
    resize(720, 420);

    connect(ok, &QPushButton::clicked, this, &QDialog::accept);
    connect(tag, &QPushButton::clicked, this, &PeopleMultiSelect::toggleHighlighted);
    connect(clear, &QPushButton::clicked, this, &PeopleMultiSelect::clearAll);
    connect(cancel, &QPushButton::clicked, this, &QDialog::reject);
    connect(help, &QPushButton::clicked, this,
            [this] { HelpBrowser::showHelp(whatsThis(), this); });
    connect(m_list, &BrowseList::rowChosen, this,
            [this](const store::Row&) { toggleHighlighted(); });
    m_list->reload();
}

QPushButton* PeopleMultiSelect::button(const QString& objectName) const {
    return findChild<QPushButton*>(objectName);
}

QString PeopleMultiSelect::tagMark(int pageRow) const {
    const auto& rows = m_list->pager().rows();
    if (pageRow < 0 || pageRow >= static_cast<int>(rows.size())) return {};
    Person person;
    person.fromRow(rows[static_cast<size_t>(pageRow)]);
    return isTagged(person.PERSONNUMBER) ? QStringLiteral("\u2714") : QString();
}

void PeopleMultiSelect::toggleHighlighted() {
    const store::Row* row = m_list->selectedRow();
    if (!row) return;
    Person person;
    person.fromRow(*row);
    if (m_numbers.erase(person.PERSONNUMBER)) {
        m_tagged.erase(std::remove_if(m_tagged.begin(), m_tagged.end(),
                                      [&](const GroupMember& m) {
                                          return m.PERSONNUMBER == person.PERSONNUMBER;
                                      }),
                       m_tagged.end());
    } else {
        m_numbers.insert(person.PERSONNUMBER);
        m_tagged.push_back({person.SHORTNAME, person.PERSONNUMBER});
    }
    m_list->view()->viewport()->update();
}

void PeopleMultiSelect::clearAll() {
    m_tagged.clear();
    m_numbers.clear();
    m_list->view()->viewport()->update();
}

}  // namespace tko
