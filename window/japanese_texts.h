#pragma once
// The window's Japanese beyond the controls' captions (those are the form's): the picture
// actions' captions and titles, the sentences that say why a file was not saved, Qt's own
// translation for its dialogs, message boxes and the text boxes' menu, and a Japanese sentence
// for the file errors that translation leaves to the system. The command line stays English.

#include <QByteArray>
#include <QSize>
#include <QString>

namespace window {

// Loads Qt's Japanese translation (qtbase_ja from Qt's translations folder) into the running
// application, whatever the desktop's locale is. False when it is not installed; Qt's own texts
// stay English then.
bool InstallQtJapanese();

// A file error as the window shows it: a reason the system gives for a full disk or quota, a
// read-only file system, a name too long or a path through something that is not a folder,
// and the program's own reason for running out of memory, get a Japanese sentence with the
// original text after it; any other reason comes back unchanged.
[[nodiscard]] QString FileErrorInJapanese(const QString& reason);

// What the window saves: the picture, or the animation of the last sweep.
enum class Saved { Picture, Animation };

// "画像を保存" or "アニメーションを保存": the dialogs' titles; the menu's captions add "...".
[[nodiscard]] QString SaveTitle(Saved what);
// "画像を <path> に保存できませんでした。" and the reason on the next line.
[[nodiscard]] QString NotSaved(Saved what, const QString& path, const QString& reason);

// Why the window will not try to save a picture of `size` at `path` in `format` (empty when
// no writer handles the name), or an empty text.
[[nodiscard]] QString SaveRefusal(const QString& path, const QByteArray& format, QSize size);

}  // namespace window
