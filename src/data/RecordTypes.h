// The stored type words of people and projects, shared by the access rules
// and the forms that set them.
#pragma once

#include <array>

namespace tko {

// PEO:TYPE values, in the order of the form's type radio (positions 1 to 4).
inline constexpr const char* kTypeUser = "User";
inline constexpr const char* kTypeOpen = "Open";
inline constexpr const char* kTypeLimited = "Limited";
inline constexpr const char* kTypePrivate = "Private";
inline constexpr std::array<const char*, 4> kPersonTypes{kTypeUser, kTypeOpen, kTypeLimited,
                                                         kTypePrivate};

// PRO:TYPE values.
inline constexpr const char* kProjectOpen = "Open";
inline constexpr const char* kProjectLimited = "Limited";
inline constexpr const char* kProjectPrivate = "Private";
inline constexpr std::array<const char*, 3> kProjectTypes{kProjectOpen, kProjectLimited,
                                                          kProjectPrivate};

}  // namespace tko
