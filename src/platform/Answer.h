// The answer a user gives to a message box. Logic that decides what a form
// does next takes an Answer, so that tests can drive it without any window.
#pragma once

namespace tko {

enum class Answer { Ok, Cancel, Yes, No };

}  // namespace tko
