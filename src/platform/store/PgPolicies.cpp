#include "platform/store/PgPolicies.h"

#include "platform/store/PgRoles.h"

namespace tko::store {

namespace {

// The viewer of a policy: the user of the session's role, his access level
// and the office's "View All", each a sub-select so that the server works
// them out once per statement rather than once per row.
constexpr const char* kViewer =
    R"SQL((SELECT users.tko_user()), (SELECT users.tko_level(users.tko_user())), (SELECT users.tko_view_all()))SQL";
constexpr const char* kUserLevel = R"SQL((SELECT users.tko_level(users.tko_user())))SQL";

// Rule functions. Each mirrors the function of access/Access.cpp named in its
// comment, taking the viewer as access::Viewer holds it (u: the user name,
// lvl: the access level, -1 for a role that is no user; va: View All). Those
// that read other rows run as the owner (SECURITY DEFINER), who is not
// subject to the policies; the others are plain expressions the server
// folds into the policy.
constexpr const char* kRules = R"SQL(
CREATE OR REPLACE FUNCTION users.tko_user() RETURNS text LANGUAGE sql STABLE AS $$
  SELECT CASE WHEN starts_with(session_user::text, current_database() || '.')
              THEN substr(session_user::text, length(current_database()) + 2) END $$;

-- isUser(): exact, trailing blanks ignored, a blank field names nobody.
CREATE OR REPLACE FUNCTION users.tko_is_user(field text, u text) RETURNS boolean
LANGUAGE sql IMMUTABLE AS $$
  SELECT u IS NOT NULL AND rtrim(u) <> '' AND char_length(rtrim(u)) <= 15
     AND rtrim(field) COLLATE "C" = rtrim(u) COLLATE "C" $$;

-- The viewer's level and View All are read once per statement; PL/pgSQL
-- keeps their plans for the session, where an SQL function would plan its
-- query at every statement.
CREATE OR REPLACE FUNCTION users.tko_level(u text) RETURNS integer
LANGUAGE plpgsql STABLE SECURITY DEFINER SET search_path = pg_catalog AS $$
BEGIN
  RETURN COALESCE((SELECT s."ACCESSLEVEL" FROM users."USERS" s
                    WHERE s."USERNAME" = u AND users.tko_is_user(s."USERNAME", u) LIMIT 1), -1);
END $$;

CREATE OR REPLACE FUNCTION users.tko_view_all() RETURNS boolean
LANGUAGE plpgsql STABLE SECURITY DEFINER SET search_path = pg_catalog AS $$
BEGIN
  RETURN COALESCE((SELECT p."VIEWALL" <> 0 FROM @D@."SYSTEMPREF" p LIMIT 1), false);
END $$;

-- Viewer::seesAll()
CREATE OR REPLACE FUNCTION users.tko_sees_all(u text, lvl integer, va boolean) RETURNS boolean
LANGUAGE sql IMMUTABLE AS $$ SELECT u IS NOT NULL AND lvl >= 0 AND (va OR lvl >= 2) $$;

-- hasType(): the stored type, trailing blanks ignored, letter for letter.
CREATE OR REPLACE FUNCTION users.tko_has_type(stored text, type text) RETURNS boolean
LANGUAGE sql IMMUTABLE AS $$ SELECT rtrim(stored) COLLATE "C" = type COLLATE "C" $$;

-- maySeeAssignment()
CREATE OR REPLACE FUNCTION users.tko_may_see_assignment(u text, lvl integer, va boolean,
    person text, username text) RETURNS boolean LANGUAGE sql IMMUTABLE AS $$
  SELECT users.tko_sees_all(u, lvl, va) OR users.tko_is_user(person, u)
      OR users.tko_is_user(username, u) $$;

-- isPrivateOfOther(), given the assignee's person number.
CREATE OR REPLACE FUNCTION users.tko_private_of_other(personnumber integer, u text)
RETURNS boolean LANGUAGE plpgsql STABLE SECURITY DEFINER SET search_path = pg_catalog AS $$
BEGIN
  RETURN EXISTS (SELECT 1 FROM @D@."PEOPLE" p WHERE p."PERSONNUMBER" = personnumber
                    AND users.tko_has_type(p."TYPE", 'Private')
                    AND NOT users.tko_is_user(p."USER", u));
END $$;

-- mayOpenAssignment(): what a user's role may read of ASSIGNMENT.
CREATE OR REPLACE FUNCTION users.tko_may_open_assignment(u text, lvl integer, va boolean,
    person text, username text, personnumber integer) RETURNS boolean LANGUAGE sql STABLE AS $$
  SELECT u IS NOT NULL AND lvl >= 0
     AND (users.tko_may_see_assignment(u, lvl, va, person, username)
          OR NOT users.tko_private_of_other(personnumber, u)) $$;

-- mayChangeAssignment(), mayDeleteAssignment(), mayReadConfidential()
CREATE OR REPLACE FUNCTION users.tko_may_change_assignment(u text, lvl integer, username text)
RETURNS boolean LANGUAGE sql IMMUTABLE AS $$
  SELECT (u IS NOT NULL AND lvl >= 2) OR users.tko_is_user(username, u) $$;

-- mayConcludeAssignment()
CREATE OR REPLACE FUNCTION users.tko_may_conclude_assignment(u text, lvl integer, person text,
    username text, assigneeconclude integer) RETURNS boolean LANGUAGE sql IMMUTABLE AS $$
  SELECT users.tko_may_change_assignment(u, lvl, username)
      OR (users.tko_is_user(person, u) AND assigneeconclude = 1) $$;

-- ownedRecordVisible(): maySeePerson(), maySeeProject(), mayEditPerson().
CREATE OR REPLACE FUNCTION users.tko_owned_visible(u text, lvl integer, type text, owner text,
    listed boolean) RETURNS boolean LANGUAGE sql IMMUTABLE AS $$
  SELECT u IS NOT NULL AND lvl >= 0 AND (lvl >= 2
      OR (users.tko_has_type(type, 'Private') AND users.tko_is_user(owner, u))
      OR (users.tko_has_type(type, 'Limited') AND (users.tko_is_user(owner, u) OR listed))
      OR NOT (users.tko_has_type(type, 'Private') OR users.tko_has_type(type, 'Limited'))) $$;

CREATE OR REPLACE FUNCTION users.tko_person_listed(personnumber integer, u text) RETURNS boolean
LANGUAGE sql STABLE SECURITY DEFINER SET search_path = pg_catalog AS $$
  SELECT EXISTS (SELECT 1 FROM @D@."PEOUSER" l WHERE l."PERSONNUMBER" = personnumber
                    AND l."USER" = u AND users.tko_is_user(l."USER", u)) $$;

CREATE OR REPLACE FUNCTION users.tko_project_listed(projnumber integer, u text) RETURNS boolean
LANGUAGE sql STABLE SECURITY DEFINER SET search_path = pg_catalog AS $$
  SELECT EXISTS (SELECT 1 FROM @D@."PROJUSER" l WHERE l."PROJNUMBER" = projnumber
                    AND l."USER" = u AND users.tko_is_user(l."USER", u)) $$;

-- mayChangeProject()
CREATE OR REPLACE FUNCTION users.tko_may_change_project(u text, lvl integer, owner text)
RETURNS boolean LANGUAGE sql IMMUTABLE AS $$
  SELECT (u IS NOT NULL AND lvl >= 2) OR users.tko_is_user(owner, u) $$;

-- A listing row (PEOUSER, PROJUSER) is written by whoever may change what it lists.
CREATE OR REPLACE FUNCTION users.tko_may_edit_person_number(u text, lvl integer,
    personnumber integer) RETURNS boolean
LANGUAGE sql STABLE SECURITY DEFINER SET search_path = pg_catalog AS $$
  SELECT EXISTS (SELECT 1 FROM @D@."PEOPLE" p WHERE p."PERSONNUMBER" = personnumber
                    AND users.tko_owned_visible(u, lvl, p."TYPE", p."USER",
                            users.tko_person_listed(personnumber, u))) $$;

CREATE OR REPLACE FUNCTION users.tko_may_change_project_number(u text, lvl integer,
    projnumber integer) RETURNS boolean
LANGUAGE sql STABLE SECURITY DEFINER SET search_path = pg_catalog AS $$
  SELECT EXISTS (SELECT 1 FROM @D@."PROJECT" p WHERE p."PROJNUMBER" = projnumber
                    AND users.tko_may_change_project(u, lvl, p."USER")) $$;

-- What a user's role reads in place of the columns it may not select.
CREATE OR REPLACE FUNCTION users.tko_confmemo(rowid bigint) RETURNS text
LANGUAGE sql STABLE SECURITY DEFINER SET search_path = pg_catalog AS $$
  SELECT CASE WHEN users.tko_may_change_assignment(users.tko_user(),
                       users.tko_level(users.tko_user()), a."USERNAME")
              THEN a."CONFMEMO" ELSE '' END
    FROM @D@."ASSIGNMENT" a WHERE a."ROW_ID" = rowid $$;

CREATE OR REPLACE FUNCTION users.tko_password_state(rowid bigint) RETURNS text
LANGUAGE sql STABLE SECURITY DEFINER SET search_path = pg_catalog AS $$
  SELECT s."PASSWORD" FROM users."USERS" s WHERE s."ROW_ID" = rowid $$;

-- The highest record number of a numbered table over all its rows (0 when
-- empty): a new record's number must be above the rows hidden from the user
-- too, or its unique key refuses it. Only the numbers are told.
CREATE OR REPLACE FUNCTION users.tko_highest_number(tab text) RETURNS bigint
LANGUAGE plpgsql STABLE SECURITY DEFINER SET search_path = pg_catalog AS $$
BEGIN
  RETURN COALESCE(CASE tab
    WHEN 'ASSIGNMENT' THEN (SELECT max(x."ASSIGNNUMBER") FROM @D@."ASSIGNMENT" x)
    WHEN 'PEOPLE' THEN (SELECT max(x."PERSONNUMBER") FROM @D@."PEOPLE" x)
    WHEN 'REMINDER' THEN (SELECT max(x."REMINDNUMBER") FROM @D@."REMINDER" x)
    WHEN 'PROJECT' THEN (SELECT max(x."PROJNUMBER") FROM @D@."PROJECT" x)
    WHEN 'GROUPNAME' THEN (SELECT max(x."GROUPNUMBER") FROM @D@."GROUPNAME" x)
  END, 0);
END $$;
)SQL";

// Triggers: what a policy cannot say about columns.
constexpr const char* kTriggers = R"SQL(
-- USERS keeps no password: the role's verifier is the password. Only the mark
-- of a password that must be changed stays. A user who is no System
-- Administrator changes nothing of his record but his password.
CREATE OR REPLACE FUNCTION users.tko_users_guard() RETURNS trigger
LANGUAGE plpgsql SECURITY DEFINER SET search_path = pg_catalog AS $$
DECLARE
  u text := users.tko_user();
  own text[] := ARRAY['PASSWORD', 'CHANGENAME', 'DATECHANGED', 'TIMECHANGED', 'ROW_VERSION'];
BEGIN
  NEW."PASSWORD" := CASE WHEN left(NEW."PASSWORD", 1) = '!' THEN '!' ELSE '' END;
  IF TG_OP = 'UPDATE' AND u IS NOT NULL AND users.tko_level(u) < 2
     AND (to_jsonb(NEW) - own) IS DISTINCT FROM (to_jsonb(OLD) - own) THEN
    RAISE EXCEPTION 'only a System Administrator may change a user' USING ERRCODE = '42501';
  END IF;
  RETURN NEW;
END $$;

-- The assignee of another's assignment changes only his seen flag, his notes
-- and the log, and concludes it where the module lets him; confidential
-- comments he may not read stay as they are.
CREATE OR REPLACE FUNCTION users.tko_assignment_guard() RETURNS trigger
LANGUAGE plpgsql SECURITY DEFINER SET search_path = pg_catalog AS $$
DECLARE
  u text := users.tko_user();
  lvl integer;
  allowed text[] := ARRAY['SEEN', 'ASSIGNMEMO', 'LOG', 'CONFMEMO', 'ROW_VERSION'];
BEGIN
  IF u IS NULL THEN RETURN NEW; END IF;
  lvl := users.tko_level(u);
  IF users.tko_may_change_assignment(u, lvl, OLD."USERNAME") THEN RETURN NEW; END IF;
  NEW."CONFMEMO" := OLD."CONFMEMO";
  IF users.tko_may_conclude_assignment(u, lvl, OLD."PERSON", OLD."USERNAME",
                                       OLD."ASSIGNEECONCLUDE") THEN
    allowed := allowed || ARRAY['CLOSEDATE', 'PREVCLOSE', 'PREVDUE', 'DUEDATE'];
  END IF;
  IF (to_jsonb(NEW) - allowed) IS DISTINCT FROM (to_jsonb(OLD) - allowed) THEN
    RAISE EXCEPTION 'only the giver may change this assignment' USING ERRCODE = '42501';
  END IF;
  RETURN NEW;
END $$;

-- Any station stamps the closing backup; the rest of the settings are the
-- System Administrators'.
CREATE OR REPLACE FUNCTION users.tko_settings_guard() RETURNS trigger
LANGUAGE plpgsql SECURITY DEFINER SET search_path = pg_catalog AS $$
DECLARE
  u text := users.tko_user();
  stamp text[] := ARRAY['BACKUPDATE', 'BACKUPTIME', 'ROW_VERSION'];
BEGIN
  IF u IS NOT NULL AND users.tko_level(u) < 2
     AND (to_jsonb(NEW) - stamp) IS DISTINCT FROM (to_jsonb(OLD) - stamp) THEN
    RAISE EXCEPTION 'only a System Administrator may change the settings' USING ERRCODE = '42501';
  END IF;
  RETURN NEW;
END $$;

DROP TRIGGER IF EXISTS tko_guard ON users."USERS";
CREATE TRIGGER tko_guard BEFORE INSERT OR UPDATE ON users."USERS"
  FOR EACH ROW EXECUTE FUNCTION users.tko_users_guard();
DROP TRIGGER IF EXISTS tko_guard ON @D@."ASSIGNMENT";
CREATE TRIGGER tko_guard BEFORE UPDATE ON @D@."ASSIGNMENT"
  FOR EACH ROW EXECUTE FUNCTION users.tko_assignment_guard();
DROP TRIGGER IF EXISTS tko_guard ON @D@."SYSTEMPREF";
CREATE TRIGGER tko_guard BEFORE UPDATE ON @D@."SYSTEMPREF"
  FOR EACH ROW EXECUTE FUNCTION users.tko_settings_guard();
UPDATE users."USERS" SET "PASSWORD" = "PASSWORD";
)SQL";

