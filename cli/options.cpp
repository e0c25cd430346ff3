#include "cli/options.h"

#include <QCommandLineParser>
#include <QImageWriter>
#include <optional>

#include "cli/argument_text.h"
#include "files/image_file.h"
#include "files/qstring_number.h"
#include "form/form.h"

namespace cli {

namespace {

QString Utf8(std::string_view text) {
  return QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size()));
}

// "draw, style2 or style3": the sweeps' names, in the order of their buttons.
QString SweepNames() {
  QStringList names;
  for (const sweeps::SweepPlan* plan : sweeps::kSweepPlans) names << Utf8(plan->name);
  const QString last = names.takeLast();
  return names.join(QStringLiteral(", ")) + QStringLiteral(" or ") + last;
}

// The program's own options, the one list both the mode choice and the parser read.
struct Options {
  QCommandLineOption help{{QStringLiteral("h"), QStringLiteral("help")},
                          QStringLiteral("Show this help and exit.")};
  QCommandLineOption version{{QStringLiteral("v"), QStringLiteral("version")},
                             QStringLiteral("Show the version and exit.")};
  QCommandLineOption render{QStringLiteral("render"),
                            QStringLiteral("The sweep to draw: %1.").arg(SweepNames()),
                            QStringLiteral("SWEEP")};
  QCommandLineOption output{
      QStringLiteral("output"),
      QStringLiteral("The image file to write; its extension picks the format (png, jpg, bmp, "
                     "ppm, ...). An existing file is replaced only once the new one is whole."),
      QStringLiteral("FILE")};
  QCommandLineOption style1Max{
      QStringLiteral("style1-max"),
      QStringLiteral("The style-1 maximum, read like the window's first box (draw only)."),
      QStringLiteral("TEXT"), Utf8(form::Style1MaxBox().text)};
  QCommandLineOption sweepMax{QStringLiteral("max"),
                              QStringLiteral("The display maximum, read like the second box."),
                              QStringLiteral("TEXT"), Utf8(form::SweepMaxBox().text)};
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
      QStringLiteral("N"), QString::number(animation::Pacing{}.fps)};
  QCommandLineOption hold{QStringLiteral("hold"),
                          QStringLiteral("Seconds the last frame of an animation stays, 0 to %1.")
                              .arg(animation::kMaxHoldSeconds),
                          QStringLiteral("SECONDS"),
                          QString::number(animation::Pacing{}.holdSeconds)};
  QCommandLineOption every{
      QStringLiteral("every"),
      QStringLiteral("One frame per K curves, to shorten an animation; the last is always kept."),
      QStringLiteral("K"), QStringLiteral("1")};
  [[nodiscard]] QList<QCommandLineOption> All() const {
    return {help, version, render, output, style1Max, sweepMax, scale, animate, fps, hold, every};
  }
};

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
// twice. Checked for every option, its short and long names together.
std::optional<Mistake> RepeatedOption(const QCommandLineParser& parser, const Options& options) {
  const QStringList found = parser.optionNames();
  for (const QCommandLineOption& option : options.All()) {
    qsizetype times = 0;
    QString longest;
    for (const QString& name : option.names()) {
      times += found.count(name);
      if (name.size() > longest.size()) longest = name;
    }
    if (times > 1) return Mistake{QStringLiteral("--%1 is given more than once.").arg(longest)};
  }
  return std::nullopt;
}

// The file's format from its name: an animation's (webp, gif) or a picture's (Qt's writers).
std::variant<QByteArray, Mistake> FormatOf(const QString& path, bool animated) {
  const QByteArray format =
      animated ? files::AnimationFormatFor(path) : files::ImageFormatFor(path);
  if (!format.isEmpty()) return format;
  if (animated) {
    return Mistake{
        QStringLiteral("--animate writes .webp or .gif files, not %1.").arg(Quoted(path))};
  }
  QStringList known;
  for (const QByteArray& f : QImageWriter::supportedImageFormats()) known << QString::fromLatin1(f);
  return Mistake{QStringLiteral("cannot tell the image format from %1: end the name in .%2.")
                     .arg(Quoted(path), known.join(QStringLiteral(", .")))};
}

// The render's sweep, scale and maxima; the file's format and whether it holds the picture.
std::optional<Mistake> ReadRender(const QCommandLineParser& parser, const Options& o, Task& task) {
  sweeps::RenderRequest& render = task.request.render;
  const QString sweepName = parser.value(o.render);
  render.plan = sweeps::SweepNamed(sweepName.toStdString());
  if (render.plan == nullptr) {
    return Mistake{QStringLiteral("unknown sweep %1 for --render: use %2.")
                       .arg(Quoted(sweepName), SweepNames())};
  }
  task.path = parser.value(o.output);
  if (!parser.isSet(o.output) || task.path.isEmpty()) {
    return Mistake{QStringLiteral("--output FILE is missing.")};
  }
  const auto format = FormatOf(task.path, task.kind == Task::Kind::Animation);
  if (const auto* mistake = std::get_if<Mistake>(&format)) return *mistake;
  task.format = std::get<QByteArray>(format);
  if (task.format == "gif") task.request.format = animation::Format::Gif;

  bool ok = false;
  const QString scaleText = parser.value(o.scale);
  render.scale = scaleText.toInt(&ok);
  if (!ok || !sweeps::ScaleInRange(render.scale)) {
    return Mistake{QStringLiteral("--scale must be a whole number from 1 to %1, not %2.")
                       .arg(sweeps::kMaxRenderScale)
                       .arg(Quoted(scaleText))};
  }
  // A format whose writer would shrink the picture is refused before the render.
  const auto [width, height] = sweeps::RenderSize(render.scale);
  if (const QSize size(width, height); !files::Holds(files::SizeLimitOf(task.format), size)) {
    return Mistake{files::TooLargeForFormat(task.format, size) +
                   QStringLiteral(" at --scale %1: pick another format.").arg(render.scale)};
  }
  render.style1Max = files::NumberFromQString(parser.value(o.style1Max));
  const QString maxText = parser.value(o.sweepMax);
  render.sweepMax = files::NumberFromQString(maxText);
  if (sweeps::SweepNeverEnds(render.sweepMax)) {
    return Mistake{QStringLiteral("a sweep to --max %1 would never end: give a maximum below 2^53.")
                       .arg(Quoted(maxText))};
  }
  return std::nullopt;
}

