// The "Projects" page of the assignment form: the projects the assignment is
// part of (those the user may see), with "Add to a Project" and "Delete from
// Project", which the form connects.
#pragma once

#include <QWidget>

#include "data/Session.h"
#include "platform/store/Engine.h"

class QPushButton;

namespace tko {

class BrowseList;

class AssignmentProjectsPage : public QWidget {
    Q_OBJECT
public:
    AssignmentProjectsPage(store::Engine& engine, QWidget* parent = nullptr);

    // Lists the links of assignment `number` to the projects `session` may see.
    void showLinks(std::int32_t number, const Session& session);
    // The group form's headings.
    void adaptToGroup();
    // Whether the buttons may change the links.
    void setChangeable(bool changeable);

    BrowseList* projectList = nullptr;
    QPushButton* addButton = nullptr;
    QPushButton* deleteButton = nullptr;
};

}  // namespace tko
