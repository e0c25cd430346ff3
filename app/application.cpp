#include "app/application.h"

#include <QApplication>
#include <QIcon>
#include <cstdio>
#include <cstdlib>

#include "cli/command_line.h"
#include "window/japanese_texts.h"
#include "window/main_window.h"

namespace app {

namespace {

// On X11 and Wayland desktops Qt aborts with a long message when there is no display; say it
// in one sentence instead. A platform the user chose (QT_QPA_PLATFORM, -platform offscreen) may
// need no display at all, so that is left to Qt.
bool HaveDisplay(const cli::ArgumentScan& scan) {
#if defined(Q_OS_UNIX) && !defined(Q_OS_MACOS)
  if (scan.namesPlatform || qEnvironmentVariableIsSet("QT_QPA_PLATFORM")) return true;
  return qEnvironmentVariableIsSet("DISPLAY") || qEnvironmentVariableIsSet("WAYLAND_DISPLAY");
#else
  (void)scan;
  return true;
#endif
}

}  // namespace

int RunApplication(int argc, char** argv) {
  // Rendering to a file, the help and the version need no display.
  const cli::ArgumentScan scan = cli::ScanArguments(argc, argv);
  if (scan.ownOption) return cli::RunCommandLine(argc, argv);
  if (!HaveDisplay(scan)) {
    std::fputs("vornlace: no display to show the window on (DISPLAY is not set).\n", stderr);
    return EXIT_FAILURE;
  }
  QApplication application(argc, argv);
  if (const std::optional<int> status = cli::RefuseLeftoverArguments(QApplication::arguments())) {
    return *status;
  }
  QApplication::setApplicationName(QStringLiteral(VORNLACE_NAME));
  QApplication::setApplicationVersion(QStringLiteral(VORNLACE_VERSION_TEXT));
  QApplication::setDesktopFileName(QStringLiteral(VORNLACE_APP_ID));
  // The window is Japanese, and so are the dialogs and menus Qt supplies, on any desktop.
  window::InstallQtJapanese();

  QIcon icon;
  for (const int size : {VORNLACE_ICON_SIZES}) {
    icon.addFile(QStringLiteral(":/icons/vornlace-%1.png").arg(size), QSize(size, size));
  }
  QApplication::setWindowIcon(icon);

  window::Form1 form1;
  form1.show();
  return QApplication::exec();
}

}  // namespace app
