#pragma once

namespace varnick::ui {

// Runs the whole program: start-up, the main menu, the event loop and shutdown. Returns the process exit code:
// 0 after the last window has closed, -1 when the program directory cannot be made current or the skin engine or
// the start window cannot be set up.
int runProgram(const char* executablePath);

}  // namespace varnick::ui
