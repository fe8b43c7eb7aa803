// The screens the main frame opens, by procedure name ("BrowsePeople"). Each
// subsystem registers its screens at start-up; a menu item whose procedure is
// not registered shows standard message 6.
#pragma once

#include <QString>
#include <QStringList>

#include <functional>
#include <map>

class QWidget;

namespace tko {

// What every screen works with; defined by the program (app/Workspace.h).
struct Workspace;

class Procedures {
public:
    using Procedure = std::function<void(QWidget* parent, Workspace& workspace)>;

    void add(const QString& name, Procedure procedure) {
        m_procedures[name] = std::move(procedure);
    }
    bool has(const QString& name) const { return m_procedures.count(name) != 0; }
    // Every registered name, in order.
    QStringList names() const {
        QStringList all;
        for (const auto& entry : m_procedures) all << entry.first;
        return all;
    }
    // Runs the procedure; false when none is registered under `name`.
    bool run(const QString& name, QWidget* parent, Workspace& workspace) const {
        auto it = m_procedures.find(name);
        if (it == m_procedures.end()) return false;
        it->second(parent, workspace);
        return true;
    }

private:
    std::map<QString, Procedure> m_procedures;
};

// The program's registry.
Procedures& procedures();

}  // namespace tko
