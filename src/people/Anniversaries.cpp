#include "people/Anniversaries.h"

#include <cmath>

#include "access/Access.h"
#include "data/FieldWidth.h"
#include "data/Keys.h"
#include "data/Tables.h"
#include "people/PeopleFilters.h"
#include "people/PeopleRules.h"

namespace tko {

int anniversaryDayValue(Date date) {
    return static_cast<int>(std::trunc(std::fmod(static_cast<double>(date) + 363.0, 365.25)));
}

bool UpcomingWindow::contains(int dayValue) const {
    if (overYearEnd()) return dayValue >= start || dayValue <= end;
    return dayValue >= start && dayValue <= end;
}

UpcomingWindow upcomingWindow(Date today, Date endDate) {
    return {anniversaryDayValue(today), anniversaryDayValue(endDate)};
}

store::Filter upcomingVisibility(const Session& session) {
    const std::string& user = session.GlobalUser;
    // The person behind the anniversary is a user other than the signed-in one...
    const store::Filter otherUsersPerson =
        store::exists(Person::def(), {{"PERSONNUMBER", "NUMBER"}},
                      store::allOf({store::eq("TYPE", std::string(kTypeUser)),
                                    access::fieldIsNotUser("SHORTNAME", user)}));
    // ... whom the signed-in user may view.
    const store::Filter mayView = store::exists(UserView::def(), {{"USERNAME", "SHORTNAME"}},
                                                access::fieldIsUser("USERNAME2", user));
    return store::anyOf({store::negate(otherUsersPerson), mayView});
}

Status readUpcoming(Database& db, const Session& session, const UpcomingWindow& window,
                    std::vector<UpcomingRow>& out) {
    out.clear();
    const store::Filter visible = upcomingVisibility(session);
    // One part of the window: day values from..to along ANN:DATEKEY.
    auto readPart = [&](int from, std::optional<int> to, bool afterYearEnd) -> Status {
        std::vector<store::Filter> conditions{store::ge("DAYOFYEAR", std::int64_t{from}), visible};
        if (to) conditions.push_back(store::le("DAYOFYEAR", std::int64_t{*to}));
        std::vector<Anniversary> rows;
        const Status s = db.readAll(key::ANN_DATEKEY, store::allOf(std::move(conditions)), rows);
        if (!s.ok()) return s;
        for (Anniversary& a : rows) {
            const int day = a.DAYOFYEAR;
            out.push_back(UpcomingRow{std::move(a), afterYearEnd, day});
        }
        return Status::success();
    };
    if (!window.overYearEnd()) return readPart(window.start, window.end, false);
    const Status s = readPart(window.start, std::nullopt, false);
    if (!s.ok()) return s;
    // Day values are never negative; the second part starts at the year's first.
    return readPart(0, window.end, true);
}

Anniversary newAnniversaryFor(const Person& person) {
    Anniversary a;
    a.NUMBER = person.PERSONNUMBER;
    a.SHORTNAME = person.SHORTNAME;
    return a;
}

std::string anniversaryPersonShown(const Anniversary& record, const std::string& typed) {
    const std::string stored = store::rtrim(record.SHORTNAME);
    return stored.empty() ? store::rtrim(typed) : stored;
}

store::Filter anniversariesOfPerson(const Person& person) {
    return store::allOf({store::eq("NUMBER", std::int64_t{person.PERSONNUMBER}),
                         store::eq("SHORTNAME", store::rtrim(person.SHORTNAME))});
}

AnniversaryRights anniversaryRights(Database& db, const Session& session,
                                    std::int32_t personNumber) {
    AnniversaryRights rights;
    std::int64_t visible = 0;
    const Status s =
        db.count<Person>(store::allOf({store::eq("PERSONNUMBER", std::int64_t{personNumber}),
                                       peopleListFilter(PeopleList::Edit, session, false)}),
                         visible);
    if (!s.ok()) {
        rights.message =
            standardMessage(35, db.lastError().describe(), label::PEOPLE, {}, kReadErrorStays);
        return rights;
    }
    if (visible == 0) {
        StandardMessage refusal;
        refusal.title = translateText("Anniversary Information");
        refusal.text = translateText("You may not change the anniversaries of this person.");
        rights.message = refusal;
        return rights;
    }
    rights.allowed = true;
    return rights;
}

std::optional<std::string> checkAnniversary(const Anniversary& record) {
    if (record.DATE == kNoDate) return translateText("Enter the initial date of the anniversary.");
    if (!isSupportedDate(record.DATE))
        return translateText("The initial date lies outside the dates the program supports.");
    if (store::utf8Length(store::rtrim(record.NOTE)) > kAnniversaryNoteWidth)
        return fieldTooLongText("Note", kAnniversaryNoteWidth);
    return std::nullopt;
}

Outcome saveAnniversary(Database& db, const Session& session, Request request, Anniversary& record,
                        const Anniversary& original) {
    Outcome outcome;
    const AnniversaryRights rights = anniversaryRights(db, session, record.NUMBER);
    if (!rights.allowed) {
        outcome.kind = Outcome::Refused;
        outcome.message = rights.message;
        return outcome;
    }
    if (request == Request::Delete) return deleteRecord(db, original);
    if (request != Request::Insert && request != Request::Change) {
        outcome.kind = Outcome::Refused;
        outcome.message = standardMessage(19);
        return outcome;
    }
    if (const auto problem = checkAnniversary(record)) {
        outcome.kind = Outcome::Refused;
        StandardMessage refusal;
        refusal.title = translateText("Anniversary Information");
        refusal.text = *problem;
        outcome.message = refusal;
        return outcome;
    }
    record.DAYOFYEAR = static_cast<std::int16_t>(anniversaryDayValue(record.DATE));
    if (request == Request::Insert) {
        const Status s = db.add(record);
        if (!s.ok()) {
            outcome.kind = Outcome::Failed;
            outcome.message = s.code == store::kDuplicateKey
                                  ? standardMessage(24, "ANN:DateKey")
                                  : standardMessage(14, db.lastError().describe());
        }
        return outcome;
    }
    outcome = changeRecord(db, record, original, true);
    if (outcome.kind == Outcome::Failed && db.lastError().code == store::kDuplicateKey)
        outcome.message = standardMessage(24, "ANN:DateKey");
    return outcome;
}

}  // namespace tko
