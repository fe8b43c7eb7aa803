#include "data/Password.h"

#include <sodium.h>

#include <atomic>
#include <cstdint>
#include <cstring>

#include "platform/store/Schema.h"

namespace tko {
namespace {

std::atomic<PasswordCost> g_cost{PasswordCost::Interactive};

bool sodiumReady() {
    static const bool ready = sodium_init() >= 0;
    return ready;
}

// Marks a hash whose password must be changed at the next log-in.
constexpr char kExpiredMark = '!';

std::string unmarked(const std::string& storedHash) {
    return !storedHash.empty() && storedHash.front() == kExpiredMark ? storedHash.substr(1)
                                                                     : storedHash;
}

std::string significant(const std::string& password) {
    // Characters, not bytes: the field holds 10 characters of UTF-8.
    int chars = 0;
    size_t i = 0;
    for (; i < password.size(); ++i) {
        if ((static_cast<unsigned char>(password[i]) & 0xC0) != 0x80) {
            if (chars == kPasswordLength) break;
            ++chars;
        }
    }
    return password.substr(0, i);
}

bool verifiesAs(const std::string& clear, const std::string& storedHash) {
    return crypto_pwhash_str_verify(unmarked(storedHash).c_str(), clear.data(), clear.size()) == 0;
}

}  // namespace

std::string clippedPassword(const std::string& password) {
    std::string text = significant(password);
    while (!text.empty() && text.back() == ' ') text.pop_back();
    return text;
}

void setPasswordCost(PasswordCost cost) {
    g_cost = cost;
}

std::string hashPassword(const std::string& password) {
    return hashSecret(clippedPassword(password));
}

std::string hashSecret(const std::string& clear) {
    if (!sodiumReady()) return {};
    const bool minimal = g_cost.load() == PasswordCost::Minimal;
    char out[crypto_pwhash_STRBYTES];
    if (crypto_pwhash_str(
            out, clear.data(), clear.size(),
            minimal ? crypto_pwhash_OPSLIMIT_MIN : crypto_pwhash_OPSLIMIT_INTERACTIVE,
            minimal ? crypto_pwhash_MEMLIMIT_MIN : crypto_pwhash_MEMLIMIT_INTERACTIVE) != 0)
        return {};
    return std::string(out);
}

bool verifyPassword(const std::string& typed, const std::string& storedHash) {
    if (!sodiumReady() || !isPasswordHash(storedHash)) return false;
    if (verifiesAs(clippedPassword(typed), storedHash)) return true;
    // A hash made before passwords were clipped may hold trailing blanks
    // among its 10 characters: it still opens with exactly those.
    const std::string uncut = significant(typed);
    return uncut != clippedPassword(typed) && verifiesAs(uncut, storedHash);
}

bool verifySecret(const std::string& typed, const std::string& storedHash) {
    return sodiumReady() && isPasswordHash(storedHash) && verifiesAs(typed, storedHash);
}

std::string randomSecret(int groups) {
    if (!sodiumReady() || groups <= 0) return {};
    static constexpr char kAlphabet[] = "23456789ABCDEFGHJKMNPQRSTUVWXYZ";
    constexpr std::uint32_t kLetters = sizeof(kAlphabet) - 1;
    std::string out;
    for (int g = 0; g < groups; ++g) {
        if (g > 0) out += '-';
        for (int i = 0; i < 5; ++i) out += kAlphabet[randombytes_uniform(kLetters)];
    }
    return out;
}

bool isPasswordHash(const std::string& storedHash) {
    const std::string hash = unmarked(storedHash);
    return hash.rfind("$argon2id$", 0) == 0 && hash.size() < crypto_pwhash_STRBYTES;
}

std::string expiredPasswordHash(const std::string& hash) {
    if (hash.empty() || isExpiredPasswordHash(hash)) return hash;
    return kExpiredMark + hash;
}

bool isExpiredPasswordHash(const std::string& storedHash) {
    return !storedHash.empty() && storedHash.front() == kExpiredMark && isPasswordHash(storedHash);
}

}  // namespace tko
