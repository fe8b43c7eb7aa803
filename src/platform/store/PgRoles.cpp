#include "platform/store/PgRoles.h"

#include <random>

#include "platform/store/Filter.h"
#include "platform/store/PgEngine.h"
#include "platform/store/PgPolicies.h"

namespace tko::store {

namespace {

std::string quotedIdent(const std::string& name) {
    std::string out = "\"";
    for (char c : name) out += c == '"' ? std::string("\"\"") : std::string(1, c);
    return out + "\"";
}

// A one-time password of exactly the ten characters a password counts with,
// from letters and digits that cannot be mistaken for one another.
std::string oneTimePassword() {
    static const std::string kAlphabet = "abcdefghjkmnpqrstuvwxyzABCDEFGHJKMNPQRSTUVWXYZ23456789";
    std::random_device device;
    std::uniform_int_distribution<size_t> pick(0, kAlphabet.size() - 1);
    std::string password;
    for (int i = 0; i < 10; ++i) password += kAlphabet[pick(device)];
    return password;
}

Status refusedName(const std::string& userName) {
    return Status::error(kInvalidArgument, "The user name " + rtrim(userName) +
                                               " is too long for a role name on this server");
}

// Runs a role function with the user's role name checked first.
Status callRoleFunction(PgEngine& engine, const std::string& userName, const std::string& sql,
                        const std::vector<std::string>& params) {
    if (userRoleName(engine.databaseName(), userName).size() > kMostRoleNameBytes)
        return refusedName(userName);
    return engine.execute(sql, params);
}

std::string verifierOf(PgEngine& engine, const std::string& password, Status& status) {
    const std::string verifier = engine.scramVerifier(password);
    status = verifier.empty()
                 ? Status::error(kInvalidArgument, "The password could not be encrypted")
                 : Status::success();
    return verifier;
}

}  // namespace

std::string userRoleName(const std::string& database, const std::string& userName) {
    return database + "." + rtrim(userName);
}

std::string ownerRoleName(const std::string& database) {
    return database + "#owner";
}

std::string levelRoleName(const std::string& database, int level) {
    return database + "#level" + std::to_string(level);
}

std::string gateRoleName(const std::string& database) {
    return database + "#gate";
}

bool isUserRole(const std::string& database, const std::string& role) {
    const std::string prefix = database + ".";
    return !database.empty() && role.size() > prefix.size() &&
           role.compare(0, prefix.size(), prefix) == 0;
}

std::map<std::string, std::string> maskedColumns() {
    return {{"ASSIGNMENT.CONFMEMO", "users.tko_confmemo(t.\"ROW_ID\")"},
            {"USERS.PASSWORD", "users.tko_password_state(t.\"ROW_ID\")"}};
}

Status officeSecured(PgEngine& engine, bool& secured) {
    std::vector<std::vector<std::string>> rows;
    const Status s = engine.execute(
        "SELECT to_regprocedure('users.tko_role_create(text,text,integer,boolean)') IS NOT NULL",
        {}, &rows);
    secured = s.ok() && !rows.empty() && rows[0][0] == "t";
    return s;
}

Status secureOffice(PgEngine& engine, const std::vector<const TableDef*>& tables,
                    std::string& gatePassword,
                    std::vector<std::pair<std::string, std::string>>& oneTimePasswords) {
    gatePassword.clear();
    oneTimePasswords.clear();
    const std::string db = engine.databaseName();
    if (gateRoleName(db).size() > kMostRoleNameBytes)
        return Status::error(kInvalidArgument,
                             "The database name " + db + " is too long for the office's roles");
    std::vector<std::vector<std::string>> rows;
    Status s = engine.execute("SELECT current_schema()", {}, &rows);
    if (!s.ok()) return s;
    const std::string schema = rows.empty() ? "public" : rows[0][0];
    const std::string owner = quotedIdent(ownerRoleName(db));
    const std::string gate = quotedIdent(gateRoleName(db));
    const std::string levels[] = {quotedIdent(levelRoleName(db, 0)),
                                  quotedIdent(levelRoleName(db, 1)),
                                  quotedIdent(levelRoleName(db, 2))};
    const std::string allLevels = levels[0] + ", " + levels[1] + ", " + levels[2];

    // Secured before: the stations' connection strings hold the gate's
    // password, which stays.
    bool securedBefore = false;
    s = officeSecured(engine, securedBefore);
    if (!s.ok()) return s;
    std::string gateVerifier;
    if (!securedBefore) {
        gatePassword = oneTimePassword();
        gateVerifier = verifierOf(engine, gatePassword, s);
        if (!s.ok()) return s;
    }

    std::string sql = "BEGIN;\n";
    auto ensureRole = [&](const std::string& name, const std::string& attributes) {
        sql += "DO $$ BEGIN IF NOT EXISTS (SELECT 1 FROM pg_roles WHERE rolname = " +
               std::string("'") + name + "') THEN CREATE ROLE " + quotedIdent(name) + " " +
               attributes + "; END IF; END $$;\n";
    };
    ensureRole(ownerRoleName(db), "NOLOGIN CREATEROLE");
    for (int level = 0; level <= 2; ++level) ensureRole(levelRoleName(db, level), "NOLOGIN");
    ensureRole(gateRoleName(db), "LOGIN");
    if (!securedBefore) sql += "ALTER ROLE " + gate + " LOGIN PASSWORD '" + gateVerifier + "';\n";
    // The one running this may act as the owner (hand over, grant).
    sql += "GRANT " + owner + " TO CURRENT_USER;\n";
    sql += "ALTER SCHEMA users OWNER TO " + owner + ";\n";
    const SqlBuilder builder(postgresDialect());
    for (const TableDef* table : tables)
        sql += "ALTER TABLE " + builder.tableName(*table) + " OWNER TO " + owner + ";\n";
    sql += officePolicySql(schema, db);
    sql +=
        "DO $$ DECLARE f regprocedure; BEGIN FOR f IN SELECT p.oid::regprocedure FROM pg_proc p "
        "WHERE p.pronamespace = 'users'::regnamespace AND p.proname LIKE 'tko\\_%' LOOP "
        "EXECUTE format('ALTER FUNCTION %s OWNER TO %I', f, " +
        std::string("'") + ownerRoleName(db) + "'); END LOOP; END $$;\n";

    // Grants: the level roles read and write every table (the policies decide
    // which rows), the gate reads what the log-in window needs.
    sql += "REVOKE ALL ON ALL FUNCTIONS IN SCHEMA users FROM PUBLIC;\n";
    sql += "GRANT USAGE ON SCHEMA users TO " + allLevels + ", " + gate + ";\n";
    sql += "GRANT EXECUTE ON ALL FUNCTIONS IN SCHEMA users TO " + allLevels + ", " + gate + ";\n";
    for (const char* administrators :
         {"tko_role_level(text,integer)", "tko_role_create(text,text,integer,boolean)",
          "tko_role_rename(text,text)", "tko_role_drop(text)", "tko_role_password(text,text)",
          "tko_role_login(text,boolean)"})
        sql += std::string("REVOKE EXECUTE ON FUNCTION users.") + administrators + " FROM " +
               levels[0] + ", " + levels[1] + ", " + gate + ";\n";
    sql += "REVOKE EXECUTE ON FUNCTION users.tko_own_password(text) FROM " + gate + ";\n";
    for (const TableDef* table : tables) {
        const std::string name = builder.tableName(*table);
        sql += "REVOKE ALL ON " + name + " FROM PUBLIC;\n";
        sql += "GRANT INSERT, UPDATE, DELETE ON " + name + " TO " + allLevels + ";\n";
        // Every column can be read but the confidential comments and the
        // password column, which are read through the functions.
        std::string columns = "\"ROW_ID\", \"ROW_VERSION\"";
        for (const FieldDef& f : table->fields)
            if (!maskedColumns().count(table->label + "." + f.name))
                columns += ", " + quotedIdent(f.name);
        sql += "REVOKE SELECT ON " + name + " FROM " + allLevels + ", " + gate + ";\n";
        sql +=
            "GRANT SELECT (" + columns + ") ON " + name + " TO " + allLevels + ", " + gate + ";\n";
    }
    sql += "GRANT USAGE, SELECT ON ALL SEQUENCES IN SCHEMA users, " + quotedIdent(schema) + " TO " +
           allLevels + ";\n";
    sql += "COMMIT;\n";
    s = engine.execute(sql, {});
    if (!s.ok()) {
        engine.execute("ROLLBACK", {});
        return s;
    }

    // A role for every user who has none, with a one-time password.
    s = engine.execute(
        "SELECT rtrim(u.\"USERNAME\"), u.\"ACCESSLEVEL\", u.\"FAILFLAG\" FROM users.\"USERS\" u "
        "WHERE NOT EXISTS (SELECT 1 FROM pg_roles r WHERE r.rolname::text = "
        "users.tko_role(u.\"USERNAME\") COLLATE \"C\") "
        "ORDER BY 1",
        {}, &rows);
    if (!s.ok()) return s;
    for (const auto& row : rows) {
        const std::string password = oneTimePassword();
        s = engine.execute("BEGIN", {});
        if (s.ok()) s = createUserRole(engine, row[0], password, std::stoi(row[1]), row[2] == "0");
        if (s.ok())
            s = engine.execute(
                "UPDATE users.\"USERS\" SET \"PASSWORD\" = '!', \"ROW_VERSION\" = \"ROW_VERSION\" "
                "+ 1 "
                "WHERE users.tko_is_user(\"USERNAME\", $1)",
                {row[0]});
        if (s.ok()) s = engine.execute("COMMIT", {});
        if (!s.ok()) {
            engine.execute("ROLLBACK", {});
            return s;
        }
        oneTimePasswords.emplace_back(row[0], password);
    }
    return Status::success();
}

Status createUserRole(PgEngine& engine, const std::string& userName, const std::string& password,
                      int level, bool canLogIn) {
    Status s;
    const std::string verifier = verifierOf(engine, password, s);
    if (!s.ok()) return s;
    return callRoleFunction(
        engine, userName, "SELECT users.tko_role_create($1, $2, $3, $4)",
        {rtrim(userName), verifier, std::to_string(level), canLogIn ? "true" : "false"});
}

Status renameUserRole(PgEngine& engine, const std::string& oldName, const std::string& newName) {
    if (userRoleName(engine.databaseName(), newName).size() > kMostRoleNameBytes)
        return refusedName(newName);
    return engine.execute("SELECT users.tko_role_rename($1, $2)", {rtrim(oldName), rtrim(newName)});
}

Status dropUserRole(PgEngine& engine, const std::string& userName) {
    return engine.execute("SELECT users.tko_role_drop($1)", {rtrim(userName)});
}

Status setUserRolePassword(PgEngine& engine, const std::string& userName,
                           const std::string& password) {
    Status s;
    const std::string verifier = verifierOf(engine, password, s);
    if (!s.ok()) return s;
    return callRoleFunction(engine, userName, "SELECT users.tko_role_password($1, $2)",
                            {rtrim(userName), verifier});
}

Status setUserRoleLevel(PgEngine& engine, const std::string& userName, int level) {
    return callRoleFunction(engine, userName, "SELECT users.tko_role_level($1, $2)",
                            {rtrim(userName), std::to_string(level)});
}

Status setUserRoleLogin(PgEngine& engine, const std::string& userName, bool canLogIn) {
    return callRoleFunction(engine, userName, "SELECT users.tko_role_login($1, $2)",
                            {rtrim(userName), canLogIn ? "true" : "false"});
}

Status setOwnRolePassword(PgEngine& engine, const std::string& password) {
    Status s;
    const std::string verifier = verifierOf(engine, password, s);
    if (!s.ok()) return s;
    return engine.execute("SELECT users.tko_own_password($1)", {verifier});
}

Status countFailedLogin(PgEngine& engine, const std::string& userName, int& count,
                        bool& suspended) {
    count = 0;
    suspended = false;
    std::vector<std::vector<std::string>> rows;
    const Status s = engine.execute("SELECT failures, suspended FROM users.tko_login_failed($1)",
                                    {rtrim(userName)}, &rows);
    if (!s.ok()) return s;
    if (!rows.empty()) {
        count = std::stoi(rows[0][0]);
        suspended = rows[0][1] == "t";
    }
    return Status::success();
}

}  // namespace tko::store
