#include "app/command_line.h"

#include <QCommandLineParser>
#include <QCoreApplication>
#include <QDir>
#include <QImageWriter>
#include <csignal>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <functional>
#include <new>
#include <string>
#include <string_view>

#include "animation/animate.h"
#include "app/image_file.h"
#include "app/progress_line.h"
#include "app/qstring_number.h"
#include "app/stop_signals.h"
#include "sweeps/render.h"

namespace app {

namespace {

// ---- Messages ----------------------------------------------------------------------------------

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

// How many characters of an argument a message shows at most.
constexpr qsizetype kShownCharacters = 80;

// An argument as a message shows it: bytes that are not UTF-8 (kept as lone surrogates, see
// TextOfBytes) and control characters as \xNN, and no more than kShownCharacters characters,
// then "...", so that a huge argument makes a readable line.
QString Shown(const QString& text) {
  QString shown;
  for (qsizetype i = 0; i < text.size(); ++i) {
    const QChar c = text[i];
    const bool pairsWithPrevious = c.isLowSurrogate() && i > 0 && text[i - 1].isHighSurrogate();
    if (shown.size() >= kShownCharacters && !pairsWithPrevious)
      return shown + QStringLiteral("...");
    const char16_t u = c.unicode();
    const bool escaped =
        (u >= 0xDC80 && u <= 0xDCFF && !pairsWithPrevious) || u < 0x20 || u == 0x7F;
    if (escaped) {
      shown += QStringLiteral("\\x") +
               QString::number(u & 0xFF, 16).toUpper().rightJustified(2, QLatin1Char('0'));
    } else {
      shown += c;
    }
  }
  return shown;
}

QString Quoted(const QString& text) { return QLatin1Char('\'') + Shown(text) + QLatin1Char('\''); }

int UnexpectedArgument(const QString& argument) {
  return UsageError(QStringLiteral("unexpected argument %1.").arg(Quoted(argument)));
}

// ---- Arguments as text ------------------------------------------------------------------------

// The length of the UTF-8 sequence `bytes` start with, or 0 when they start none: a stray
// continuation byte, an overlong form, a surrogate, a code point past U+10FFFF, a cut sequence.
std::size_t Utf8SequenceLength(std::string_view bytes) {
  const auto byte = [bytes](std::size_t k) { return static_cast<unsigned char>(bytes[k]); };
  const unsigned char lead = byte(0);
  if (lead < 0x80) return 1;
  std::size_t length = 0;
  unsigned char low = 0x80;  // the range of the second byte; the later ones are 80..BF
  unsigned char high = 0xBF;
  if (lead >= 0xC2 && lead <= 0xDF) {
    length = 2;
  } else if (lead >= 0xE0 && lead <= 0xEF) {
    length = 3;
    if (lead == 0xE0) low = 0xA0;   // no overlong forms
    if (lead == 0xED) high = 0x9F;  // no surrogates
  } else if (lead >= 0xF0 && lead <= 0xF4) {
    length = 4;
    if (lead == 0xF0) low = 0x90;   // no overlong forms
    if (lead == 0xF4) high = 0x8F;  // nothing past U+10FFFF
  } else {
    return 0;
  }
  if (bytes.size() < length) return 0;
  for (std::size_t k = 1; k < length; ++k) {
    if (byte(k) < (k == 1 ? low : 0x80) || byte(k) > (k == 1 ? high : 0xBF)) return 0;
  }
  return length;
}

// One argument as text. Qt's own decoding turns bytes that are not UTF-8 into U+FFFD, and a file
// named with them would be written under another name. Here each such byte becomes the lone
// surrogate U+DC00 + its value instead: no file is written under a name holding one (RefusalOf),
// and messages show it as the byte it stands for (Shown).
QString TextOfBytes(std::string_view bytes) {
  QString text;
  while (!bytes.empty()) {
    const std::size_t length = Utf8SequenceLength(bytes);
    if (length == 0) {
      text += QChar(static_cast<char16_t>(0xDC00 | static_cast<unsigned char>(bytes[0])));
      bytes.remove_prefix(1);
    } else {
      text += QString::fromUtf8(bytes.data(), static_cast<qsizetype>(length));
      bytes.remove_prefix(length);
    }
  }
  return text;
}

QStringList ArgumentsAsText(int argc, char** argv) {
#if defined(_WIN32)
  // Qt reads Windows' own UTF-16 command line there.
  (void)argc;
  (void)argv;
  return QCoreApplication::arguments();
#else
  QStringList arguments;
  for (int i = 0; i < argc && argv[i] != nullptr; ++i) arguments << TextOfBytes(argv[i]);
  return arguments;
#endif
}

// ---- Rendering ---------------------------------------------------------------------------------

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

// Writes one file made by `produce`, which draws into it through the render's pump. The file is
// opened first, so a path that cannot be written is reported before a long render rather than
// after it; it replaces the target only when whole, and never after Ctrl+C or SIGTERM.
using Producer = std::function<bool(PendingImageFile& file, const sweeps::RenderPump& pump,
                                    ProgressLine& progress, QString* error)>;

int ProduceFile(const QString& path, const QByteArray& format, int scale, const Producer& produce) {
  StopSignals stopSignals;
  PendingImageFile file(path, format);
  QString error;
  if (!file.Open(&error)) return WriteFailed(path, error);

  ProgressLine progress;
  const sweeps::RenderPump pump = [&progress](std::uint64_t done, std::uint64_t total) {
    progress.Update(done, total);
    return StopSignals::Caught() == 0;
  };
  bool produced = false;
  try {
    produced = produce(file, pump, progress, &error);
  } catch (const std::bad_alloc&) {
    progress.Clear();
    return WriteFailed(path,
                       QStringLiteral("not enough memory for a picture at scale %1").arg(scale));
  }
  progress.Clear();
  // The last chance to stop: the file is committed only when nobody asked otherwise.
  if (const int signal = StopSignals::Caught(); signal != 0) return Interrupted(signal);
  if (!produced || !file.Commit(&error)) return WriteFailed(path, error);
  return EXIT_SUCCESS;
}

// The finished canvas as an image file.
int RenderToFile(const sweeps::RenderRequest& request, const QString& path,
                 const QByteArray& format) {
  return ProduceFile(path, format, request.scale,
                     [&request](PendingImageFile& file, const sweeps::RenderPump& pump,
                                ProgressLine& progress, QString* error) {
                       const sweeps::RenderResult result = sweeps::Render(request, pump);
                       // A signal during the closing curve is seen here; the sweep ran out.
                       if (StopSignals::Caught() != 0) return false;
                       progress.Note("vornlace: writing the file");
                       return file.Write(ImageViewOf(result.image), error);
                     });
}

// The sweep as an animation, encoded while it renders.
int AnimateToFile(const animation::AnimationRequest& request, const QString& path) {
  return ProduceFile(path, {}, request.render.scale,
                     [&request](PendingImageFile& file, const sweeps::RenderPump& pump,
                                ProgressLine& progress, QString* error) {
                       const animation::ByteSink out = [&file, error](const std::uint8_t* data,
                                                                      std::size_t n) {
                         return file.WriteBytes(reinterpret_cast<const char*>(data),
                                                static_cast<qint64>(n), error);
                       };
                       try {
                         if (animation::Animate(request, out, pump) != sweeps::SweepEnd::RanOut)
                           return false;
                       } catch (const animation::WriteFailed&) {
                         return false;  // the file's own reason is in *error
                       } catch (const std::runtime_error& e) {
                         *error = QString::fromUtf8(e.what());
                         return false;
                       }
                       progress.Note("vornlace: writing the file");
                       return true;
                     });
}

// ---- Options and the mode ----------------------------------------------------------------------

// The program's own options, the one list both the mode choice and the parser read.
struct Options {
  QCommandLineOption help{{QStringLiteral("h"), QStringLiteral("help")},
                          QStringLiteral("Show this help and exit.")};
  QCommandLineOption version{{QStringLiteral("v"), QStringLiteral("version")},
                             QStringLiteral("Show the version and exit.")};
  QCommandLineOption render{QStringLiteral("render"),
                            QStringLiteral("The sweep to draw: draw, style2 or style3."),
                            QStringLiteral("SWEEP")};
  QCommandLineOption output{
      QStringLiteral("output"),
      QStringLiteral("The image file to write; its extension picks the format (png, jpg, bmp, "
                     "ppm, ...). An existing file is replaced only once the new one is whole."),
      QStringLiteral("FILE")};
  QCommandLineOption style1Max{
      QStringLiteral("style1-max"),
      QStringLiteral("The style-1 maximum, read like the window's first box (draw only)."),
      QStringLiteral("TEXT"), QStringLiteral("60")};
  QCommandLineOption sweepMax{QStringLiteral("max"),
                              QStringLiteral("The display maximum, read like the second box."),
                              QStringLiteral("TEXT"), QStringLiteral("90")};
  QCommandLineOption scale{
      QStringLiteral("scale"),
      QStringLiteral("Pixels per window pixel along each side, 1 to %1: the picture a screen "
                     "with that device pixel ratio shows.")
          .arg(sweeps::kMaxRenderScale),
      QStringLiteral("N"), QStringLiteral("1")};

