#pragma once
// The program's command line: rendering a sweep to an image file, --help and --version, all
// without a display. The mode is chosen by whether any of the program's own options is there;
// without one the window starts and the arguments reach its application object untouched, so
// Qt's own options (-platform, -style, ...) keep working. The window takes no other arguments.

#include <QStringList>
#include <optional>

namespace cli {

// Exit statuses besides 0: the output file could not be written, the command line was wrong.
// An interrupted render exits with 128 + the signal's number (130 for Ctrl+C).
inline constexpr int kExitWriteFailed = 1;
inline constexpr int kExitUsage = 2;

// What the arguments ask for, read once before any application object exists.
struct ArgumentScan {
  bool ownOption = false;      // one of the program's own options: the command line runs
  bool namesPlatform = false;  // Qt's -platform NAME: the window may need no display
};
[[nodiscard]] ArgumentScan ScanArguments(int argc, char** argv);

// Runs the command line and returns the exit status. Must run before any application object
// exists; it makes a QCoreApplication of its own, never a GUI one.
[[nodiscard]] int RunCommandLine(int argc, char** argv);

// For window mode, once the application object has taken Qt's options out of `arguments`
// (program name first): reports the first one left, if any, and returns the usage status.
[[nodiscard]] std::optional<int> RefuseLeftoverArguments(const QStringList& arguments);

}  // namespace cli
