// The key labels of the shared tables as constants, so that a misspelt key is
// a compile error rather than a failed read at run time: key::ASS_NUMBER_KEY
// names "ASS:NUMBER_KEY". Tables.cpp defines the keys themselves; the data
// tests check that this list and those definitions name the same keys.
#pragma once

#include <array>

namespace tko::key {

#define TKO_KEY_LABELS(K)         \
    K(ASS, NUMBER_KEY)            \
    K(ASS, PERSONNUMBER_KEY)      \
    K(ASS, NAMENUMBER_KEY)        \
    K(ASS, NAME_KEY)              \
    K(ASS, DUEDATE_KEY)           \
    K(ASS, PRIORITY_KEY)          \
    K(ASS, PERSONDATE_KEY)        \
    K(ASS, PERSONPRIORITY_KEY)    \
    K(ASS, CLOSEDUEDATE_KEY)      \
    K(ASS, SEENPERSON_KEY)        \
    K(ASS, CLOSE_KEY)             \
    K(ASS, ASSIGNEDDATE_KEY)      \
    K(ASS, PRIORASSIGN_KEY)       \
    K(ASS, PEOPLEASSIGN_KEY)      \
    K(ASS, PERSPRASSIGN_KEY)      \
    K(ASS, CONCLPRIORITY_KEY)     \
    K(ASS, PERSCONCLPRIORITY_KEY) \
    K(ASS, PERSNUMDUEDATE_KEY)    \
    K(ASS, USERDATE_KEY)          \
    K(ASS, USERPRIORITY_KEY)      \
    K(ASS, USERPERSON_KEY)        \
    K(ASS, PERSONNAME_KEY)        \
    K(ASS, USERNAMENAME_KEY)      \
    K(ASS, USERPERSPRIORITY_KEY)  \
    K(ASS, USERASSIGN_KEY)        \
    K(ASS, USERPRASSIGN_KEY)      \
    K(ASS, USERPEOPLEASSIGN_KEY)  \
    K(ASS, USERCONCL_KEY)         \
    K(ASS, USERNAMENUMBER_KEY)    \
    K(ASS, REPEATCONCL_KEY)       \
    K(ASS, PERSONPERSNUM_KEY)     \
    K(ASS, PERSREPASSIGN_KEY)     \
    K(ASS, PERSREPPRIORITY_KEY)   \
    K(ASS, PERSREPCONCL_KEY)      \
    K(ASS, PERSREPNUMBER_KEY)     \
    K(ASS, USERPERSPRASSIGN_KEY)  \
    K(ASS, USERPERSCONCL_KEY)     \
    K(ASS, USERPERSNUMBER_KEY)    \
    K(ASS, USERPERSNAME_KEY)      \
    K(ASS, EXACTPERSNAME_KEY)     \
    K(ASS, USERREPASSIGN_KEY)     \
    K(ASS, USERREPPRIORITY_KEY)   \
    K(ASS, USERREPCONCL_KEY)      \
    K(PEO, SHORT_KEY)             \
    K(PEO, SHORTTYPE_KEY)         \
    K(PEO, PRIMARY_KEY)           \
    K(PEO, LASTNAME_KEY)          \
    K(PEO, DATE_KEY)              \
    K(PEO, ORGANIZATION_KEY)      \
    K(PEO, PERSONNUMBER_KEY)      \
    K(PEO, NUMBERNAME_KEY)        \
    K(USE, USERNAME_KEY)          \
    K(USE, DATE_KEY)              \
    K(USE, LASTNAME_KEY)          \
    K(USE, DEPARTMENT_KEY)        \
    K(USE, ACCESLEVEL_KEY)        \
    K(USE, ACCESSLEVEL2_KEY)      \
    K(USP, USERNAME_KEY)          \
    K(REM, DATE_KEY)              \
    K(REM, REMINDERNUMBER_KEY)    \
    K(REM, USER_KEY)              \
    K(REM, ASSIGNNUMBER_KEY)      \
    K(REM, USERDATE_KEY)          \
    K(ANN, DATEKEY)               \
    K(ANN, PERSON_KEY)            \
    K(ANN, NUMBER_KEY)            \
    K(ANN, NAMENUMBER_KEY)        \
    K(PRO, NAME_KEY)              \
    K(PRO, NAMEUSER_KEY)          \
    K(PRO, AUTONUMBER_KEY)        \
    K(PRO, NUMBERNAME_KEY)        \
    K(PRA, PROJECT_KEY)           \
    K(PRA, NUMBERNAME_KEY)        \
    K(PRA, PROJNUMBER_KEY)        \
    K(PRA, PRIMARY_KEY)           \
    K(PRA, ASSIGNMENT_KEY)        \
    K(PRU, PROJECT_KEY)           \
    K(PRU, NUMBER_KEY)            \
    K(PRU, USER_KEY)              \
    K(PRU, NUMBERUSER_KEY)        \
    K(PEU, PERSONNUMBER_KEY)      \
    K(GRO, GROUPNAME_KEY)         \
    K(GRO, GROUPUSER_KEY)         \
    K(GRO, AUTONUMBER_KEY)        \
    K(GRP, GROUPNAME_KEY)         \
    K(GRP, PEOPLE_KEY)            \
    K(GRP, GROUPNUMBER_KEY)       \
    K(GRP, PERSONNUMBER_KEY)      \
    K(GRP, NAMENUMBER_KEY)        \
    K(USA, USERNAME_KEY)          \
    K(USA, PRIMARY_KEY)           \
    K(USV, USERNAME_KEY)          \
    K(USV, PRIMARY_KEY)           \
    K(USG, GROUP_KEY)             \
    K(UGU, GROUP_KEY)             \
    K(UGU, USERNAME_KEY)          \
    K(SEC, KIND_KEY)              \
    K(NTP, USERNAME_KEY)          \
    K(OUT, STATE_KEY)             \
    K(OUT, RECIPIENT_KEY)

#define TKO_KEY_CONSTANT(prefix, name) inline constexpr char prefix##_##name[] = #prefix ":" #name;
TKO_KEY_LABELS(TKO_KEY_CONSTANT)
#undef TKO_KEY_CONSTANT

#define TKO_KEY_ENTRY(prefix, name) prefix##_##name,
// Every label above, for the check against the table definitions.
inline constexpr std::array all{TKO_KEY_LABELS(TKO_KEY_ENTRY)};
#undef TKO_KEY_ENTRY

}  // namespace tko::key