// Role maintenance, run as the owner (who may create roles) for a System
// Administrator's role, inside his transaction.
constexpr const char* kRoleFunctions = R"SQL(
CREATE OR REPLACE FUNCTION users.tko_role(name text) RETURNS text LANGUAGE sql IMMUTABLE AS $$
  SELECT current_database() || '.' || rtrim(name) $$;

CREATE OR REPLACE FUNCTION users.tko_role_level(name text, lvl integer) RETURNS void
LANGUAGE plpgsql SECURITY DEFINER SET search_path = pg_catalog AS $$
DECLARE i integer;
BEGIN
  FOR i IN 0..2 LOOP
    IF i = lvl THEN
      EXECUTE format('GRANT %I TO %I', current_database() || '#level' || i, users.tko_role(name));
    ELSE
      EXECUTE format('REVOKE %I FROM %I', current_database() || '#level' || i, users.tko_role(name));
    END IF;
  END LOOP;
END $$;

CREATE OR REPLACE FUNCTION users.tko_role_create(name text, verifier text, lvl integer,
    can_log_in boolean) RETURNS void
LANGUAGE plpgsql SECURITY DEFINER SET search_path = pg_catalog AS $$
BEGIN
  IF EXISTS (SELECT 1 FROM pg_roles WHERE rolname = users.tko_role(name)) THEN
    EXECUTE format('ALTER ROLE %I PASSWORD %L', users.tko_role(name), verifier);
  ELSE
    EXECUTE format('CREATE ROLE %I PASSWORD %L', users.tko_role(name), verifier);
  END IF;
  EXECUTE format('ALTER ROLE %I %s', users.tko_role(name),
                 CASE WHEN can_log_in THEN 'LOGIN' ELSE 'NOLOGIN' END);
  PERFORM users.tko_role_level(name, lvl);
