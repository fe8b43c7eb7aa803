// What the setup linked into every window test (QtTestSetup.cpp) offers the
// tests themselves.
#pragma once

namespace tko::test {

// Ends a test's own message translator: back to recording the texts when the
// run records them, else to none. A test that installs a translator of its
// own calls this instead of setMessageTranslator(nullptr), so that the texts
// of the tests after it are still recorded.
void restoreMessageTranslator();

}  // namespace tko::test
