// The log-in's password comparison and the forced change of a password that
// others know, against the engine under test.
#include <gtest/gtest.h>
#include <sodium.h>

#include "app/FirstRun.h"
#include "app/Login.h"
#include "data/Password.h"
#include "data/Preferences.h"
#include "support/LoginResult.h"
#include "support/TestStore.h"

namespace tko {
namespace {

class PasswordRulesTest : public ::testing::Test {
protected:
    void SetUp() override {
        setPasswordCost(PasswordCost::Minimal);
        m_source = test::freshSource(m_dir);
        m_db = test::openStation(m_source);
        ASSERT_TRUE(m_db);
        SystemPref sys;
        ASSERT_TRUE(ensureSystemPref(*m_db, sys).ok);
        ASSERT_TRUE(ensureFirstAccount(*m_db).ok);
    }
    void addUser(const std::string& name, const std::string& storedHash) {
        User u;
        u.USERNAME = name;
        u.PASSWORD = storedHash;
        ASSERT_TRUE(m_db->add(u).ok());
    }
    std::string storedHash(const std::string& name) {
        User u;
        EXPECT_TRUE(m_db->fetch("USE:USERNAME_KEY", {name}, u).ok());
        return u.PASSWORD;
    }

    test::TempDir m_dir;
    DataSource m_source;
    std::unique_ptr<Database> m_db;
};

TEST_F(PasswordRulesTest, TrailingBlanksOfTheTypedPasswordDoNotCount) {
    addUser("BEN", hashPassword("abcde"));
    LoginAttempts window(*m_db);
    EXPECT_EQ(test::tryLogin(window, "BEN", "abcde "), test::kLoggedIn);
    EXPECT_EQ(test::tryLogin(window, "BEN", "abcde     "), test::kLoggedIn);
    // Leading blanks and case still count.
    EXPECT_EQ(test::tryLogin(window, "BEN", " abcde"), kIncorrectPasswordText);
    EXPECT_EQ(test::tryLogin(window, "BEN", "ABCDE"), kIncorrectPasswordText);
    // The 10 characters are clipped after the cut: a blank in 10th place and
    // anything behind it do not count.
    addUser("CARLA", hashPassword("abcdefghi"));
    EXPECT_EQ(test::tryLogin(window, "CARLA", "abcdefghi xyz"), test::kLoggedIn);
    EXPECT_EQ(clippedPassword("abcdefghi xyz"), "abcdefghi");
}

TEST_F(PasswordRulesTest, AHashMadeWithTrailingBlanksStillOpensWithThem) {
    // A hash of exactly "abcdefghi " (10 characters), as an older version
    // could store it.
    ASSERT_GE(sodium_init(), 0);
    const std::string clear = "abcdefghi ";
    char out[crypto_pwhash_STRBYTES];
    ASSERT_EQ(crypto_pwhash_str(out, clear.data(), clear.size(), crypto_pwhash_OPSLIMIT_MIN,
                                crypto_pwhash_MEMLIMIT_MIN),
              0);
    addUser("DORA", out);
    LoginAttempts window(*m_db);
    EXPECT_EQ(test::tryLogin(window, "DORA", "abcdefghi "), test::kLoggedIn);
    EXPECT_EQ(test::tryLogin(window, "DORA", "abcdefgh"), kIncorrectPasswordText);
}

TEST_F(PasswordRulesTest, TheForcedChangeRefusesTheBuiltInPasswordAndWritesNothing) {
    LoginAttempts window(*m_db);
    ASSERT_EQ(test::tryLogin(window, kFirstUserName, kFirstPassword), test::kMustChangePassword);
    const std::string before = storedHash(kFirstUserName);
    for (const std::string& typed :
         {std::string(kFirstPassword), std::string(kFirstPassword) + " "}) {
        std::string cleaned;
        ASSERT_EQ(checkNewPassword(typed, typed, cleaned), "");
        const PasswordChange change = changePassword(*m_db, kFirstUserName, cleaned);
        EXPECT_FALSE(change.ok);
        EXPECT_TRUE(change.refused);
        EXPECT_FALSE(change.fatal);
        EXPECT_NE(change.message, "Password Changed");
        EXPECT_EQ(storedHash(kFirstUserName), before);
    }
    // Still to be changed at the next log-in.
    EXPECT_EQ(test::tryLogin(window, kFirstUserName, kFirstPassword), test::kMustChangePassword);
    // Another password goes through.
    const PasswordChange change = changePassword(*m_db, kFirstUserName, "mine42");
    EXPECT_TRUE(change.ok);
    EXPECT_EQ(change.message, "Password Changed");
    EXPECT_EQ(test::tryLogin(window, kFirstUserName, "mine42"), test::kLoggedIn);
}

TEST_F(PasswordRulesTest, APasswordGivenByAnAdministratorCannotBeKeptEither) {
    addUser("ERIC", expiredPasswordHash(hashPassword("given1")));
    LoginAttempts window(*m_db);
    ASSERT_EQ(test::tryLogin(window, "ERIC", "given1"), test::kMustChangePassword);
    const PasswordChange same = changePassword(*m_db, "ERIC", "given1");
    EXPECT_TRUE(same.refused);
    EXPECT_EQ(test::tryLogin(window, "ERIC", "given1"), test::kMustChangePassword);
    EXPECT_TRUE(changePassword(*m_db, "ERIC", "chosen1").ok);
    EXPECT_EQ(test::tryLogin(window, "ERIC", "chosen1"), test::kLoggedIn);
    // Once chosen by the user, the same password may be set again.
    EXPECT_TRUE(changePassword(*m_db, "ERIC", "chosen1").ok);
}

}  // namespace
}  // namespace tko