END $$;

CREATE OR REPLACE FUNCTION users.tko_role_rename(old_name text, new_name text) RETURNS void
LANGUAGE plpgsql SECURITY DEFINER SET search_path = pg_catalog AS $$
BEGIN
  EXECUTE format('ALTER ROLE %I RENAME TO %I', users.tko_role(old_name), users.tko_role(new_name));
END $$;

CREATE OR REPLACE FUNCTION users.tko_role_drop(name text) RETURNS void
LANGUAGE plpgsql SECURITY DEFINER SET search_path = pg_catalog AS $$
BEGIN
  EXECUTE format('DROP ROLE IF EXISTS %I', users.tko_role(name));
END $$;

CREATE OR REPLACE FUNCTION users.tko_role_password(name text, verifier text) RETURNS void
LANGUAGE plpgsql SECURITY DEFINER SET search_path = pg_catalog AS $$
BEGIN
  EXECUTE format('ALTER ROLE %I PASSWORD %L', users.tko_role(name), verifier);
END $$;

CREATE OR REPLACE FUNCTION users.tko_role_login(name text, can_log_in boolean) RETURNS void
LANGUAGE plpgsql SECURITY DEFINER SET search_path = pg_catalog AS $$
BEGIN
  EXECUTE format('ALTER ROLE %I %s', users.tko_role(name),
                 CASE WHEN can_log_in THEN 'LOGIN' ELSE 'NOLOGIN' END);
