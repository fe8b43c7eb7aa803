// The tables of calendar sync, beside the shared data (not tables of the
// data model; added later, so opening creates them in a store that lacks
// them, see isLaterTable()):
//
// CALDAVUSER: a user's calendar server (CalDAV) account: the collection's
// URL, the user name there and the password sealed with the office's seal
// key (Security.h).
// CALDAVPREF: a user's choices of what is synced: GIVES 1 when the work he
// gives to others goes to his calendar too, beside the work given to him.
// A table of its own so that offices made with the two above open as they
// are; no row means the default (GIVES 0).
// CALDAVSYNC: per user and assignment what the last sync left on the server
// (the resource's HREF and ETAG) and the name and due date it carried then,
// the common ancestor of a three-way comparison.
//
// Both name their user in USERNAME, letter for letter; a secured server lets
// each user read and write only his own rows.
#pragma once

#include <array>

#include "data/Records.h"

namespace tko {

#define TKO_CALDAVUSER_FIELDS(F) \
    F(USERNAME, STRING, 15)      \
    F(URL, STRING, 250)          \
    F(LOGIN, STRING, 64)         \
    F(PASSWORD, STRING, 240)

#define TKO_CALDAVPREF_FIELDS(F) \
    F(USERNAME, STRING, 15)      \
    F(GIVES, BYTE, 0)

#define TKO_CALDAVSYNC_FIELDS(F) \
    F(USERNAME, STRING, 15)      \
    F(ASSIGNNUMBER, LONG, 0)     \
    F(HREF, STRING, 250)         \
    F(ETAG, STRING, 100)         \
    F(NAME, STRING, 50)          \
    F(DUEDATE, LONG, 0)

TKO_DECLARE_RECORD(CaldavUser, TKO_CALDAVUSER_FIELDS)
TKO_DECLARE_RECORD(CaldavPref, TKO_CALDAVPREF_FIELDS)
TKO_DECLARE_RECORD(CaldavSync, TKO_CALDAVSYNC_FIELDS)

namespace label {
inline constexpr const char* CALDAVUSER = "CALDAVUSER";
inline constexpr const char* CALDAVPREF = "CALDAVPREF";
inline constexpr const char* CALDAVSYNC = "CALDAVSYNC";
}  // namespace label

namespace key {
inline constexpr char CDU_USER_KEY[] = "CDU:USER_KEY";
inline constexpr char CDP_USER_KEY[] = "CDP:USER_KEY";
inline constexpr char CDS_USERASSIGN_KEY[] = "CDS:USERASSIGN_KEY";
// All, for the check against the table definitions.
inline constexpr std::array syncKeys{CDU_USER_KEY, CDP_USER_KEY, CDS_USERASSIGN_KEY};
}  // namespace key

}  // namespace tko
