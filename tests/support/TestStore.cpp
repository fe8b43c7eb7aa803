#include "support/TestStore.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>

namespace tko::test {
namespace fs = std::filesystem;

TempDir::TempDir() {
    std::string pattern = (fs::temp_directory_path() / "tko-test-XXXXXX").string();
    if (!mkdtemp(pattern.data())) throw std::runtime_error("cannot create a temporary directory");
    m_path = pattern;
}

TempDir::~TempDir() {
    std::error_code ec;
    fs::remove_all(m_path, ec);
}

std::string engineUnderTest() {
    const char* engine = std::getenv("TKO_TEST_ENGINE");
    return engine && std::string(engine) == "postgres" ? "postgres" : "sqlite";
}

bool usingServer() { return engineUnderTest() == "postgres"; }

DataSource freshSource(const TempDir& dir) {
    DataSource source;
    source.directory = dir.path();
    Status status;
    auto db = Database::open(source, true, status);
    if (!db) ADD_FAILURE() << "cannot create a test store: " << status.describe();
    return source;
}

std::unique_ptr<Database> openStation(const DataSource& source) {
    Status status;
    auto db = Database::open(source, false, status);
    if (!db) ADD_FAILURE() << "cannot open the test store: " << status.describe();
    return db;
}

}  // namespace tko::test