END $$;

CREATE OR REPLACE FUNCTION users.tko_own_password(verifier text) RETURNS void
LANGUAGE plpgsql SECURITY DEFINER SET search_path = pg_catalog AS $$
BEGIN
  IF users.tko_user() IS NULL THEN
    RAISE EXCEPTION 'not a user of this office' USING ERRCODE = '42501';
  END IF;
  EXECUTE format('ALTER ROLE %I PASSWORD %L', session_user, verifier);
END $$;

-- A wrong password: counted in SECURITY; past SYP:ACCESSTRIES the user is
-- suspended, on his record and on his role, and the count starts again.
CREATE OR REPLACE FUNCTION users.tko_login_failed(name text, OUT failures integer,
    OUT suspended boolean)
LANGUAGE plpgsql SECURITY DEFINER SET search_path = pg_catalog AS $$
DECLARE tries integer;
BEGIN
  suspended := false;
  UPDATE users."SECURITY" SET "COUNT" = "COUNT" + 1, "ROW_VERSION" = "ROW_VERSION" + 1
   WHERE "KIND" = 'FAILURES' AND users.tko_is_user("USERNAME", name) RETURNING "COUNT" INTO failures;
  IF NOT FOUND THEN
    INSERT INTO users."SECURITY" ("KIND", "USERNAME", "COUNT") VALUES ('FAILURES', rtrim(name), 1);
    failures := 1;
  END IF;
  SELECT COALESCE((SELECT p."ACCESSTRIES" FROM @D@."SYSTEMPREF" p LIMIT 1), 0) INTO tries;
  IF tries > 0 AND failures > tries THEN
    UPDATE users."USERS" SET "FAILFLAG" = 1, "ROW_VERSION" = "ROW_VERSION" + 1
     WHERE users.tko_is_user("USERNAME", name);
    DELETE FROM users."SECURITY" WHERE "KIND" = 'FAILURES' AND users.tko_is_user("USERNAME", name);
    PERFORM users.tko_role_login(name, false);
    suspended := true;
  END IF;
