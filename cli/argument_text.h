#pragma once
// The command line's arguments as text, and arguments as its messages show them. Bytes that
// are not UTF-8 are kept, as lone surrogates U+DC80..U+DCFF, rather than turned into U+FFFD as
// Qt's own decoding does: a file named with them would be written under another name, and a
// message shows each as the byte it stands for.

#include <QString>
#include <QStringList>
#include <string_view>

namespace cli {

// One argument's bytes as text: UTF-8 sequences as their characters, each other byte as the lone
// surrogate U+DC00 + its value (no file is written under such a name: files::RefusalOf).
[[nodiscard]] QString TextOfBytes(std::string_view bytes);

// The program's arguments as text, program name first.
[[nodiscard]] QStringList ArgumentsAsText(int argc, char** argv);

// How many characters of an argument a message shows at most.
inline constexpr qsizetype kShownCharacters = 80;

// An argument as a message shows it: bytes that are not UTF-8 and control characters as \xNN,
// and no more than kShownCharacters characters, then "...", so that a huge argument still makes
// a readable line. Quoted puts it in single quotes.
[[nodiscard]] QString Shown(const QString& text);
[[nodiscard]] QString Quoted(const QString& text);

}  // namespace cli
