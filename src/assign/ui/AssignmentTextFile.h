// "Text File" of the assignment form: the lines go to a work file first; a
// save dialog ("Save Assignment as Text File", "*.txt") asks for the name,
// the work file is copied there and removed; the current directory is
// restored afterwards. Failures are shown with standard message 30.
#pragma once

#include <QString>
#include <functional>

class QWidget;

namespace tko {

// Runs the steps above; `write` writes the lines to the path it is given and
// returns an error text, or an empty one.
void saveAssignmentTextFile(QWidget* parent, const std::function<QString(const QString&)>& write);

}  // namespace tko
