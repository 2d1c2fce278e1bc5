// The box that tells the user why the program could not go on. A program started from the
// Start menu has no console, so the line on stderr alone would never be seen.
#pragma once

#include <string>

namespace rt::windows {

// Shows `message` in a message box titled `title`, with the error icon; returns once the user
// has dismissed it.
void ShowFailureBox(const std::string& title, const std::string& message);

}  // namespace rt::windows
