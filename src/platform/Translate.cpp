#include "platform/Translate.h"

#include <atomic>

namespace tko {

namespace {
std::atomic<TranslateHook> g_translate{nullptr};
}  // namespace

void setMessageTranslator(TranslateHook hook) {
    g_translate = hook;
}

std::string translateText(const std::string& source) {
    const TranslateHook hook = g_translate.load();
    return hook ? hook(source) : source;
}

}  // namespace tko
