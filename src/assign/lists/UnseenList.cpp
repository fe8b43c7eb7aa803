#include "assign/lists/UnseenList.h"
#include "access/Access.h"

namespace tko {

bool isUnseenFor(const Assignment& record, const std::string& user) {
    return record.SEEN == kUnseen && record.CLOSEDATE == 0 && access::isUser(record.PERSON, user) &&
           !access::isUser(record.USERNAME, user);
}

std::vector<store::Value> unseenRange() {
    return {kUnseen};
}

store::Filter unseenFilter(const std::string& user) {
    using namespace store;
    return allOf({eq("SEEN", kUnseen), eq("CLOSEDATE", 0), access::fieldIsUser("PERSON", user),
                  access::fieldIsNotUser("USERNAME", user)});
}

}  // namespace tko