END $$;
)SQL";

std::string replaceAll(std::string text, const std::string& what, const std::string& with) {
    for (size_t at = text.find(what); at != std::string::npos;
         at = text.find(what, at + with.size()))
        text.replace(at, what.size(), with);
    return text;
}

std::string ident(const std::string& name) {
    return "\"" + replaceAll(name, "\"", "\"\"") + "\"";
}

// One policy per command on `table`.
std::string policy(const std::string& table, const std::string& name, const std::string& command,
                   const std::string& usingExpr, const std::string& checkExpr = {}) {
    std::string sql = "DROP POLICY IF EXISTS " + name + " ON " + table + ";\nCREATE POLICY " +
                      name + " ON " + table + " FOR " + command + " TO PUBLIC";
    if (!usingExpr.empty()) sql += " USING (" + usingExpr + ")";
    if (!checkExpr.empty()) sql += " WITH CHECK (" + checkExpr + ")";
    return sql + ";\n";
}

// SELECT for all, INSERT, UPDATE and DELETE for System Administrators.
std::string administratorsWrite(const std::string& table) {
    const std::string admin = std::string(kUserLevel) + " >= 2";
    return policy(table, "tko_read", "SELECT", "true") +
           policy(table, "tko_add", "INSERT", {}, admin) +
           policy(table, "tko_change", "UPDATE", admin, admin) +
           policy(table, "tko_delete", "DELETE", admin);
}

}  // namespace

