#include "people/PeopleRules.h"

#include "data/Keys.h"
#include "data/Numbering.h"
#include "data/Tables.h"

namespace tko {

namespace {

// The first `count` characters of UTF-8 `text`, nothing trimmed.
std::string firstCharacters(const std::string& text, int count) {
    size_t i = 0;
    for (int n = 0; n < count && i < text.size(); ++n) {
        ++i;
        while (i < text.size() && (static_cast<unsigned char>(text[i]) & 0xC0) == 0x80) ++i;
    }
    return text.substr(0, i);
}

bool blank(const std::string& text) {
    return store::rtrim(text).empty();
}

void enable(TypeChoices& choices, const char* type) {
    const int position = typePosition(type);
    if (position > 0) choices.enabled[static_cast<size_t>(position - 1)] = true;
}

}  // namespace

int typePosition(const std::string& type) {
    const std::string clipped = store::rtrim(type);
    for (size_t i = 0; i < kPersonTypes.size(); ++i)
        if (clipped == kPersonTypes[i]) return static_cast<int>(i) + 1;
    return 0;
}

Status readSystemPref(Database& db, SystemPref& out) {
    std::vector<SystemPref> rows;
    Status s = db.readAll("", store::all(), rows);
    if (!s.ok()) return s;
    if (rows.empty()) return db.track(Status::error(store::kRecordNotFound));
    out = rows.front();
    return s;
}

InsertRules insertRules(const Session& session, const SystemPref& sys) {
    InsertRules rules;
    const bool general = session.isGeneralUser();
    if (sys.PRIVATEPEOPLE == 0) {
        if (general) {
            rules.refusal = "You do not have authority to add people to system";
            return rules;
        }
        rules.types.initial = kTypeOpen;
        enable(rules.types, kTypeOpen);
        enable(rules.types, kTypeLimited);
        return rules;
    }
    rules.types.initial = kTypePrivate;
    if (!general) {
        enable(rules.types, kTypeOpen);
        enable(rules.types, kTypeLimited);
        enable(rules.types, kTypePrivate);
    }
    return rules;
}

TypeChoices changeTypeChoices(const Session& session, const SystemPref& sys, const Person& person) {
    TypeChoices choices;
    choices.initial = store::rtrim(person.TYPE);
    if (choices.initial == kTypeUser || session.isGeneralUser()) return choices;
    enable(choices, kTypeOpen);
    enable(choices, kTypeLimited);
    if (sys.PRIVATEPEOPLE != 0 || choices.initial == kTypePrivate) enable(choices, kTypePrivate);
    return choices;
}

NewPerson startNewPerson(Database& db, const Session& session, const std::string& type,
                         Date today) {
    NewPerson result;
    result.record.DATE = today;
    result.record.USER = session.GlobalUser;
    result.record.TYPE = type;
    const Status s =
        addNumbered(db, result.record, &Person::PERSONNUMBER, key::PEO_PERSONNUMBER_KEY);
    if (s.ok()) {
        result.ok = true;
        return result;
    }
    result.retry = s.code == store::kDuplicateKey;
    if (result.retry)
        result.message = numberingRetryQuestion(db.lastError().describe());
    else
        result.message =
            standardMessage(35, db.lastError().describe(), label::PEOPLE, {}, kReadErrorStays);
    return result;
}

bool confidentialAllowed(const Session& session, const SystemPref& sys, const std::string& type,
                         const std::string& owner) {
    return sys.CONFIDENTIAL == 1 && store::rtrim(type) == kTypePrivate &&
           access::isUser(owner, session.GlobalUser);
}

bool usersLimitedAllowed(const Session& session, const std::string& type,
                         const std::string& shortName, const std::string& owner) {
    if (store::rtrim(type) != kTypeLimited || blank(shortName)) return false;
    return access::isUser(owner, session.GlobalUser) || session.isSystemAdministrator();
}

ShortNameCheck checkShortName(Database& db, const Person& candidate,
                              const std::string& openedShortName, const std::string& openedType) {
    ShortNameCheck check;
    const std::string name = store::rtrim(candidate.SHORTNAME);
    if (name.empty()) {
        check.kind = ShortNameCheck::Missing;
        check.lines = {"Invalid Short Name.", "A short name is required."};
        return check;
    }
    const bool isPrivate = store::rtrim(candidate.TYPE) == kTypePrivate;
    // Exact: a change of letter case is a change of the name.
    const bool nameChanged = name != store::rtrim(openedShortName);
    auto readFailed = [&] {
        check.kind = ShortNameCheck::ReadFailed;
        check.lines = {
            standardMessage(35, db.lastError().describe(), label::PEOPLE, {}, kReadErrorStays)
                .text};
        return check;
    };

    // A user's own person carries the user's name; the user form renames both.
    Person opened;
    opened.TYPE = openedType;
    if (!access::mayRenamePerson(opened) &&
        (nameChanged || store::rtrim(candidate.TYPE) != store::rtrim(openedType))) {
        check.kind = ShortNameCheck::Locked;
        check.lines = {"Invalid Short Name.",
                       "The short name and type of a user's person change only through the user "
                       "form (File>Users)."};
        return check;
    }
    // A person named like a user would be read as that user wherever names
    // are read without regard to letter case.
    if (nameChanged) {
        std::string user;
        if (!access::userNameClash(db, name, candidate, user).ok()) return readFailed();
        if (!user.empty()) {
            check.kind = ShortNameCheck::UserName;
            check.lines = {"Invalid Short Name.",
                           mergeParameters(translateText("%1 is the name of a user. A person "
                                                         "may not carry a user's name in any "
                                                         "letter case."),
                                           user)};
            return check;
        }
    }

    // Leaving Private makes the name visible to everybody, like a new name.
    const bool leftPrivate = store::rtrim(openedType) == kTypePrivate && !isPrivate;
    if (isPrivate || (!nameChanged && !leftPrivate)) return check;

    std::vector<Person> sameName;
    const Status s = db.readAll(key::PEO_SHORT_KEY, store::eq("SHORTNAME", name), sameName);
    if (!s.ok()) return readFailed();
    for (const Person& other : sameName) {
        if (other.PERSONNUMBER == candidate.PERSONNUMBER) continue;
        check.kind = ShortNameCheck::Taken;
        check.lines = {"Invalid Short Name.", "Already used for User, Open, or Limited person"};
        return check;
    }
    return check;
}

std::optional<TooLong> findTooLong(const Person& person) {
    const std::pair<const char*, const std::string*> fields[] = {
        {"Short Name", &person.SHORTNAME},
        {"Last Name", &person.LASTNAME},
        {"First Name", &person.FIRSTNAME},
        {"Position", &person.POSITIONHELD},
        {"Organization", &person.ORGANIZATION},
        {"Phone Number", &person.PHONENUMBER},
        {"Fax Number", &person.FAXNUMBER},
        {"E-mail", &person.EMAIL},
        {"Mailing Address", &person.MAILADDRESS},
        {"Comments", &person.COMMENTS},
        {"Confidential Comments", &person.CONFCOMMENTS}};
    static const char* const labels[] = {
        "SHORTNAME", "LASTNAME", "FIRSTNAME",   "POSITIONHELD", "ORGANIZATION", "PHONENUMBER",
        "FAXNUMBER", "EMAIL",    "MAILADDRESS", "COMMENTS",     "CONFCOMMENTS"};
    const store::TableDef& def = Person::def();
    for (size_t i = 0; i < std::size(fields); ++i) {
        const int width = def.fields[static_cast<size_t>(def.fieldIndex(labels[i]))].width;
        if (store::utf8Length(store::rtrim(*fields[i].second)) > width)
            return TooLong{fields[i].first, width};
    }
    return std::nullopt;
}

Status mayEditStoredPerson(Database& db, const access::Viewer& viewer, const Person& person,
                           bool& mayEdit) {
    mayEdit = false;
    std::int64_t rows = 0;
    if (store::rtrim(person.TYPE) == kTypeLimited && !viewer.isSystemAdministrator()) {
        const Status s = db.count<PeoUser>(
            store::allOf({store::eq("PERSONNUMBER", std::int64_t{person.PERSONNUMBER}),
                          access::fieldIsUser("USER", viewer.user)}),
            rows);
        if (!s.ok()) return s;
    }
    mayEdit = access::mayEditPerson(person, viewer, rows > 0);
    return Status::success();
}

Outcome savePerson(Database& db, const access::Viewer& viewer, Person& current,
                   const Person& original) {
    bool mayEdit = false;
    if (!mayEditStoredPerson(db, viewer, original, mayEdit).ok())
        return Outcome::failed(
            standardMessage(35, db.lastError().describe(), label::PEOPLE, {}, kReadErrorStays));
    if (!mayEdit) return Outcome::refused(kViewOnlyPerson);
    const ShortNameCheck check = checkShortName(db, current, original.SHORTNAME, original.TYPE);
    if (check.kind != ShortNameCheck::Accepted) {
        StandardMessage refusal;
        for (const std::string& line : check.lines)
            refusal.text += (refusal.text.empty() ? "" : "\n") + translateText(line);
        return Outcome::refused(std::move(refusal));
    }
    Outcome outcome = changeRecord(db, current, original, true);
    if (outcome.kind == Outcome::Failed && db.lastError().code == store::kDuplicateKey) {
        const char* key = current.PERSONNUMBER != original.PERSONNUMBER ? "PEO:PersonNumber_key"
                                                                        : "PEO:Primary_key";
        outcome.message = standardMessage(24, key);
    }
    return outcome;
}

DeleteDecision deleteDecision(const Session& session, const Person& person) {
    const bool administrator = session.isSystemAdministrator();
    const std::string type = store::rtrim(person.TYPE);
    DeleteDecision decision;
    if (type == kTypeUser) {
        decision.lines = {"Users can only be deleted by System Administrators.",
                          "Use File>Users menu"};
    } else if (type == kTypeOpen) {
        if (administrator)
            decision.kind = DeleteDecision::Confirm;
        else
            decision.lines = {"Only System Administrators can delete an Open person"};
    } else if (type == kTypeLimited) {
        if (administrator)
            decision.kind = DeleteDecision::Confirm;
        else
            decision.lines = {"Only System Administrators can delete a Limited person"};
    } else if (type == kTypePrivate) {
        decision.kind = DeleteDecision::Confirm;
    } else {
        decision.kind = DeleteDecision::Direct;
    }
    return decision;
}

Status concludeOpenAssignments(Database& db, std::int32_t personNumber, Date today,
                               int& concluded) {
    concluded = 0;
    Status s = db.begin({label::ASSIGNMENT}, kIntegrityTimeoutMs);
    if (!s.ok()) return s;
    std::vector<Assignment> open;
    s = db.readAll(key::ASS_PERSONNUMBER_KEY,
                   store::allOf({store::eq("PERSONNUMBER", std::int64_t{personNumber}),
                                 store::eq("CLOSEDATE", std::int64_t{0})}),
                   open);
    for (size_t i = 0; s.ok() && i < open.size(); ++i) {
        open[i].CLOSEDATE = today;
        s = db.change(open[i]);
    }
    if (s.ok()) s = db.commit();
    if (!s.ok()) {
        db.rollback();
        return s;
    }
    concluded = static_cast<int>(open.size());
    return s;
}

DialRequest dialRequestFor(const Person& person) {
    return {firstCharacters(person.PHONENUMBER, kDialNumberLength),
            firstCharacters(store::rtrim(person.SHORTNAME), kCalledPartyLength)};
}

}  // namespace tko
