#pragma once
// The command line's options and what a set of arguments asks for: the program's own options,
// which choose the command line over the window, and the reading of them into a task whose
// every value is in range, or the one mistake that stops it. Running the task belongs to
// command_line.cpp; nothing here writes a file or prints.

#include <QByteArray>
#include <QString>
#include <QStringList>
#include <string_view>
#include <variant>

#include "animation/animate.h"

namespace cli {

// What the arguments ask for, every value checked.
struct Task {
  enum class Kind { Help, Version, Picture, Animation };
  Kind kind = Kind::Help;
  QString helpText;  // for Help
  // The sweep, its inputs and scale (render), and for an animation its format and pacing.
  animation::AnimationRequest request;
  QString path;       // the file to write
  QByteArray format;  // a picture's image format, as Qt's writers name it
};

// A mistake on the command line, as a sentence naming it ("--scale must be ...").
struct Mistake {
  QString text;
};

// Reads the arguments (program name first).
[[nodiscard]] std::variant<Task, Mistake> ReadArguments(const QStringList& arguments);

// Whether an argument is one of the program's own options: -name, --name, or either with
// =value. None of them is one of Qt's own option names.
[[nodiscard]] bool IsOwnOption(std::string_view argument);

}  // namespace cli
