#include "projects/ProjectRules.h"

#include <algorithm>

#include "access/ListedAssignment.h"
#include "data/FieldWidth.h"
#include "data/Keys.h"
#include "data/Numbering.h"
#include "data/Preferences.h"
#include "data/Records.h"
#include "data/Tables.h"

namespace tko {

using store::Filter;

namespace {

constexpr int kUserNameWidth = Project::Width::USER;

bool knownType(const std::string& type) {
    const std::string t = store::rtrim(type);
    return std::any_of(kProjectTypes.begin(), kProjectTypes.end(),
                       [&](const char* known) { return t == known; });
}

Outcome refused(std::string text) {
    Outcome outcome;
    outcome.kind = Outcome::Refused;
    outcome.text = std::move(text);
    return outcome;
}

// The links of one project and assignment (normally one; older data may hold more).
Status linksOf(Database& db, std::int32_t projNumber, std::int32_t assignNumber,
               std::vector<ProjAssign>& out) {
    return db.readAll(key::PRA_PRIMARY_KEY,
                      store::allOf({store::eq("PROJNUMBER", std::int64_t{projNumber}),
                                    store::eq("ASSIGNNUMBER", std::int64_t{assignNumber})}),
                      out);
}

}  // namespace

// ---- who sees and changes a project ----------------------------------------------

access::Viewer projectViewer(const Session& session) {
    return access::viewerOf(session, SystemPref{});
}

Filter projectListFilter(const Session& session) {
    return access::visibleProjects(projectViewer(session));
}

Status projectVisibleTo(Database& db, const Session& session, std::int32_t projNumber,
                        bool& visible) {
    const Status s = access::projectVisible(db, projectViewer(session), projNumber, visible);
    if (!s.ok() || visible) return s;
    Project any;
    return db.fetch(key::PRO_AUTONUMBER_KEY, {std::int64_t{projNumber}}, any);
}

bool mayChangeProject(const Project& project, const Session& session) {
    return access::mayChangeProject(project, projectViewer(session));
}

// ---- a project's own record --------------------------------------------------------

Status addNewProject(Database& db, const Session& session, Project& project) {
    project = Project{};
    project.USER = store::clipText(session.GlobalUser, kUserNameWidth);
    project.TYPE = kProjectOpen;
    return addNumbered(db, project, &Project::PROJNUMBER, key::PRO_AUTONUMBER_KEY);
}

Status hasUnnamedProject(Database& db, const Session& session, bool& exists) {
    exists = false;
    Project unnamed;
    const Status s =
        db.fetch(key::PRO_NAMEUSER_KEY,
                 {std::string(), store::clipText(session.GlobalUser, kUserNameWidth)}, unnamed);
    exists = s.ok();
    return s.code == store::kRecordNotFound ? Status::success() : s;
}

Outcome saveProject(Database& db, const Session& session, Project& current, const Project& opened) {
    if (current.sameValues(opened)) return {};
    if (!mayChangeProject(opened, session)) return refused(kProjectNotYours);
    // What the user typed is stored whole or not at all.
    if (store::rtrim(current.NAME).empty()) return refused(kProjectNameRequired);
    if (store::utf8Length(store::rtrim(current.NAME)) > kProjectNameWidth)
        return refused(fieldTooLongText("Project Name", kProjectNameWidth));
    if (store::utf8Length(current.NOTE) > kProjectNoteWidth)
        return refused(fieldTooLongText("Notes", kProjectNoteWidth));
    if (!knownType(current.TYPE)) return refused(kProjectTypeInvalid);
    current.NAME = store::rtrim(current.NAME);
    current.TYPE = store::rtrim(current.TYPE);

    Outcome outcome;
    Project same;
    const Status found =
        db.fetch(key::PRO_NAMEUSER_KEY, {current.NAME, store::rtrim(current.USER)}, same);
    if (found.ok() && same.PROJNUMBER != current.PROJNUMBER) {
        outcome.kind = Outcome::Refused;
        outcome.message = standardMessage(24, kProjectUserKeyName);
        return outcome;
    }
    if (!found.ok() && found.code != store::kRecordNotFound) {
        outcome.kind = Outcome::Failed;
        outcome.message =
            standardMessage(35, db.lastError().describe(), label::PROJECT, {}, kReadErrorStays);
        return outcome;
    }
    const Outcome written = changeRecord(db, current, opened, true);
    if (written.ok()) return outcome;
    outcome.message = written.message;
    if (written.kind == Outcome::ChangedElsewhere) {
        outcome.kind = Outcome::ChangedElsewhere;
    } else if (db.lastError().code == store::kDuplicateKey) {
        // Another station took the name for this user meanwhile.
        outcome.kind = Outcome::Refused;
        outcome.message = standardMessage(24, kProjectUserKeyName);
    } else {
        outcome.kind = Outcome::Failed;
    }
    return outcome;
}

Outcome deleteProject(Database& db, const Session& session, const Project& project) {
    if (!mayChangeProject(project, session)) return refused(kProjectNotYours);
    const Outcome out = deleteRecord(db, project);
    Outcome outcome;
    if (!out.ok()) {
        outcome.kind = Outcome::Failed;
        outcome.message = out.message;
    }
    return outcome;
}

// ---- the project's assignments ----------------------------------------------------

Filter projectAssignmentFilter(std::int32_t projNumber, const ProjectListOptions& options,
                               const access::Viewer& viewer) {
    std::vector<Filter> conditions{
        store::exists(ProjAssign::def(), {{"ASSIGNNUMBER", "ASSIGNNUMBER"}},
                      store::eq("PROJNUMBER", std::int64_t{projNumber})),
        access::openableAssignments(viewer), listedAssignments()};
    if (options.openOnly) conditions.push_back(store::eq("CLOSEDATE", std::int64_t{0}));
    if (!options.includeSecondary) conditions.push_back(store::ne("SECONDARY", std::int64_t{1}));
    return store::allOf(std::move(conditions));
}

Status loadProjectListOptions(Database& db, const std::string& user, ProjectListOptions& options) {
    UserPref pref;
    Request request = Request::None;
    const Status s = loadUserPref(db, user, pref, request);
    if (!s.ok()) return s;
    options.includeSecondary = pref.PROJSECONDARY != 0;
    options.openOnly = pref.PROJOPEN != 0;
    return s;
}

Status saveProjectListOptions(Database& db, const std::string& user,
                              const ProjectListOptions& options) {
    UserPref pref;
    Request request = Request::None;
    Status s = loadUserPref(db, user, pref, request);
    if (!s.ok()) return s;
    auto apply = [&options](UserPref& p) {
        p.PROJSECONDARY = options.includeSecondary ? 1 : 0;
        p.PROJOPEN = options.openOnly ? 1 : 0;
    };
    apply(pref);
    if (request == Request::Insert) return db.add(pref);
    s = db.change(pref);
    // Another station wrote the preferences meanwhile: keep theirs, set ours.
    if (s.code == store::kChangedByOther && db.reread(pref).ok()) {
        apply(pref);
        s = db.change(pref);
    }
    return s;
}

bool mayOpenFromProject(const Assignment& assignment, const access::Viewer& viewer) {
    return viewer.isSystemAdministrator() || access::isOwnAssignment(assignment, viewer.user);
}

bool mayOpenFromProject(const Assignment& assignment, const Session& session) {
    return mayOpenFromProject(assignment, projectViewer(session));
}

Outcome linkAssignment(Database& db, const Session& session, const Project& project,
                       std::int32_t assignNumber, ProjAssign& link) {
    link = ProjAssign{};
    auto failed = [&db] {
        Outcome outcome = Outcome::failed(
            standardMessage(14, db.lastError().describe() + " " + label::PROJASSGN));
        if (db.engine().transactionDepth() > 0) db.rollback();
        return outcome;
    };
    bool visible = false;
    const Status seen = projectVisibleTo(db, session, project.PROJNUMBER, visible);
    if (!seen.ok() && seen.code != store::kRecordNotFound) return failed();
    if (!visible) return Outcome::refused(kProjectNotVisible);
    // The name the project has in the store: a form may show an edited one.
    Project stored;
    if (!db.fetch(key::PRO_AUTONUMBER_KEY, {std::int64_t{project.PROJNUMBER}}, stored).ok())
        return failed();

    // Check and add under one lock, so that two stations adding the same
    // assignment at once leave one link.
    if (!db.begin({label::PROJASSGN}, kIntegrityTimeoutMs).ok()) return failed();
    std::vector<ProjAssign> existing;
    if (!linksOf(db, stored.PROJNUMBER, assignNumber, existing).ok()) return failed();
    if (!existing.empty()) {
        db.rollback();
        link = existing.front();
        return Outcome::refused(kAlreadyPartOfProject);
    }
    ProjAssign added{stored.NAME, stored.PROJNUMBER, assignNumber,
                     store::clipText(session.GlobalUser, kUserNameWidth)};
    if (!db.add(added).ok()) return failed();
    if (!db.commit().ok()) return failed();
    link = added;
    return {};
}

bool mayRemoveLink(const ProjAssign& link, const Session& session) {
    return atLeast(session.GlobalUserAccess, AccessLevel::PeopleAdministrator) ||
           access::isUser(link.USER, session.GlobalUser);
}

Outcome removeFromProject(Database& db, const Session& session, std::int32_t projNumber,
                          std::int32_t assignNumber) {
    auto failed = [&db] {
        Outcome outcome =
            Outcome::failed(standardMessage(17, db.lastError().describe(), label::PROJASSGN));
        if (db.engine().transactionDepth() > 0) db.rollback();
        return outcome;
    };
    std::vector<ProjAssign> links;
    if (!linksOf(db, projNumber, assignNumber, links).ok()) return failed();
    for (const ProjAssign& link : links)
        if (!mayRemoveLink(link, session)) return Outcome::refused(kNoAuthorityToRemove);
    if (links.empty()) return {};
    if (!db.begin({label::PROJASSGN}, kIntegrityTimeoutMs).ok()) return failed();
    for (const ProjAssign& link : links) {
        const Status s = db.remove(link);
        if (!s.ok() && s.code != store::kRecordNotFound) return failed();
    }
    if (!db.commit().ok()) return failed();
    return {};
}

// ---- projects of one assignment -------------------------------------------------------

Filter assignmentProjectsFilter(std::int32_t assignNumber, const access::Viewer& viewer) {
    return store::allOf({store::eq("ASSIGNNUMBER", std::int64_t{assignNumber}),
                         store::exists(Project::def(), {{"PROJNUMBER", "PROJNUMBER"}},
                                       access::visibleProjects(viewer))});
}

Filter assignmentProjectsFilter(std::int32_t assignNumber, const Session& session) {
    return assignmentProjectsFilter(assignNumber, projectViewer(session));
}

Status visibleProjectLinks(Database& db, const access::Viewer& viewer, std::int32_t assignNumber,
                           std::vector<ProjAssign>& out) {
    return db.readAll(key::PRA_ASSIGNMENT_KEY, assignmentProjectsFilter(assignNumber, viewer), out);
}

std::string projectNameForUsers(const Project& stored, const std::string& typed) {
    const std::string name = store::rtrim(stored.NAME);
    return name.empty() ? store::rtrim(typed) : name;
}

}  // namespace tko
