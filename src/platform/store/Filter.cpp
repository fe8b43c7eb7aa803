#include "platform/store/Filter.h"

namespace tko::store {

Filter all() {
    return Filter{};
}

Filter compare(std::string field, Filter::Op op, Value value) {
    Filter f;
    f.kind = Filter::Kind::Compare;
    f.field = std::move(field);
    f.op = op;
    f.value = std::move(value);
    return f;
}

namespace {
Filter combine(Filter::Kind kind, std::vector<Filter> operands) {
    Filter f;
    f.kind = kind;
    for (Filter& op : operands) {
        if (op.isAll()) continue;
        // A conjunction inside a conjunction is taken apart, so that the
        // store sees every top-level test of a read (the equalities that pick
        // its index) however the filter was put together.
        if (op.kind == kind && kind == Filter::Kind::And && !op.children.empty()) {
            for (Filter& child : op.children) f.children.push_back(std::move(child));
            continue;
        }
        f.children.push_back(std::move(op));
    }
    if (kind == Filter::Kind::And && f.children.empty()) return all();
    if (f.children.size() == 1) return std::move(f.children.front());
    return f;
}
}  // namespace

Filter allOf(std::vector<Filter> operands) {
    return combine(Filter::Kind::And, std::move(operands));
}

Filter anyOf(std::vector<Filter> operands) {
    for (const Filter& op : operands)
        if (op.isAll()) return all();
    return combine(Filter::Kind::Or, std::move(operands));
}

Filter negate(Filter operand) {
    Filter f;
    f.kind = Filter::Kind::Not;
    f.children.push_back(std::move(operand));
    return f;
}

Filter exists(const TableDef& table, std::vector<std::pair<std::string, std::string>> links,
              Filter where) {
    Filter f;
    f.kind = Filter::Kind::Exists;
    f.table = &table;
    f.links = std::move(links);
    if (!where.isAll()) f.children.push_back(std::move(where));
    return f;
}

}  // namespace tko::store