std::string officePolicySql(const std::string& dataSchema, const std::string& database) {
    const std::string D = ident(dataSchema);
    const std::string viewer = kViewer;
    auto t = [&](const char* label) { return D + "." + ident(label); };
    std::string sql = replaceAll(kRules, "@D@", D) + replaceAll(kTriggers, "@D@", D) +
                      replaceAll(kRoleFunctions, "@D@", D);

    // ASSIGNMENT: read as mayOpenAssignment(); added and changed by the giver
    // (the assignee changes his part, see the trigger); deleted as
    // mayDeleteAssignment().
    const std::string assignment = t("ASSIGNMENT");
    sql += policy(assignment, "tko_read", "SELECT",
                  "users.tko_may_open_assignment(" + viewer +
                      ", \"PERSON\", \"USERNAME\", \"PERSONNUMBER\")");
    sql += policy(assignment, "tko_add", "INSERT", {},
                  "users.tko_may_change_assignment((SELECT users.tko_user()), " +
                      std::string(kUserLevel) + ", \"USERNAME\")");
    sql += policy(
        assignment, "tko_change", "UPDATE",
        "users.tko_may_change_assignment((SELECT users.tko_user()), " + std::string(kUserLevel) +
            ", \"USERNAME\") OR users.tko_is_user(\"PERSON\", (SELECT users.tko_user()))");
    sql += policy(assignment, "tko_delete", "DELETE",
                  "users.tko_may_change_assignment((SELECT users.tko_user()), " +
                      std::string(kUserLevel) + ", \"USERNAME\")");

    // PEOPLE and PROJECT: maySeePerson() / mayEditPerson(), maySeeProject() /
    // mayChangeProject().
    const std::string seesPerson =
        "users.tko_owned_visible((SELECT users.tko_user()), " + std::string(kUserLevel) +
        ", \"TYPE\", \"USER\", users.tko_person_listed(\"PERSONNUMBER\", (SELECT "
        "users.tko_user())))";
    sql += policy(t("PEOPLE"), "tko_all", "ALL", seesPerson, seesPerson);
    const std::string seesProject =
        "users.tko_owned_visible((SELECT users.tko_user()), " + std::string(kUserLevel) +
        ", \"TYPE\", \"USER\", users.tko_project_listed(\"PROJNUMBER\", (SELECT "
        "users.tko_user())))";
    const std::string changesProject = "users.tko_may_change_project((SELECT users.tko_user()), " +
                                       std::string(kUserLevel) + ", \"USER\")";
    sql += policy(t("PROJECT"), "tko_read", "SELECT", seesProject);
    sql += policy(t("PROJECT"), "tko_add", "INSERT", {}, changesProject);
    sql += policy(t("PROJECT"), "tko_change", "UPDATE", changesProject, changesProject);
    sql += policy(t("PROJECT"), "tko_delete", "DELETE", changesProject);

    // The lists of users for a limited person or project: read by all,
    // written by whoever may change the person or project.
    const std::string editsPerson = "users.tko_may_edit_person_number((SELECT users.tko_user()), " +
                                    std::string(kUserLevel) + ", \"PERSONNUMBER\")";
    const std::string changesListedProject =
        "users.tko_may_change_project_number((SELECT users.tko_user()), " +
        std::string(kUserLevel) + ", \"PROJNUMBER\")";
    for (const auto& [table, rule] :
         {std::pair{t("PEOUSER"), editsPerson}, std::pair{t("PROJUSER"), changesListedProject}}) {
        sql += policy(table, "tko_read", "SELECT", "true");
        sql += policy(table, "tko_add", "INSERT", {}, rule);
        sql += policy(table, "tko_change", "UPDATE", rule, rule);
        sql += policy(table, "tko_delete", "DELETE", rule);
    }

    // Tables that hang on an assignment, a person, a project or a group list
    // are reached through that record: the sub-select is itself subject to
    // the record's policy, so a row is there exactly when its record is.
    // Reminders: the user's own, and those of an assignment he may open.
    const std::string me = "(SELECT users.tko_user())";
    const std::string admin = std::string(kUserLevel) + " >= 2";
    const std::string reminderOf = admin + " OR users.tko_is_user(\"USER\", " + me +
                                   ") OR (\"ASSIGNNUMBER\" <> 0 AND EXISTS (SELECT 1 FROM " +
                                   assignment + " a WHERE a.\"ASSIGNNUMBER\" = " + t("REMINDER") +
                                   ".\"ASSIGNNUMBER\"))";
    sql += policy(t("REMINDER"), "tko_all", "ALL", reminderOf, reminderOf);
    // Anniversaries: of a person the user may see, as the person form shows
    // them (Upcoming Anniversaries narrows its own list further).
    const std::string ofPerson = "EXISTS (SELECT 1 FROM " + t("PEOPLE") +
                                 " p WHERE p.\"PERSONNUMBER\" = " + t("ANNIVERS") + ".\"NUMBER\")";
    sql += policy(t("ANNIVERS"), "tko_all", "ALL", ofPerson, ofPerson);
    // Group lists: the owner's, and all for System Administrators
    // (mayUseGroup()); their members with them.
    const std::string ownGroup = admin + " OR users.tko_is_user(\"USER\", " + me + ")";
    sql += policy(t("GROUPNAME"), "tko_all", "ALL", ownGroup, ownGroup);
    const std::string memberOf = "EXISTS (SELECT 1 FROM " + t("GROUPNAME") +
                                 " g WHERE g.\"GROUPNUMBER\" = " + t("GROUPPEOPLE") +
                                 ".\"GROUPNUMBER\")";
    sql += policy(t("GROUPPEOPLE"), "tko_all", "ALL", memberOf, memberOf);
    // A project's assignments: seen with the project, linked and unlinked by
    // whoever may change it.
    const std::string linkedProject = "EXISTS (SELECT 1 FROM " + t("PROJECT") +
                                      " p WHERE p.\"PROJNUMBER\" = " + t("PROJASSGN") +
                                      ".\"PROJNUMBER\")";
    const std::string changesLinkedProject =
        "users.tko_may_change_project_number((SELECT users.tko_user()), " +
        std::string(kUserLevel) + ", \"PROJNUMBER\")";
    sql += policy(t("PROJASSGN"), "tko_read", "SELECT", linkedProject);
    sql += policy(t("PROJASSGN"), "tko_add", "INSERT", {}, changesLinkedProject);
    sql +=
        policy(t("PROJASSGN"), "tko_change", "UPDATE", changesLinkedProject, changesLinkedProject);
    sql += policy(t("PROJASSGN"), "tko_delete", "DELETE", changesLinkedProject);

    // A user's own preferences; System Administrators all.
    const std::string ownOrAdmin = std::string(kUserLevel) +
                                   " >= 2 OR users.tko_is_user(\"USERNAME\", (SELECT "
                                   "users.tko_user()))";
    sql += policy(t("USERPREF"), "tko_read", "SELECT", "true");
    sql += policy(t("USERPREF"), "tko_write", "ALL", ownOrAdmin, ownOrAdmin);
    // The failure counts and the recovery key: a user sees and clears his own
    // count only (counting goes through tko_login_failed()).
    const std::string ownCount =
        std::string(kUserLevel) +
        " >= 2 OR (\"KIND\" = 'FAILURES' AND users.tko_is_user(\"USERNAME\", (SELECT "
        "users.tko_user())))";
    sql += policy("users.\"SECURITY\"", "tko_all", "ALL", ownCount, ownCount);

    // Calendar sync: a user's own account and sync rows only, for everyone.
    const std::string ownRows = "users.tko_is_user(\"USERNAME\", (SELECT users.tko_user()))";
    for (const char* label : {"CALDAVUSER", "CALDAVPREF", "CALDAVSYNC"}) {
        sql += policy(t(label), "tko_all", "ALL", ownRows, ownRows);
        sql += "ALTER TABLE " + t(label) + " ENABLE ROW LEVEL SECURITY;\n";
    }

    // The rights tables and the settings: written by System Administrators.
    for (const char* label : {"USERASSGN", "USERVIEW", "USERGROUPS", "USGRPUSERS"})
        sql += administratorsWrite(t(label));
    sql += administratorsWrite("users.\"USERS\"");
    // ...but a user changes his own password (the trigger keeps the rest).
    sql += policy("users.\"USERS\"", "tko_change", "UPDATE", ownOrAdmin, ownOrAdmin);
    sql += administratorsWrite(t("SYSTEMPREF"));
    // ...and any station stamps the closing backup (the trigger keeps the rest).
    sql += policy(t("SYSTEMPREF"), "tko_change", "UPDATE", "true", "true");

    // Mail notices. The mail server: read by all, set by System
    // Administrators (its password is sealed with the seal key, which only
    // they read in SECURITY, so only their stations send). The choice of
    // notices: as USERPREF. The outbox: every user queues the notices his
    // changes call for, as himself, and sees those; System Administrators'
    // stations claim, mark and clear them.
    sql += administratorsWrite(t("MAILSETUP"));
    sql += policy(t("NOTICEPREF"), "tko_read", "SELECT", "true");
    sql += policy(t("NOTICEPREF"), "tko_write", "ALL", ownOrAdmin, ownOrAdmin);
    const std::string queuedByMe = admin + " OR users.tko_is_user(\"CREATEDBY\", " + me + ")";
    sql += policy(t("OUTBOX"), "tko_read", "SELECT", queuedByMe);
    sql += policy(t("OUTBOX"), "tko_add", "INSERT", {}, queuedByMe);
    sql += policy(t("OUTBOX"), "tko_change", "UPDATE", admin, admin);
    sql += policy(t("OUTBOX"), "tko_delete", "DELETE", admin);
    for (const char* label : {"MAILSETUP", "NOTICEPREF", "OUTBOX"})
        sql += "ALTER TABLE " + t(label) + " ENABLE ROW LEVEL SECURITY;\n";

    for (const char* label : {"ASSIGNMENT", "PEOPLE", "PROJECT", "PEOUSER", "PROJUSER", "REMINDER",
                              "ANNIVERS", "GROUPNAME", "GROUPPEOPLE", "PROJASSGN", "USERPREF",
                              "USERASSGN", "USERVIEW", "USERGROUPS", "USGRPUSERS", "SYSTEMPREF"})
        sql += "ALTER TABLE " + t(label) + " ENABLE ROW LEVEL SECURITY;\n";
    sql += "ALTER TABLE users.\"USERS\" ENABLE ROW LEVEL SECURITY;\n";
    sql += "ALTER TABLE users.\"SECURITY\" ENABLE ROW LEVEL SECURITY;\n";
    (void)database;
    return sql;
}

}  // namespace tko::store
