#include "platform/store/EngineLog.h"

#include <chrono>
#include <ctime>
#include <fstream>
#include <mutex>

namespace tko::store {
namespace {

std::mutex& logMutex() {
    static std::mutex mutex;
    return mutex;
}
std::string& logPath() {
    static std::string path;
    return path;
}

std::string utcNow() {
    const std::time_t now = std::chrono::system_clock::to_time_t(std::chrono::system_clock::now());
    std::tm parts{};
    gmtime_r(&now, &parts);
    char text[32];
    std::strftime(text, sizeof text, "%Y-%m-%dT%H:%M:%SZ", &parts);
    return text;
}

}  // namespace

void setEngineLogFile(const std::string& path) {
    const std::lock_guard<std::mutex> lock(logMutex());
    logPath() = path;
}

std::string engineLogFile() {
    const std::lock_guard<std::mutex> lock(logMutex());
    return logPath();
}

void logEngineFailure(const Status& status, const std::string& context) {
    if (status.ok() || status.engineText.empty()) return;
    const std::lock_guard<std::mutex> lock(logMutex());
    if (logPath().empty()) return;
    std::ofstream out(logPath(), std::ios::app);
    if (!out) return;
    // One line per failure, whatever the engine's message spans.
    std::string message = status.engineText;
    for (char& c : message)
        if (c == '\n' || c == '\r') c = ' ';
    out << utcNow() << ' ' << status.code << ' ' << status.text << " | engine " << status.engineCode
        << ": " << message;
    if (!context.empty()) out << " | " << context;
    out << '\n';
}

}  // namespace tko::store
