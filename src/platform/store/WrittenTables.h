// The tables a station's open transaction has written, one set per nesting
// level, so that an inner level that rolls back forgets its own tables and a
// commit of the outermost level knows exactly what to announce. Both engines
// keep one; it is as single-threaded as the engine that owns it.
#pragma once

#include <set>
#include <string>
#include <vector>

#include "platform/store/Engine.h"

namespace tko::store {

class WrittenTables {
public:
    // A transaction or savepoint began.
    void open() { m_levels.emplace_back(); }
    // A write to `table` succeeded inside the innermost level.
    void wrote(const std::string& table) {
        if (!m_levels.empty()) m_levels.back().insert(table);
    }
    // The innermost level was released into the one around it.
    void release() {
        if (m_levels.size() < 2) return;
        std::set<std::string> inner = std::move(m_levels.back());
        m_levels.pop_back();
        m_levels.back().insert(inner.begin(), inner.end());
    }
    // The innermost level was rolled back: its writes never happened.
    void discard() {
        if (!m_levels.empty()) m_levels.pop_back();
    }
    // What the outermost level wrote (call just before its commit).
    ChangeNotice outermost() const {
        ChangeNotice notice;
        if (!m_levels.empty()) notice.tables = m_levels.front();
        return notice;
    }
    void clear() { m_levels.clear(); }

private:
    std::vector<std::set<std::string>> m_levels;
};

}  // namespace tko::store
