// The layout shared by the Users for Limited Person and Users for Limited
// Project windows: the read-only name on top, the list of users, and the
// Insert / Delete / Close / Help row wired to the list's keys.
#pragma once

#include <QString>
#include <functional>

class QDialog;
class QLineEdit;

namespace tko {

class BrowseList;

// Lays out `dialog` with `caption` and `name` above `list` and the button row;
// Insert (button or Insert key) runs `insert`, Delete (button or Delete key)
// runs `remove`, Close accepts, Help shows the dialog's help topic.
void layOutLimitedUsers(QDialog* dialog, const QString& caption, QLineEdit* name, BrowseList* list,
                        const std::function<void()>& insert, const std::function<void()>& remove);

}  // namespace tko
