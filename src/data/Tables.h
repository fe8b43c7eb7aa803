// Access to the table definitions of the shared data as a whole.
#pragma once

#include <string>
#include <vector>

#include "data/Records.h"

namespace tko {

// Every table, shared tables first and USERS last.
const std::vector<const store::TableDef*>& allTables();
// A table that later versions added: a store made before lacks it, and
// opening creates it.
bool isLaterTable(const store::TableDef& table);
// The table with this label ("ASSIGNMENT"), or nullptr.
const store::TableDef* tableByLabel(const std::string& label);

// Table labels, for transaction lists and messages.
namespace label {
inline constexpr const char* ASSIGNMENT = "ASSIGNMENT";
inline constexpr const char* PEOPLE = "PEOPLE";
inline constexpr const char* USERS = "USERS";
inline constexpr const char* USERPREF = "USERPREF";
inline constexpr const char* SYSTEMPREF = "SYSTEMPREF";
inline constexpr const char* REMINDER = "REMINDER";
inline constexpr const char* ANNIVERS = "ANNIVERS";
inline constexpr const char* PROJECT = "PROJECT";
inline constexpr const char* PROJASSGN = "PROJASSGN";
inline constexpr const char* PROJUSER = "PROJUSER";
inline constexpr const char* PEOUSER = "PEOUSER";
inline constexpr const char* GROUPNAME = "GROUPNAME";
inline constexpr const char* GROUPPEOPLE = "GROUPPEOPLE";
inline constexpr const char* USERASSGN = "USERASSGN";
inline constexpr const char* USERVIEW = "USERVIEW";
inline constexpr const char* USERGROUPS = "USERGROUPS";
inline constexpr const char* USGRPUSERS = "USGRPUSERS";
inline constexpr const char* SECURITY = "SECURITY";
inline constexpr const char* MAILSETUP = "MAILSETUP";
inline constexpr const char* NOTICEPREF = "NOTICEPREF";
inline constexpr const char* OUTBOX = "OUTBOX";
}  // namespace label

}  // namespace tko
