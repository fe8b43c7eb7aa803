// The seventeen tables of the shared data: one field list per table, from which
// the record struct, its binding to stored rows and the table definition (in
// Tables.cpp) all derive. Adding a field touches only its list here.
//
// Each list entry is F(name, kind, width): kind LONG (int32), SHORT (int16),
// BYTE (uint8), STRING (text of `width` characters), BYTES (`width` byte flags)
// or MEMO (text of at most `width` characters kept beside the record). Names
// are the field labels after the table prefix. Texts are held clipped.
#pragma once

#include <array>
#include <cstdint>
#include <string>

#include "platform/store/Schema.h"

namespace tko {

#define TKO_ASSIGNMENT_FIELDS(F) \
    F(ASSIGNNUMBER, LONG, 0)     \
    F(PERSONNUMBER, LONG, 0)     \
    F(NAME, STRING, 50)          \
    F(DUEDATE, LONG, 0)          \
    F(PERSON, STRING, 15)        \
    F(USERNAME, STRING, 15)      \
    F(SEEN, BYTE, 0)             \
    F(ASSIGNEDDATE, LONG, 0)     \
    F(CLOSEDATE, LONG, 0)        \
    F(PREVCLOSE, LONG, 0)        \
    F(PREVDUE, LONG, 0)          \
    F(PRIORITY, BYTE, 0)         \
    F(SECONDARY, BYTE, 0)        \
    F(ASSIGNEECONCLUDE, BYTE, 0) \
    F(REPEATTYPE, STRING, 23)    \
    F(REPNUMBER, SHORT, 0)       \
    F(SETDAYREPT, BYTES, 7)      \
    F(WEEKDAY, STRING, 9)        \
    F(DAYNO, BYTE, 0)            \
    F(WEEKINMONTH, STRING, 4)    \
    F(GENERALMEMO, MEMO, 2000)   \
    F(CONFMEMO, MEMO, 1000)      \
    F(ASSIGNMEMO, MEMO, 2000)    \
    F(LOG, MEMO, 2000)

#define TKO_PEOPLE_FIELDS(F)    \
    F(SHORTNAME, STRING, 15)    \
    F(PERSONNUMBER, LONG, 0)    \
    F(USER, STRING, 15)         \
    F(TYPE, STRING, 7)          \
    F(LASTNAME, STRING, 25)     \
    F(FIRSTNAME, STRING, 20)    \
    F(POSITIONHELD, STRING, 30) \
    F(ORGANIZATION, STRING, 30) \
    F(PHONENUMBER, STRING, 100) \
    F(FAXNUMBER, STRING, 26)    \
    F(EMAIL, STRING, 50)        \
    F(DATE, LONG, 0)            \
    F(MAILADDRESS, MEMO, 200)   \
    F(COMMENTS, MEMO, 2000)     \
    F(CONFCOMMENTS, MEMO, 2000)

// PASSWORD holds the Argon2id hash of the password (see Password.h), never the
// password itself, hence its width of 128 characters.
#define TKO_USERS_FIELDS(F)   \
    F(USERNAME, STRING, 15)   \
    F(LASTNAME, STRING, 20)   \
    F(FIRSTNAME, STRING, 20)  \
    F(DEPARTMENT, STRING, 40) \
    F(PASSWORD, STRING, 128)  \
    F(ACCESSLEVEL, BYTE, 0)   \
    F(FAILFLAG, BYTE, 0)      \
    F(CHANGENAME, STRING, 15) \
    F(DATECHANGED, LONG, 0)   \
    F(TIMECHANGED, LONG, 0)   \
    F(NOTES, MEMO, 1000)

#define TKO_USERPREF_FIELDS(F)   \
    F(USERNAME, STRING, 15)      \
    F(PRIORITY, SHORT, 0)        \
    F(PERSON, STRING, 15)        \
    F(ASSIGNEECONCLUDE, BYTE, 0) \
    F(PORT, STRING, 4)           \
    F(ALARM, BYTE, 0)            \
    F(DELAY, SHORT, 0)           \
    F(SECONDARY, BYTE, 0)        \
    F(CURRENTDUE, BYTE, 0)       \
    F(LFENDDATE, LONG, 0)        \
    F(HISTSECONDARY, BYTE, 0)    \
    F(HISTSTARTDATE, LONG, 0)    \
    F(HISTENDDATE, LONG, 0)      \
    F(PROJOPEN, BYTE, 0)         \
    F(PROJSECONDARY, BYTE, 0)

#define TKO_SYSTEMPREF_FIELDS(F) \
    F(TCF, STRING, 60)           \
    F(PRIVATEPEOPLE, BYTE, 0)    \
    F(CONFIDENTIAL, BYTE, 0)     \
    F(VIEWALL, BYTE, 0)          \
    F(ACCESSTRIES, SHORT, 0)     \
    F(ACCESS, BYTE, 0)           \
    F(BACKUPDATE, LONG, 0)       \
    F(BACKUPTIME, LONG, 0)       \
    F(BACKUPHOURS, SHORT, 0)

#define TKO_REMINDER_FIELDS(F) \
    F(DATE, LONG, 0)           \
    F(NOTE, STRING, 50)        \
    F(ASSIGNNUMBER, LONG, 0)   \
    F(PERSON, STRING, 15)      \
    F(ALARMFLAG, BYTE, 0)      \
    F(USER, STRING, 15)        \
    F(REMINDNUMBER, LONG, 0)

#define TKO_ANNIVERS_FIELDS(F) \
    F(DATE, LONG, 0)           \
    F(NOTE, STRING, 50)        \
    F(SHORTNAME, STRING, 15)   \
    F(NUMBER, LONG, 0)         \
    F(DAYOFYEAR, SHORT, 0)

#define TKO_PROJECT_FIELDS(F) \
    F(NAME, STRING, 30)       \
    F(PROJNUMBER, LONG, 0)    \
    F(USER, STRING, 15)       \
    F(TYPE, STRING, 7)        \
    F(NOTE, MEMO, 1000)

#define TKO_PROJASSGN_FIELDS(F) \
    F(NAME, STRING, 30)         \
    F(PROJNUMBER, LONG, 0)      \
    F(ASSIGNNUMBER, LONG, 0)    \
    F(USER, STRING, 15)

#define TKO_PROJUSER_FIELDS(F) \
    F(NAME, STRING, 30)        \
    F(PROJNUMBER, LONG, 0)     \
    F(USER, STRING, 15)

#define TKO_PEOUSER_FIELDS(F) \
    F(PERSONNUMBER, LONG, 0)  \
    F(USER, STRING, 15)

#define TKO_GROUPNAME_FIELDS(F) \
    F(GROUPNAME, STRING, 20)    \
    F(GROUPNUMBER, LONG, 0)     \
    F(USER, STRING, 15)

#define TKO_GROUPPEOPLE_FIELDS(F) \
    F(GROUPNAME, STRING, 20)      \
    F(GROUPNUMBER, LONG, 0)       \
    F(SHORTNAME, STRING, 15)      \
    F(PERSONNUMBER, LONG, 0)

#define TKO_USERASSGN_FIELDS(F) \
    F(USERNAME, STRING, 15)     \
    F(USERNAME2, STRING, 15)

#define TKO_USERVIEW_FIELDS(F) \
    F(USERNAME, STRING, 15)    \
    F(USERNAME2, STRING, 15)

#define TKO_USERGROUPS_FIELDS(F) \
    F(GROUP, STRING, 15)         \
    F(LASTCHANGEDBY, STRING, 15) \
    F(DATECHANGED, LONG, 0)      \
    F(TIMECHANGED, LONG, 0)

#define TKO_USGRPUSERS_FIELDS(F) \
    F(GROUP, STRING, 15)         \
    F(USERNAME, STRING, 15)

// Not a table of the data model: the office's security records, kept beside
// USERS. KIND "RECOVERY" (USERNAME blank) holds the hash of the office
// recovery key; KIND "FAILURES" counts a user's wrong passwords since his
// last successful log-in (COUNT), for every way of logging in.
#define TKO_SECURITY_FIELDS(F) \
    F(KIND, STRING, 10)        \
    F(USERNAME, STRING, 15)    \
    F(COUNT, LONG, 0)          \
    F(HASH, STRING, 128)

// The office's mail server (one record): how stations send the notices of
// the outbox. PASSWORD holds the password sealed with the office's seal key
// (Security.h), never in clear; SECURITY is 0 none, 1 STARTTLS, 2 TLS.
#define TKO_MAILSETUP_FIELDS(F) \
    F(HOST, STRING, 100)        \
    F(PORT, LONG, 0)            \
    F(SECURITY, BYTE, 0)        \
    F(USER, STRING, 100)        \
    F(PASSWORD, STRING, 255)    \
    F(FROMADDRESS, STRING, 100)

// Which notices a user wants by mail, and in which language (the language
// code of a language file, "de" for De_tkom.ltf; blank for English).
// DIGESTDATE is the day of the last daily digest queued for him.
#define TKO_NOTICEPREF_FIELDS(F) \
    F(USERNAME, STRING, 15)      \
    F(NEWWORK, BYTE, 0)          \
    F(CHANGED, BYTE, 0)          \
    F(CONCLUDED, BYTE, 0)        \
    F(DIGEST, BYTE, 0)           \
    F(LANGUAGE, STRING, 8)       \
    F(DIGESTDATE, LONG, 0)

// One message to send (see data/Notices.h): to whom, of what kind, about
// which assignment; its state, tries, the time of its next try (or the end
// of a sending station's claim), the last error, who caused it and when.
#define TKO_OUTBOX_FIELDS(F)  \
    F(RECIPIENT, STRING, 15)  \
    F(KIND, BYTE, 0)          \
    F(ASSIGNNUMBER, LONG, 0)  \
    F(STATE, BYTE, 0)         \
    F(TRIES, SHORT, 0)        \
    F(NEXTDATE, LONG, 0)      \
    F(NEXTTIME, LONG, 0)      \
    F(CLAIMEDBY, STRING, 60)  \
    F(LASTERROR, STRING, 200) \
    F(CREATEDBY, STRING, 15)  \
    F(CREATEDDATE, LONG, 0)   \
    F(CREATEDTIME, LONG, 0)   \
    F(SENTDATE, LONG, 0)      \
    F(SENTTIME, LONG, 0)      \
    F(MESSAGEID, STRING, 100)

// Member types of the field kinds.
#define TKO_CTYPE_LONG(w) std::int32_t
#define TKO_CTYPE_SHORT(w) std::int16_t
#define TKO_CTYPE_BYTE(w) std::uint8_t
#define TKO_CTYPE_STRING(w) std::string
#define TKO_CTYPE_BYTES(w) std::array<std::uint8_t, w>
#define TKO_CTYPE_MEMO(w) std::string
#define TKO_RECORD_MEMBER(name, kind, width) TKO_CTYPE_##kind(width) name{};

// Widths of the text, flag-array and memo fields, as Struct::Width::NAME.
// Numbers have no width here, so a window that asks for one does not compile.
#define TKO_WIDTH_LONG(name, width)
#define TKO_WIDTH_SHORT(name, width)
#define TKO_WIDTH_BYTE(name, width)
#define TKO_WIDTH_STRING(name, width) static constexpr int name = width;
#define TKO_WIDTH_BYTES(name, width) static constexpr int name = width;
#define TKO_WIDTH_MEMO(name, width) static constexpr int name = width;
#define TKO_WIDTH_MEMBER(name, kind, width) TKO_WIDTH_##kind(name, width)

// A record struct: the fields as members, the row position and version of the
// stored row it was read from (0 for a record not yet stored), and the binding.
#define TKO_DECLARE_RECORD(Struct, FIELDS)                              \
    struct Struct {                                                     \
        struct Width {                                                  \
            FIELDS(TKO_WIDTH_MEMBER)                                    \
        };                                                              \
        FIELDS(TKO_RECORD_MEMBER)                                       \
        std::int64_t rowPos = 0;                                        \
        std::int64_t rowVersion = 0;                                    \
        static const store::TableDef& def();                            \
        store::Row toRow() const;                                       \
        void fromRow(const store::Row& row);                            \
        friend bool operator==(const Struct&, const Struct&) = default; \
        /* Same field values, whatever the row position and version. */ \
        bool sameValues(const Struct& other) const;                     \
    };

TKO_DECLARE_RECORD(Assignment, TKO_ASSIGNMENT_FIELDS)
TKO_DECLARE_RECORD(Person, TKO_PEOPLE_FIELDS)
TKO_DECLARE_RECORD(User, TKO_USERS_FIELDS)
TKO_DECLARE_RECORD(UserPref, TKO_USERPREF_FIELDS)
TKO_DECLARE_RECORD(SystemPref, TKO_SYSTEMPREF_FIELDS)
TKO_DECLARE_RECORD(Reminder, TKO_REMINDER_FIELDS)
TKO_DECLARE_RECORD(Anniversary, TKO_ANNIVERS_FIELDS)
TKO_DECLARE_RECORD(Project, TKO_PROJECT_FIELDS)
TKO_DECLARE_RECORD(ProjAssign, TKO_PROJASSGN_FIELDS)
TKO_DECLARE_RECORD(ProjUser, TKO_PROJUSER_FIELDS)
TKO_DECLARE_RECORD(PeoUser, TKO_PEOUSER_FIELDS)
TKO_DECLARE_RECORD(GroupName, TKO_GROUPNAME_FIELDS)
TKO_DECLARE_RECORD(GroupPeople, TKO_GROUPPEOPLE_FIELDS)
TKO_DECLARE_RECORD(UserAssign, TKO_USERASSGN_FIELDS)
TKO_DECLARE_RECORD(UserView, TKO_USERVIEW_FIELDS)
TKO_DECLARE_RECORD(UserGroup, TKO_USERGROUPS_FIELDS)
TKO_DECLARE_RECORD(UserGroupUser, TKO_USGRPUSERS_FIELDS)
TKO_DECLARE_RECORD(Security, TKO_SECURITY_FIELDS)
TKO_DECLARE_RECORD(MailSetup, TKO_MAILSETUP_FIELDS)
TKO_DECLARE_RECORD(NoticePref, TKO_NOTICEPREF_FIELDS)
TKO_DECLARE_RECORD(Outbox, TKO_OUTBOX_FIELDS)

}  // namespace tko
