#include "assign/lists/UnseenList.h"

namespace tko {

bool isUnseenFor(const Assignment& record, const std::string& user) {
    return record.SEEN == kUnseen && record.CLOSEDATE == 0 && record.PERSON == user &&
           record.USERNAME != user;
}

std::vector<store::Value> unseenRange() {
    return {kUnseen};
}

store::Filter unseenFilter(const std::string& user) {
    using namespace store;
    return allOf(
        {eq("SEEN", kUnseen), eq("CLOSEDATE", 0), eq("PERSON", user), ne("USERNAME", user)});
}

}  // namespace tko
