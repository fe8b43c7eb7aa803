// An engine wrapper for tests that makes chosen calls fail, to show what the
// code above the store does when a write fails half-way.
#pragma once

#include <map>
#include <memory>
#include <string>

#include "platform/store/Engine.h"

namespace tko::test {

class FailingEngine final : public store::Engine {
public:
    explicit FailingEngine(std::unique_ptr<store::Engine> inner) : m_inner(std::move(inner)) {}

    // The n-th remove (1-based) on `table` fails with `code`.
    void failRemove(const std::string& table, int nth, int code = store::kEngineError) {
        m_removeFailures[table] = {nth, code};
    }
    // The next `times` adds on `table` fail with `code`.
    void failAdds(const std::string& table, int times, int code) {
        m_addFailures[table] = {times, code};
    }
    // The n-th change (1-based) on `table` fails with `code`.
    void failChange(const std::string& table, int nth, int code = store::kEngineError) {
        m_changeFailures[table] = {nth, code};
    }
    int addsTried(const std::string& table) const {
        auto it = m_addCount.find(table);
        return it == m_addCount.end() ? 0 : it->second;
    }

    std::string engineName() const override { return m_inner->engineName(); }
    store::Status createTables(const std::vector<const store::TableDef*>& t) override {
        return m_inner->createTables(t);
    }
    store::Status verifyTable(const store::TableDef& t, std::vector<std::string>& p) override {
        return m_inner->verifyTable(t, p);
    }
    store::Status adoptNameCollation(const std::vector<const store::TableDef*>& t) override {
        return m_inner->adoptNameCollation(t);
    }
    store::Status refreshTextIndexes(const std::vector<const store::TableDef*>& t, bool rebuild,
                                     std::vector<std::string>& made) override {
        return m_inner->refreshTextIndexes(t, rebuild, made);
    }
    store::Status verifyStorage(std::vector<std::string>& p) override {
        return m_inner->verifyStorage(p);
    }
    store::Status read(const store::TableDef& t, const store::ReadRequest& r,
                       std::vector<store::Row>& out) override {
        return m_inner->read(t, r, out);
    }
    store::Status fetch(const store::TableDef& t, const store::KeyDef& k,
                        const std::vector<store::Value>& v, store::Row& out) override {
        return m_inner->fetch(t, k, v, out);
    }
    store::Status reread(const store::TableDef& t, std::int64_t pos, store::Row& out) override {
        return m_inner->reread(t, pos, out);
    }
    store::Status count(const store::TableDef& t, const store::Filter& f,
                        std::int64_t& out) override {
        return m_inner->count(t, f, out);
    }
    store::Status add(const store::TableDef& t, store::Row& row) override {
        ++m_addCount[t.label];
        auto it = m_addFailures.find(t.label);
        if (it != m_addFailures.end() && it->second.first > 0) {
            --it->second.first;
            return store::Status::error(it->second.second);
        }
        return m_inner->add(t, row);
    }
    store::Status change(const store::TableDef& t, store::Row& row) override {
        if (hit(m_changeFailures, m_changeCount, t.label))
            return store::Status::error(m_changeFailures[t.label].second);
        return m_inner->change(t, row);
    }
    store::Status remove(const store::TableDef& t, std::int64_t pos) override {
        if (hit(m_removeFailures, m_removeCount, t.label))
            return store::Status::error(m_removeFailures[t.label].second);
        return m_inner->remove(t, pos);
    }
    store::Status begin(const std::vector<std::string>& t, int ms) override {
        return m_inner->begin(t, ms);
    }
    store::Status commit() override { return m_inner->commit(); }
    store::Status rollback() override { return m_inner->rollback(); }
    int transactionDepth() const override { return m_inner->transactionDepth(); }
    store::Status pack() override { return m_inner->pack(); }
    store::Status backup(const std::string& d, const std::string& u) override {
        return m_inner->backup(d, u);
    }

private:
    using Failures = std::map<std::string, std::pair<int, int>>;  // table -> {nth, code}
    static bool hit(const Failures& failures, std::map<std::string, int>& counts,
                    const std::string& table) {
        const int n = ++counts[table];
        auto it = failures.find(table);
        return it != failures.end() && it->second.first == n;
    }

    std::unique_ptr<store::Engine> m_inner;
    Failures m_removeFailures, m_changeFailures;
    std::map<std::string, std::pair<int, int>> m_addFailures;  // table -> {times left, code}
    std::map<std::string, int> m_removeCount, m_changeCount, m_addCount;
};

}  // namespace tko::test
