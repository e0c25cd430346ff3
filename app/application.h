#pragma once
// Start-up of the program: the application object, its name and version, the one window.

namespace app {

// Runs the program until its window is closed; returns the process's exit status.
int RunApplication(int argc, char** argv);

}  // namespace app