// An animation's rate, hold and frame step. Text that is not a number counts as out of range,
// so the animation's own range checks name the first option at fault.
std::optional<Mistake> ReadPacing(const QCommandLineParser& parser, const Options& o, Task& task) {
  animation::AnimationRequest& request = task.request;
  bool ok = false;
  const QString fpsText = parser.value(o.fps);
  request.pacing.fps = fpsText.toInt(&ok);
  if (!ok) request.pacing.fps = 0;
  const QString holdText = parser.value(o.hold);
  request.pacing.holdSeconds = holdText.toDouble(&ok);
  if (!ok) request.pacing.holdSeconds = -1;
  const QString everyText = parser.value(o.every);
  request.every = everyText.toULongLong(&ok);
  if (!ok) request.every = 0;

  switch (animation::ProblemOf(request)) {
    case animation::RequestProblem::Fps:
      return Mistake{QStringLiteral("--fps must be a whole number from 1 to %1, not %2.")
                         .arg(animation::kMaxFps)
                         .arg(Quoted(fpsText))};
    case animation::RequestProblem::Hold:
      return Mistake{QStringLiteral("--hold must be a number of seconds from 0 to %1, not %2.")
                         .arg(animation::kMaxHoldSeconds)
                         .arg(Quoted(holdText))};
    case animation::RequestProblem::Every:
      return Mistake{QStringLiteral("--every must be a whole number from 1 up, not %1.")
                         .arg(Quoted(everyText))};
    case animation::RequestProblem::TooManyFrames: {
      const sweeps::RenderRequest& render = request.render;
      const std::uint64_t curves = sweeps::CurvesInSweep(*render.plan, render.sweepMax);
      const std::uint64_t enough = (curves + animation::kMaxFrames - 1) / animation::kMaxFrames;
      return Mistake{QStringLiteral("an animation of %1 frames is too long: at most %2. "
                                    "--every %3 or more shortens it.")
                         .arg(animation::FramesIn(request))
                         .arg(animation::kMaxFrames)
                         .arg(enough)};
    }
    default:  // the render's own values were checked before
      return std::nullopt;
  }
}

// The task the parsed options ask for, or the first mistake in them.
std::variant<Task, Mistake> TaskOf(const QCommandLineParser& parser, const Options& o) {
  Task task;
  if (parser.isSet(o.help)) {
    task.helpText = parser.helpText();
    return task;
  }
  if (parser.isSet(o.version)) {
    task.kind = Task::Kind::Version;
    return task;
  }
  if (const QStringList extra = parser.positionalArguments(); !extra.isEmpty()) {
    return Mistake{QStringLiteral("unexpected argument %1.").arg(Quoted(extra.first()))};
  }
  if (!parser.isSet(o.render)) return Mistake{QStringLiteral("--render SWEEP is missing.")};
  const bool animated = parser.isSet(o.animate);
  for (const QCommandLineOption* option : {&o.fps, &o.hold, &o.every}) {
    if (!animated && parser.isSet(*option)) {
      return Mistake{QStringLiteral("--%1 goes with --animate.").arg(option->names().constFirst())};
    }
  }
  task.kind = animated ? Task::Kind::Animation : Task::Kind::Picture;
  if (auto mistake = ReadRender(parser, o, task)) return *mistake;
  if (animated) {
    if (auto mistake = ReadPacing(parser, o, task)) return *mistake;
  }
  return task;
}

}  // namespace

std::variant<Task, Mistake> ReadArguments(const QStringList& arguments) {
  QCommandLineParser parser;
  parser.setApplicationDescription(QStringLiteral(
      "Watch a Koch curve change as the angle of its bumps varies.\n"
      "With no options, opens the window. With --render, draws one sweep as its button would\n"
      "in a newly opened window and saves the finished canvas, without needing a display."));
  const Options options;
  parser.addOptions(options.All());
  // "-render" as "--render", and Qt's "-platform" named whole in the error, not letter by letter.
  parser.setSingleDashWordOptionMode(QCommandLineParser::ParseAsLongOptions);
  if (!parser.parse(arguments)) return Mistake{ParseErrorText(parser)};
  if (auto mistake = RepeatedOption(parser, options)) return *mistake;
  return TaskOf(parser, options);
}

bool IsOwnOption(std::string_view argument) {
  if (!argument.starts_with('-')) return false;
  argument.remove_prefix(argument.starts_with("--") ? 2 : 1);
  const QString name = QString::fromLocal8Bit(argument.substr(0, argument.find('=')));
  for (const QCommandLineOption& option : Options().All()) {
    if (option.names().contains(name)) return true;
  }
  return false;
}

}  // namespace cli
