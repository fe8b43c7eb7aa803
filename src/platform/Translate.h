// The program's translation hook: every text built at run time passes through
// translateText() before it is shown. The program installs the translator
// library's lookup at start; until then (and in tests) texts stay as written.
// Safe to call from any thread.
#pragma once

#include <string>

namespace tko {

using TranslateHook = std::string (*)(const std::string& source);
void setMessageTranslator(TranslateHook hook);
std::string translateText(const std::string& source);

}  // namespace tko