  QCommandLineOption animate{
      QStringLiteral("animate"),
      QStringLiteral("Write the sweep as an animation, one frame per curve: FILE ends in .webp "
                     "(lossless) or .gif.")};
  QCommandLineOption fps{
      QStringLiteral("fps"),
      QStringLiteral("Frames per second of an animation, 1 to %1.").arg(animation::kMaxFps),
      QStringLiteral("N"), QStringLiteral("25")};
  QCommandLineOption hold{QStringLiteral("hold"),
                          QStringLiteral("Seconds the last frame of an animation stays, 0 to %1.")
                              .arg(animation::kMaxHoldSeconds),
                          QStringLiteral("SECONDS"), QStringLiteral("2")};
  QCommandLineOption every{
      QStringLiteral("every"),
      QStringLiteral("One frame per K curves, to shorten an animation; the last is always kept."),
      QStringLiteral("K"), QStringLiteral("1")};
  [[nodiscard]] QList<QCommandLineOption> All() const {
    return {help, version, render, output, style1Max, sweepMax, scale, animate, fps, hold, every};
  }
};

// Whether an argument is one of the program's own options: -name, --name, or either with
// =value. None of them is one of Qt's own option names.
bool IsOwnOption(const Options& options, std::string_view arg) {
  if (!arg.starts_with('-')) return false;
  arg.remove_prefix(arg.starts_with("--") ? 2 : 1);
  const QString name = QString::fromLocal8Bit(arg.substr(0, arg.find('=')));
  for (const QCommandLineOption& option : options.All()) {
    if (option.names().contains(name)) return true;
  }
  return false;
}

// Qt's parser names unknown options whole, however long they are; here they are shown as every
// other argument is. Its other errors name only options it knows.
QString ParseErrorText(const QCommandLineParser& parser) {
  const QStringList unknown = parser.unknownOptionNames();
  if (unknown.isEmpty()) return parser.errorText();
  QStringList names;
  for (const QString& name : unknown) names << Quoted(name);
  return unknown.size() == 1
             ? QStringLiteral("unknown option %1.").arg(names.constFirst())
             : QStringLiteral("unknown options: %1.").arg(names.join(QStringLiteral(", ")));
}

// An option given twice is a mistake: the parser would keep the last value, or take a flag
// twice. Checked for every option the parser was given, its short and long names together.
std::optional<int> RefuseRepeatedOptions(const QCommandLineParser& parser,
                                         const QList<QCommandLineOption>& options) {
  const QStringList found = parser.optionNames();
  for (const QCommandLineOption& option : options) {
    qsizetype times = 0;
    QString longest;
    for (const QString& name : option.names()) {
      times += found.count(name);
      if (name.size() > longest.size()) longest = name;
    }
    if (times > 1) return UsageError(QStringLiteral("--%1 is given more than once.").arg(longest));
  }
  return std::nullopt;
}

// A format whose writer would shrink the picture is refused before the render.
std::optional<int> RefuseShrinkingFormat(const QByteArray& format, int scale) {
  const QSize size(sweeps::kCanvasWidth * scale, sweeps::kCanvasHeight * scale);
  if (Holds(SizeLimitOf(format), size)) return std::nullopt;
  return UsageError(TooLargeForFormat(format, size) +
                    QStringLiteral(" at --scale %1: pick another format.").arg(scale));
}

int RunCommands(const QStringList& arguments) {
  QCommandLineParser parser;
  parser.setApplicationDescription(QStringLiteral(
      "Watch a Koch curve change as the angle of its bumps varies.\n"
      "With no options, opens the window. With --render, draws one sweep as its button would\n"
      "in a newly opened window and saves the finished canvas, without needing a display."));
  const Options options;
  const auto& [help, version, render, output, style1Max, sweepMax, scale, animate, fps, hold,
               every] = options;
  parser.addOptions(options.All());
  // "-render" as "--render", and Qt's "-platform" named whole in the error, not letter by letter.
  parser.setSingleDashWordOptionMode(QCommandLineParser::ParseAsLongOptions);

  if (!parser.parse(arguments)) return UsageError(ParseErrorText(parser));
  if (const std::optional<int> status = RefuseRepeatedOptions(parser, options.All())) {
    return *status;
  }
  if (parser.isSet(help)) {
    std::fputs(parser.helpText().toLocal8Bit().constData(), stdout);
    return EXIT_SUCCESS;
  }
  if (parser.isSet(version)) {
    PrintLine(stdout, QStringLiteral(VORNLACE_NAME " " VORNLACE_VERSION_TEXT));
    return EXIT_SUCCESS;
  }
  if (const QStringList extra = parser.positionalArguments(); !extra.isEmpty()) {
    return UnexpectedArgument(extra.first());
  }
  if (!parser.isSet(render)) return UsageError(QStringLiteral("--render SWEEP is missing."));

  sweeps::RenderRequest request;
  const QString sweepName = parser.value(render);
  request.plan = sweeps::SweepNamed(sweepName.toStdString());
  if (request.plan == nullptr) {
    return UsageError(QStringLiteral("unknown sweep %1 for --render: use draw, style2 or style3.")
                          .arg(Quoted(sweepName)));
  }

  const QString path = parser.value(output);
  if (!parser.isSet(output) || path.isEmpty()) {
    return UsageError(QStringLiteral("--output FILE is missing."));
  }
  const bool animated = parser.isSet(animate);
  for (const QCommandLineOption* option : {&fps, &hold, &every}) {
    if (!animated && parser.isSet(*option)) {
      return UsageError(
          QStringLiteral("--%1 goes with --animate.").arg(option->names().constFirst()));
    }
  }
  const QByteArray format = animated ? AnimationFormatFor(path) : ImageFormatFor(path);
  if (format.isEmpty() && animated) {
    return UsageError(
        QStringLiteral("--animate writes .webp or .gif files, not %1.").arg(Quoted(path)));
  }
  if (format.isEmpty()) {
    QStringList known;
    for (const QByteArray& f : QImageWriter::supportedImageFormats())
      known << QString::fromLatin1(f);
    return UsageError(QStringLiteral("cannot tell the image format from %1: end the name in .%2.")
                          .arg(Quoted(path), known.join(QStringLiteral(", ."))));
  }

  bool scaleOk = false;
  const QString scaleText = parser.value(scale);
  request.scale = scaleText.toInt(&scaleOk);
  if (!scaleOk || request.scale < 1 || request.scale > sweeps::kMaxRenderScale) {
    return UsageError(QStringLiteral("--scale must be a whole number from 1 to %1, not %2.")
                          .arg(sweeps::kMaxRenderScale)
                          .arg(Quoted(scaleText)));
  }
  if (const std::optional<int> status = RefuseShrinkingFormat(format, request.scale)) {
    return *status;
  }

  request.style1Max = NumberFromQString(parser.value(style1Max));
  const QString maxText = parser.value(sweepMax);
  request.sweepMax = NumberFromQString(maxText);
  if (sweeps::SweepNeverEnds(request.sweepMax)) {
    return UsageError(
        QStringLiteral("a sweep to --max %1 would never end: give a maximum below 2^53.")
            .arg(Quoted(maxText)));
  }
  if (!animated) return RenderToFile(request, path, format);

  animation::AnimationRequest movie{request, animation::Format::WebP, {}, 1};
  if (format == "gif") movie.format = animation::Format::Gif;
  bool ok = false;
  const QString fpsText = parser.value(fps);
  movie.pacing.fps = fpsText.toInt(&ok);
  if (!ok || movie.pacing.fps < 1 || movie.pacing.fps > animation::kMaxFps) {
    return UsageError(QStringLiteral("--fps must be a whole number from 1 to %1, not %2.")
                          .arg(animation::kMaxFps)
                          .arg(Quoted(fpsText)));
  }
  const QString holdText = parser.value(hold);
  movie.pacing.holdSeconds = holdText.toDouble(&ok);
  if (!ok ||
      !(movie.pacing.holdSeconds >= 0 && movie.pacing.holdSeconds <= animation::kMaxHoldSeconds)) {
    return UsageError(QStringLiteral("--hold must be a number of seconds from 0 to %1, not %2.")
                          .arg(animation::kMaxHoldSeconds)
                          .arg(Quoted(holdText)));
  }
  const QString everyText = parser.value(every);
  movie.every = everyText.toULongLong(&ok);
  if (!ok || movie.every < 1) {
    return UsageError(
        QStringLiteral("--every must be a whole number from 1 up, not %1.").arg(Quoted(everyText)));
  }
  if (const std::uint64_t frames = animation::FramesIn(movie); frames > animation::kMaxFrames) {
    const std::uint64_t curves = sweeps::CurvesInSweep(*request.plan, request.sweepMax);
    const std::uint64_t enough = (curves + animation::kMaxFrames - 1) / animation::kMaxFrames;
    return UsageError(QStringLiteral("an animation of %1 frames is too long: at most %2. "
                                     "--every %3 or more shortens it.")
                          .arg(frames)
                          .arg(animation::kMaxFrames)
                          .arg(enough));
  }
  return AnimateToFile(movie, path);
}

}  // namespace

ArgumentScan ScanArguments(int argc, char** argv) {
  const Options options;
  ArgumentScan scan;
  bool optionsEnded = false;  // after "--" nothing is an option of the program's own
  for (int i = 1; i < argc && argv[i] != nullptr; ++i) {
    const std::string_view arg(argv[i]);
    optionsEnded = optionsEnded || arg == "--";
    if (!optionsEnded && IsOwnOption(options, arg)) scan.ownOption = true;
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
  return RunCommands(ArgumentsAsText(count, argv));
}

std::optional<int> RefuseLeftoverArguments(const QStringList& arguments) {
  if (arguments.size() < 2) return std::nullopt;
  return UnexpectedArgument(arguments.at(1));
}

}  // namespace app
