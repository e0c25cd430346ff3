#include "cli/command_line.h"

#include <QCoreApplication>
#include <QDir>
#include <csignal>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <functional>
#include <new>
#include <variant>

#include "cli/argument_text.h"
#include "cli/options.h"
#include "cli/progress_line.h"
#include "cli/stop_signals.h"
#include "files/animation_file.h"
#include "files/image_file.h"
#include "sweeps/render.h"

namespace cli {

namespace {

void PrintLine(std::FILE* stream, const QString& text) {
  std::fputs(text.toLocal8Bit().constData(), stream);
  std::fputc('\n', stream);
  std::fflush(stream);
}

// One line on standard error naming the mistake and where the help is.
int UsageError(QString message) {
  // Qt's parser phrases its errors as sentences; they follow "vornlace: " here.
  if (!message.isEmpty()) message[0] = message[0].toLower();
  PrintLine(stderr, QStringLiteral("vornlace: %1 Try 'vornlace --help'.").arg(message));
  return kExitUsage;
}

int Interrupted(int signal) {
  PrintLine(stderr, signal == SIGINT
                        ? QStringLiteral("vornlace: interrupted; nothing was written.")
                        : QStringLiteral("vornlace: terminated; nothing was written."));
  return 128 + signal;
}

int WriteFailed(const QString& path, const QString& reason) {
  // Qt's reasons may name the file too; there it is shown the same way.
  const QString native = QDir::toNativeSeparators(path);
  const QString shown = Shown(native);
  PrintLine(stderr,
            QStringLiteral("vornlace: cannot write %1: %2")
                .arg(shown, native.isEmpty() ? reason : QString(reason).replace(native, shown)));
  return kExitWriteFailed;
}

// Draws into an open file through the render's pump; false with the reason in *error when it
// failed, false with *error untouched when a signal stopped it.
using Producer = std::function<bool(files::PendingImageFile& file, const sweeps::RenderPump& pump,
                                    ProgressLine& progress, QString* error)>;

// Writes one file made by `produce`. The file is opened first, so a path that cannot be written
// is reported before a long render rather than after it; it replaces the target only when
// whole, and never after Ctrl+C or SIGTERM.
int ProduceFile(const Task& task, const Producer& produce) {
  StopSignals stopSignals;
  files::PendingImageFile file(task.path, task.format);
  QString error;
  if (!file.Open(&error)) return WriteFailed(task.path, error);

  ProgressLine progress;
  const sweeps::RenderPump pump = [&progress](std::uint64_t done, std::uint64_t total) {
    progress.Update(done, total);
    return StopSignals::Caught() == 0;
  };
  bool produced = false;
  try {
    produced = produce(file, pump, progress, &error);
  } catch (const std::bad_alloc&) {
    error = files::NotEnoughMemory(task.request.render.scale);
  }
  progress.Clear();
  // The last chance to stop: the file is committed only when nobody asked otherwise.
  if (const int signal = StopSignals::Caught(); signal != 0) return Interrupted(signal);
  if (!produced || !file.Commit(&error)) return WriteFailed(task.path, error);
  return EXIT_SUCCESS;
}

// The finished canvas as an image file.
bool WritePicture(const Task& task, files::PendingImageFile& file, const sweeps::RenderPump& pump,
                  ProgressLine& progress, QString* error) {
  const sweeps::RenderResult result = sweeps::Render(task.request.render, pump);
  // A signal during the closing curve is seen here; the sweep ran out.
  if (StopSignals::Caught() != 0) return false;
  progress.Note("vornlace: writing the file");
  return file.Write(files::ImageViewOf(result.image), error);
}

// The sweep as an animation, encoded while it renders.
bool WriteAnimation(const Task& task, files::PendingImageFile& file, const sweeps::RenderPump& pump,
                    ProgressLine& progress, QString* error) {
  if (files::EncodeAnimation(task.request, file, pump, error) != files::Encoded::Whole)
    return false;
  progress.Note("vornlace: writing the file");
  return true;
}

int Run(const Task& task) {
  switch (task.kind) {
    case Task::Kind::Help:
      std::fputs(task.helpText.toLocal8Bit().constData(), stdout);
      return EXIT_SUCCESS;
    case Task::Kind::Version:
      PrintLine(stdout, QStringLiteral(VORNLACE_NAME " " VORNLACE_VERSION_TEXT));
      return EXIT_SUCCESS;
    case Task::Kind::Picture:
      return ProduceFile(task, [&task](auto& file, const auto& pump, auto& progress, auto* error) {
        return WritePicture(task, file, pump, progress, error);
      });
    case Task::Kind::Animation:
      return ProduceFile(task, [&task](auto& file, const auto& pump, auto& progress, auto* error) {
        return WriteAnimation(task, file, pump, progress, error);
      });
  }
  return EXIT_FAILURE;
}

}  // namespace

ArgumentScan ScanArguments(int argc, char** argv) {
  ArgumentScan scan;
  bool optionsEnded = false;  // after "--" nothing is an option of the program's own
  for (int i = 1; i < argc && argv[i] != nullptr; ++i) {
    const std::string_view arg(argv[i]);
    optionsEnded = optionsEnded || arg == "--";
    if (!optionsEnded && IsOwnOption(arg)) scan.ownOption = true;
    if ((arg == "-platform" || arg == "--platform") && i + 1 < argc) scan.namesPlatform = true;
  }
  return scan;
}

int RunCommandLine(int argc, char** argv) {
  // For the image format plugins; needs no display.
  int count = argc;
  QCoreApplication core(count, argv);
  QCoreApplication::setApplicationName(QStringLiteral(VORNLACE_NAME));
  QCoreApplication::setApplicationVersion(QStringLiteral(VORNLACE_VERSION_TEXT));
  const std::variant<Task, Mistake> read = ReadArguments(ArgumentsAsText(count, argv));
  if (const auto* mistake = std::get_if<Mistake>(&read)) return UsageError(mistake->text);
  return Run(std::get<Task>(read));
}

std::optional<int> RefuseLeftoverArguments(const QStringList& arguments) {
  if (arguments.size() < 2) return std::nullopt;
  return UsageError(QStringLiteral("unexpected argument %1.").arg(Quoted(arguments.at(1))));
}

}  // namespace cli
