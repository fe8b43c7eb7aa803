// Passwords are kept as Argon2id hashes (libsodium's crypto_pwhash_str), never
// in clear. A password counts with its first 10 characters, exact case, and
// like every fixed-width text without trailing blanks.
#pragma once

#include <string>

namespace tko {

inline constexpr int kPasswordLength = 10;

// How much work a hash costs. Interactive is the setting for real accounts;
// Minimal exists for tests and demo data that create many accounts.
enum class PasswordCost { Interactive, Minimal };
void setPasswordCost(PasswordCost cost);

// The hash of the first 10 characters of `password`, clipped; empty when hashing failed
// (out of memory).
std::string hashPassword(const std::string& password);

// The password as it counts: its first 10 characters, trailing blanks clipped.
std::string clippedPassword(const std::string& password);

// True when `typed` (its first 10 characters, clipped) is the password of `storedHash`.
bool verifyPassword(const std::string& typed, const std::string& storedHash);

// True when `storedHash` looks like a hash this program made, false for
// anything else (an empty field, or a clear password from an older file).
bool isPasswordHash(const std::string& storedHash);

// A hash marked so that log-in asks for a new password before going on (a
// password set on the owner's behalf, which someone else therefore knows).
// The marked hash still verifies the same password.
std::string expiredPasswordHash(const std::string& hash);
bool isExpiredPasswordHash(const std::string& storedHash);

// Secrets that are not passwords (the office recovery key): hashed and
// verified whole, with the same cost as passwords.
std::string hashSecret(const std::string& secret);
bool verifySecret(const std::string& typed, const std::string& storedHash);
// A random secret of `groups` groups of five letters and digits joined by
// "-", easy to copy by hand (no 0/O or 1/I/L); empty when no randomness.
std::string randomSecret(int groups);

}  // namespace tko
