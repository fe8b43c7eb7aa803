#include "people/ui/PeopleMultiSelect.h"

#include <QPushButton>
#include <QStyledItemDelegate>
#include <QTableView>

#include <algorithm>

#include "data/Keys.h"
#include "platform/ui/BrowseList.h"

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
    : ListWindow(workspace.db->engine(), Person::def(), parent) {
    setIdentity({"PeopleMultiSelect", "peopleList",
                 QStringLiteral("Browse People - Mulitple Select"),
                 QStringLiteral("~Browse_People_Mulitple_Window")});
    list()->setColumns(
        {{QString(), QStringLiteral("TAG"), QString(), 10, ColumnAlign::Center},
         {QStringLiteral("Person"), QStringLiteral("SHORTNAME"), QStringLiteral("@s15"), 64},
         {QStringLiteral("Last Name"), QStringLiteral("LASTNAME"), QStringLiteral("@s25"), 100},
         {QStringLiteral("First Name"), QStringLiteral("FIRSTNAME"), QStringLiteral("@s20"), 80},
         {QStringLiteral("Organization"), QStringLiteral("ORGANIZATION"), QStringLiteral("@s20"),
          80},
         {QStringLiteral("Person Number"), QStringLiteral("PERSONNUMBER"), QStringLiteral("@n-13"),
          56, ColumnAlign::Right}});
    setSortTabs({{"By Short Name", "", key::PEO_SHORT_KEY},
                 {"By Last Name", "", key::PEO_LASTNAME_KEY},
                 {"By Organization", "", key::PEO_ORGANIZATION_KEY}});
    list()->setFilter(multipleSelectFilter(workspace.session));
    list()->view()->setItemDelegateForColumn(0, new TagDelegate(this));
    // Enter and a double-click tag or clear the row (the Change role).
    setButtons({{"okButton", "OK", "Select all the tagged people", [this] { accept(); }},
                {"tagButton", "Tag/Clear", "Tag or clear highlighted person for selection",
                 [this] { toggleHighlighted(); }, ListRole::Change, NeedsRow::Yes},
                {"clearAllButton", "Clear All", "Clear all selections and start again",
                 [this] { clearAll(); }}});
    setPopup({{"tagPopupAction", "Tag/Clear", [this] { toggleHighlighted(); }},
              {"clearAllPopupAction", "Clear All", [this] { clearAll(); }, NeedsRow::No}});
    finish(720, 420);
    // Leaving without OK hands back nobody.
    button(QStringLiteral("closeButton"))->setText(QStringLiteral("Cancel"));
}

QString PeopleMultiSelect::tagMark(int pageRow) const {
    const auto& rows = list()->pager().rows();
    if (pageRow < 0 || pageRow >= static_cast<int>(rows.size())) return {};
    Person person;
    person.fromRow(rows[static_cast<size_t>(pageRow)]);
    return isTagged(person.PERSONNUMBER) ? QStringLiteral("\u2714") : QString();
}

void PeopleMultiSelect::toggleHighlighted() {
    const store::Row* row = list()->selectedRow();
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
    list()->view()->viewport()->update();
}

void PeopleMultiSelect::clearAll() {
    m_tagged.clear();
    m_numbers.clear();
    list()->view()->viewport()->update();
}

}  // namespace tko
