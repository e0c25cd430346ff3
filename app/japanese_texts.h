#pragma once
// Japanese where the window would otherwise show English: Qt's own translation for its dialogs,
// message boxes and the text boxes' menu, and a Japanese sentence for the file errors that the
// translation leaves to the system. The command line stays English and uses none of this.

#include <QString>

namespace app {

// Loads Qt's Japanese translation (qtbase_ja from Qt's translations folder) into the running
// application, whatever the desktop's locale is. False when it is not installed; Qt's own texts
// stay English then.
bool InstallQtJapanese();

// A file error as the window shows it: a reason the system gives for a full disk or quota, a
// read-only file system, a name too long or a path through something that is not a folder gets
// a Japanese sentence with the system's text after it; any other reason comes back unchanged.
[[nodiscard]] QString FileErrorInJapanese(const QString& reason);

}  // namespace app
