// The built program run as a user runs it from a shell, with no display in its environment:
// exit statuses, what it says, and which files it leaves behind.
#include <gtest/gtest.h>

#include <QBuffer>
#include <QDir>
#include <QFile>
#include <QImage>
#include <QImageReader>
#include <QImageWriter>
#include <QProcess>
#include <QRegularExpression>
#include <QSaveFile>
#include <QTemporaryDir>
#include <QThread>
#include <cerrno>
#include <csignal>
#include <cstring>
#include <functional>
#include <tuple>
#include <vector>

#if defined(__linux__)
#include <poll.h>
#include <pty.h>
#include <signal.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/sysmacros.h>
#include <sys/types.h>
#include <termios.h>
#include <unistd.h>
#endif

#include "cli/argument_text.h"
#include "cli/options.h"
#include "cli/progress_line.h"
#include "files/animation_file.h"
#include "files/image_file.h"
#include "sweeps/render.h"

namespace {

struct Outcome {
  int status = -1;  // the exit status, or -1 when the program crashed or hung
  QString out;
  QString err;
  [[nodiscard]] QStringList ErrLines() const {
    return err.split(QLatin1Char('\n'), Qt::SkipEmptyParts);
  }
};

void StartVornlace(QProcess& p, const QStringList& args,
                   const std::function<void()>& inChild = {}) {
  QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
  for (const char* name : {"DISPLAY", "WAYLAND_DISPLAY", "QT_QPA_PLATFORM"}) {
    env.remove(QLatin1String(name));
  }
  p.setProcessEnvironment(env);
  // A test run started in the background must not hand the program an ignored Ctrl+C.
  p.setChildProcessModifier([inChild] {
    std::signal(SIGINT, SIG_DFL);
    if (inChild) inChild();
  });
  p.start(QStringLiteral(VORNLACE_BINARY), args);
}

Outcome Finish(QProcess& p) {
  Outcome o;
  if (!p.waitForFinished(60000)) {
    p.kill();
    p.waitForFinished();
  } else if (p.exitStatus() == QProcess::NormalExit) {
    o.status = p.exitCode();
  }
  o.out = QString::fromLocal8Bit(p.readAllStandardOutput());
  o.err = QString::fromLocal8Bit(p.readAllStandardError());
  return o;
}

Outcome RunVornlace(const QStringList& args, const std::function<void()>& inChild = {}) {
  QProcess p;
  StartVornlace(p, args, inChild);
  return Finish(p);
}

#if defined(__linux__)
// Runs the program with standard error on a pseudo-terminal, as a shell does; `onText` sees all
// the terminal has received so far each time more comes, and may signal the program.
Outcome RunOnTerminal(const QStringList& args,
                      const std::function<void(const QByteArray&, pid_t)>& onText = {}) {
  int terminal = -1;
  int program = -1;
  termios raw{};
  cfmakeraw(&raw);  // the bytes as written, without a \r added before each \n
  if (openpty(&terminal, &program, nullptr, &raw, nullptr) != 0) return {};
  QProcess p;
  StartVornlace(p, args, [program] { dup2(program, STDERR_FILENO); });
  p.waitForStarted();
  ::close(program);
  QByteArray text;
  char buffer[4096];
  pollfd ready{terminal, POLLIN, 0};
  ssize_t n = 0;
  // Until the program's end of the terminal is closed, or it says nothing for a minute.
  while (poll(&ready, 1, 60000) > 0 && (n = read(terminal, buffer, sizeof buffer)) > 0) {
    text.append(buffer, n);
    if (onText) onText(text, static_cast<pid_t>(p.processId()));
  }
  ::close(terminal);
  Outcome o = Finish(p);
  o.err = QString::fromLocal8Bit(text);
  return o;
}

// What /proc tells of a running process: the processor time it has used, and the signals it
// ignores and catches, as bit masks.
struct ProcessView {
  double cpuSeconds = 0;
  quint64 ignored = 0;
  quint64 caught = 0;
};
ProcessView View(pid_t pid) {
  QFile stat(QStringLiteral("/proc/%1/stat").arg(pid));
  if (!stat.open(QIODevice::ReadOnly)) return {};
  // From the state on, after the name in parentheses: utime and stime are the 12th and 13th
  // fields, sigignore and sigcatch the 31st and 32nd.
  const QByteArray line = stat.readAll();
  const QList<QByteArray> f = line.mid(line.lastIndexOf(')') + 2).split(' ');
  if (f.size() < 32) return {};
  return {(f[11].toDouble() + f[12].toDouble()) / static_cast<double>(sysconf(_SC_CLK_TCK)),
          f[30].toULongLong(), f[31].toULongLong()};
}
#endif

class CommandLineTest : public ::testing::Test {
 protected:
  void SetUp() override { ASSERT_TRUE(dir.isValid()); }
  QString Path(const QString& name) const { return dir.filePath(name); }
  QStringList Entries() const {
    return QDir(dir.path()).entryList(QDir::AllEntries | QDir::NoDotAndDotDot | QDir::Hidden);
  }

  QTemporaryDir dir;
};

TEST_F(CommandLineTest, HelpAndVersionNeedNoDisplay) {
  const Outcome help = RunVornlace({QStringLiteral("--help")});
  EXPECT_EQ(help.status, 0) << help.err.toStdString();
  EXPECT_TRUE(help.out.contains(QLatin1String("--render")));
  EXPECT_TRUE(help.err.isEmpty());
  const Outcome version = RunVornlace({QStringLiteral("--version")});
  EXPECT_EQ(version.status, 0) << version.err.toStdString();
  EXPECT_EQ(version.out, QStringLiteral(VORNLACE_NAME " " VORNLACE_VERSION_TEXT "\n"));
}

// Without an option of the program's own the window starts, and Qt takes its options from the
// arguments first; anything left over is a mistake, found before any window shows.
TEST_F(CommandLineTest, WindowModeTakesQtOptionsAndRefusesTheRest) {
  const Outcome o =
      RunVornlace({QStringLiteral("-platform"), QStringLiteral("offscreen"),
                   QStringLiteral("-style"), QStringLiteral("fusion"), QStringLiteral("stray")});
  EXPECT_EQ(o.status, 2) << o.err.toStdString();
  ASSERT_FALSE(o.ErrLines().isEmpty());
  EXPECT_EQ(o.ErrLines().last(),
            QStringLiteral("vornlace: unexpected argument 'stray'. Try 'vornlace --help'."));
}

// Among them an option given twice in any spelling and a format that would shrink the picture;
// arguments of any length are quoted to 80 characters.
// Every spelling the parser takes for one of the program's own options, alone, chooses the
// command line (help, version, or a usage error, 2), never the window (which, with no display
// here, fails with 1); and the ends of the scale's range are taken.
TEST_F(CommandLineTest, EverySpellingOfAnOwnOptionChoosesTheCommandLine) {
  const struct {
    QStringList args;
    int status;
  } cases[] = {
      {{QStringLiteral("--render"), QStringLiteral("style3")}, 2},
      {{QStringLiteral("--render=style3")}, 2},
      {{QStringLiteral("-render"), QStringLiteral("style3")}, 2},
      {{QStringLiteral("-output=x.png")}, 2},
      {{QStringLiteral("-h")}, 0},
      {{QStringLiteral("-v")}, 0},
  };
  for (const auto& c : cases) {
    const Outcome o = RunVornlace(c.args);
    EXPECT_EQ(o.status, c.status) << c.args.join(QLatin1Char(' ')).toStdString() << ": "
                                  << o.err.toStdString();
  }
  const QString out = Path(QStringLiteral("black.png"));
  for (const char* scale : {"1", "16"}) {
    const Outcome o = RunVornlace({QStringLiteral("--render=style3"), QStringLiteral("--max=-5"),
                                   QStringLiteral("--scale"), QLatin1String(scale),
                                   QStringLiteral("--output"), out});
    ASSERT_EQ(o.status, 0) << o.err.toStdString();
  }
  EXPECT_EQ(QImageReader(out).size(), QSize(16 * sweeps::kCanvasWidth, 16 * sweeps::kCanvasHeight));
}

TEST_F(CommandLineTest, UsageErrorsExitWithTwoAndOneLineAndWriteNothing) {
  const QString out = Path(QStringLiteral("fan.png"));
  const QString huge(100000, QLatin1Char('x'));
  const QStringList render{QStringLiteral("--render"), QStringLiteral("draw"),
                           QStringLiteral("--output"), out};
  const QStringList movie{QStringLiteral("--render"), QStringLiteral("draw"),
                          QStringLiteral("--output"), Path(QStringLiteral("fan.gif")),
                          QStringLiteral("--animate")};
  const QList<QStringList> cases{
      render + QStringList{QStringLiteral("--bogus")},
      render + QStringList{QStringLiteral("stray")},
      {QStringLiteral("--render"), QStringLiteral("draw")},
      {QStringLiteral("--output"), out},
      {QStringLiteral("--render"), QStringLiteral("Draw"), QStringLiteral("--output"), out},
      {QStringLiteral("--render"), QStringLiteral("draw"), QStringLiteral("--output"),
       Path(QStringLiteral("fan.txt"))},
      render + QStringList{QStringLiteral("--scale"), QStringLiteral("0")},
      render + QStringList{QStringLiteral("--scale"), QStringLiteral("17")},
      render + QStringList{QStringLiteral("--scale"), QStringLiteral("abc")},
      render + QStringList{QStringLiteral("--max"), QStringLiteral("1e999")},
      render + QStringList{QStringLiteral("--max"), QStringLiteral("9007199254740992")},
      render + QStringList{QStringLiteral("--animate")},
      render + QStringList{QStringLiteral("--fps"), QStringLiteral("25")},
      movie + QStringList{QStringLiteral("--fps"), QStringLiteral("0")},
      movie + QStringList{QStringLiteral("--fps"), QStringLiteral("61")},
      movie + QStringList{QStringLiteral("--hold"), QStringLiteral("60.5")},
      movie + QStringList{QStringLiteral("--hold"), QStringLiteral("-1")},
      movie + QStringList{QStringLiteral("--every"), QStringLiteral("0")},
      movie + QStringList{QStringLiteral("--max"), QStringLiteral("100000")},  // 100,002 frames
      render + QStringList{QStringLiteral("--render"), QStringLiteral("style3")},
      render +
          QStringList{QStringLiteral("-scale=2"), QStringLiteral("--scale"), QStringLiteral("3")},
      {QStringLiteral("-h"), QStringLiteral("--help")},
      {QStringLiteral("--render"), QStringLiteral("draw"), QStringLiteral("--output"),
       Path(QStringLiteral("fan.ico"))},
      {QStringLiteral("--render"), huge, QStringLiteral("--output"), out},
      render + QStringList{QStringLiteral("--") + huge},
      render + QStringList{QStringLiteral("--max"), QStringLiteral("1e999") + huge},
      {QStringLiteral("--render"), QStringLiteral("draw"), QStringLiteral("--output"),
       huge + ".txt"},
      render + QStringList{huge},
  };
  for (const QStringList& args : cases) {
    const Outcome o = RunVornlace(args);
    const std::string what = args.join(QLatin1Char(' ')).left(120).toStdString();
    EXPECT_EQ(o.status, 2) << what;
    ASSERT_EQ(o.ErrLines().size(), 1) << what << "\n" << o.err.left(300).toStdString();
    EXPECT_TRUE(o.err.startsWith(QLatin1String("vornlace: "))) << o.err.toStdString();
    EXPECT_FALSE(o.err.contains(QString(81, QLatin1Char('x')))) << what;
    EXPECT_TRUE(Entries().isEmpty()) << what;
  }
}

// The file holds the very pixels a render gives, in the format its name asks for, whatever
// the case of the extension; the maxima are read like the window's boxes.
TEST_F(CommandLineTest, WritesTheSweepInTheFormatTheNameAsksFor) {
  struct Case {
    const char* sweep;
    QString style1Max;
    QString max;
    int scale;
    const char* file;
    sweeps::RenderRequest expected;
    const char* format;
  } cases[] = {
      {"draw",
       QStringLiteral("３０"),
       QStringLiteral("12.5度"),
       1,
       "a.png",
       {&sweeps::kDrawSweep, 30, 12.5, 1},
       "png"},
      {"style3",
       QString(),
       QStringLiteral("5"),
       2,
       "b.90.5.BMP",
       {&sweeps::kStyle3Sweep, 0, 5, 2},
       "bmp"},
  };
  for (const Case& c : cases) {
    const QString path = Path(QLatin1String(c.file));
    QStringList args{QStringLiteral("--render"), QLatin1String(c.sweep),
                     QStringLiteral("--output"), path,
                     QStringLiteral("--max"),    c.max,
                     QStringLiteral("--scale"),  QString::number(c.scale)};
    if (!c.style1Max.isNull()) args << QStringLiteral("--style1-max") << c.style1Max;
    const Outcome o = RunVornlace(args);
    ASSERT_EQ(o.status, 0) << c.file << ": " << o.err.toStdString();
    EXPECT_TRUE(o.err.isEmpty() && o.out.isEmpty()) << o.err.toStdString();
    EXPECT_EQ(QImageReader(path).format(), QByteArray(c.format)) << c.file;
    const QImage written = QImage(path).convertToFormat(QImage::Format_RGB32);
    const QImage expected = files::ImageOf(sweeps::Render(c.expected).image);
    EXPECT_EQ(written.size(),
              QSize(sweeps::kCanvasWidth * c.scale, sweeps::kCanvasHeight * c.scale))
        << c.file;
    EXPECT_TRUE(written == expected) << c.file;
  }
}

// The ends of the animation options' ranges are taken; the files are read back in the tests of
// the encoders, and the frame limit's end is OptionsTest's.
TEST_F(CommandLineTest, AnimationsTakeTheEndsOfTheirRanges) {
  struct Case {
    const char* file;
    const char* fps;
    const char* hold;
    const char* every;
    QByteArray magic;
  } cases[] = {{"slow.90.5.gif", "1", "0", "1", "GIF89a"}, {"fast.webp", "60", "60", "2", "RIFF"}};
  for (const Case& c : cases) {
    const QString path = Path(QLatin1String(c.file));
    const Outcome o =
        RunVornlace({QStringLiteral("--render"), QStringLiteral("style3"), QStringLiteral("--max"),
                     QStringLiteral("2"), QStringLiteral("--animate"), QStringLiteral("--output"),
                     path, QStringLiteral("--fps"), QLatin1String(c.fps), QStringLiteral("--hold"),
                     QLatin1String(c.hold), QStringLiteral("--every"), QLatin1String(c.every)});
    ASSERT_EQ(o.status, 0) << c.file << ": " << o.err.toStdString();
    QFile written(path);
    ASSERT_TRUE(written.open(QIODevice::ReadOnly));
    EXPECT_EQ(written.read(c.magic.size()), c.magic) << c.file;
  }
}

TEST_F(CommandLineTest, UnwritableTargetsFailWithOneLineNamingThemAndLeaveNothing) {
  QFile plain(Path(QStringLiteral("plain.txt")));
  ASSERT_TRUE(plain.open(QIODevice::WriteOnly));
  plain.close();
  ASSERT_TRUE(QDir(dir.path()).mkdir(QStringLiteral("folder.png")));
  QSaveFile folder(Path(QStringLiteral("folder.png")));
  ASSERT_FALSE(folder.open(QIODevice::WriteOnly));
  const QStringList before = Entries();
  const auto system = [](int error) { return QString::fromLocal8Bit(std::strerror(error)); };
  const struct {
    QString target;
    QString reason;  // the system's, or Qt's for a folder: never one of the program's refusals
  } cases[] = {{Path(QStringLiteral("plain.txt/out.png")), system(ENOTDIR)},
               {Path(QStringLiteral("missing/out.png")), system(ENOENT)},
               {Path(QStringLiteral("folder.png")), folder.errorString()},
               {Path(QStringLiteral("missing/out.gif")), system(ENOENT)}};
  for (const auto& c : cases) {
    QStringList args{QStringLiteral("--render"), QStringLiteral("style3"),
                     QStringLiteral("--output"), c.target};
    if (c.target.endsWith(QLatin1String(".gif"))) args << QStringLiteral("--animate");
    const Outcome o = RunVornlace(args);
    EXPECT_EQ(o.status, 1) << c.target.toStdString();
    EXPECT_EQ(o.err.toStdString(), QStringLiteral("vornlace: cannot write %1: %2\n")
                                       .arg(QDir::toNativeSeparators(c.target), c.reason)
                                       .toStdString());
    EXPECT_EQ(Entries(), before);
  }
}

// The frame limit at its end, with and without --every: 100,000 frames are taken, one more is
// refused with the step that shortens it enough. (Style 3 draws one curve per degree.)
TEST(OptionsTest, TheFrameLimitCountsTheFramesAtTheStepGiven) {
  const std::tuple<const char*, const char*, const char*> cases[] = {
      {"99999", "1", ""},
      {"100000", "1", "100001 frames is too long: at most 100000. --every 2"},
      {"199999", "2", ""},
      {"199999", "1", "200000 frames is too long: at most 100000. --every 2"},
      {"200000", "2", "100001 frames is too long: at most 100000. --every 3"}};
  for (const auto& [max, every, mistake] : cases) {
    const auto read = cli::ReadArguments(
        QStringLiteral("vornlace --render=style3 --animate --output=a.gif --max=%1 --every=%2")
            .arg(QLatin1String(max), QLatin1String(every))
            .split(QLatin1Char(' ')));
    const auto* m = std::get_if<cli::Mistake>(&read);
    EXPECT_EQ(
        m == nullptr ? "" : m->text.toStdString(),
        *mistake == 0 ? "" : "an animation of " + std::string(mistake) + " or more shortens it.")
        << max << " every " << every;
  }
}

// What each format's writer keeps whole: .ico and .cur up to 256 pixels each way, .icns only
// squares up to 1024. Where Qt has the writer here, it keeps what the limit lets through and
// shrinks what it refuses.
TEST(ImageFileTest, SizeLimitsAreTheWritersOwn) {
  const std::tuple<const char*, QSize, bool> cases[] = {
      {"ico", {256, 256}, true},     {"ico", {257, 256}, false},    {"ico", {1, 257}, false},
      {"cur", {256, 1}, true},       {"cur", {257, 1}, false},      {"icns", {1024, 1024}, true},
      {"icns", {1024, 1023}, false}, {"icns", {1025, 1025}, false}, {"png", {1025, 1023}, true}};
  for (const auto& [format, size, holds] : cases) {
    EXPECT_EQ(files::Holds(files::SizeLimitOf(format), size), holds) << format << size.width();
    if (!QImageWriter::supportedImageFormats().contains(format)) continue;
    QImage image(size, QImage::Format_RGB32);
    image.fill(Qt::black);
    QBuffer buffer;
    ASSERT_TRUE(buffer.open(QIODevice::ReadWrite) && QImageWriter(&buffer, format).write(image));
    buffer.seek(0);
    EXPECT_EQ(QImageReader(&buffer, format).size() == size, holds) << format << size.width();
  }
  EXPECT_EQ(files::TooLargeForFormat("icns", {573, 413}).toStdString(),
            "the .icns format holds only square pictures of up to 1024x1024 pixels, not 573x413");
}

// The bytes of an argument are text only where they form whole, well-formed UTF-8 sequences:
// overlong forms, surrogates, code points past U+10FFFF, sequences cut short and stray
// continuation bytes stay bytes, which a message shows as \xNN; the edges on either side, and a
// pair of surrogates whose low half looks like a kept byte.
TEST(ArgumentTextTest, OnlyWellFormedUtf8IsText) {
  const std::pair<const char*, const char*> cases[] = {{"\xC1\xBF", "\\xC1\\xBF"},
                                                       {"\xC2\xA9", "\u00A9"},
                                                       {"\xE0\x9F\xBF", "\\xE0\\x9F\\xBF"},
                                                       {"\xE0\xA0\x80", "\u0800"},
                                                       {"\xED\xA0\x80", "\\xED\\xA0\\x80"},
                                                       {"\xED\x9F\xBF", "\uD7FF"},
                                                       {"\xF0\x8F\xBF\xBF", "\\xF0\\x8F\\xBF\\xBF"},
                                                       {"\xF0\x90\x82\x80", "\U00010080"},
                                                       {"\xF4\x90\x80\x80", "\\xF4\\x90\\x80\\x80"},
                                                       {"\xF4\x8F\xBF\xBF", "\U0010FFFF"},
                                                       {"\xE2\x82\x41", "\\xE2\\x82A"},
                                                       {"\xE2\x82", "\\xE2\\x82"},
                                                       {"\x80\xC3\xA9", "\\x80\u00E9"}};
  for (const auto& [bytes, shown] : cases) {
    EXPECT_EQ(cli::Shown(cli::TextOfBytes(bytes)).toStdString(), shown) << shown;
  }
}

// The progress line's time left, at the pace so far (curves done of 2 after so many seconds), in
// the unit that suits it.
TEST(ProgressLineTest, TimeLeftIsShownInTheUnitThatSuitsIt) {
  const std::tuple<std::uint64_t, double, const char*> cases[] = {
      {0, 30, ""},
      {2, 30, ""},
      {1, 0.99, ", under 1 s left"},
      {1, 59.49, ", about 59 s left"},
      {1, 59.5, ", about 1 min 00 s left"},
      {1, 3599.49, ", about 59 min 59 s left"},
      {1, 3599.5, ", about 1 h 00 min left"},
      {1, 3 * 3600 + 61, ", about 3 h 01 min left"},
      {1, 48 * 3600 - 31, ", about 47 h 59 min left"},
      {1, 48 * 3600, ", about 2 days left"}};
  for (const auto& [done, elapsed, left] : cases) {
    EXPECT_EQ(cli::ProgressText(done, 2, elapsed),
              "vornlace: " + std::to_string(done) + "/2 curves" + left)
        << elapsed;
  }
}

#if defined(__linux__)
// A device node or FIFO (a socket alike), directly or through a symbolic link, is refused and
// left as it was, also when one takes the target's place during the render. A link to a regular
// file still has the file it points to replaced. (Device nodes need root to make.)
TEST_F(CommandLineTest, SpecialFilesAreRefusedAndLinksToFilesFollowed) {
  const auto make = [this](const char* name, mode_t mode, dev_t device = 0) {
    return mknod(QFile::encodeName(Path(QLatin1String(name))).constData(), mode, device) == 0;
  };
  const auto link = [this](const char* target, const char* name) {
    return symlink(target, QFile::encodeName(Path(QLatin1String(name))).constData()) == 0;
  };
  ASSERT_TRUE(make("fifo.png", S_IFIFO | 0600));
  ASSERT_TRUE(link("fifo.png", "link-to-fifo.png"));
  QStringList targets{QStringLiteral("fifo.png"), QStringLiteral("link-to-fifo.png")};
  if (make("null.png", S_IFCHR | 0600, makedev(1, 3)) && link("null.png", "link-to-null.png")) {
    targets << QStringLiteral("null.png") << QStringLiteral("link-to-null.png");
  }
  const QStringList before = Entries();
  for (const QString& target : targets) {
    const Outcome o =
        RunVornlace({QStringLiteral("--render"), QStringLiteral("style3"), QStringLiteral("--max"),
                     QStringLiteral("1"), QStringLiteral("--output"), Path(target)});
    EXPECT_EQ(o.status, 1) << target.toStdString();
    EXPECT_EQ(o.err,
              QStringLiteral("vornlace: cannot write %1: it is a device, FIFO or socket, not a "
                             "regular file\n")
                  .arg(Path(target)));
    EXPECT_FALSE(QFileInfo(Path(target)).isFile()) << target.toStdString();
    EXPECT_EQ(Entries(), before);
  }

  files::PendingImageFile late(Path(QStringLiteral("late.png")), "png");
  QString error;
  ASSERT_TRUE(late.Open(&error)) << error.toStdString();
  ASSERT_TRUE(make("late.png", S_IFIFO | 0600));
  QImage image(8, 8, QImage::Format_RGB32);
  image.fill(Qt::black);
  EXPECT_TRUE(late.Write(image, &error) && !late.Commit(&error));
  EXPECT_FALSE(QFileInfo(Path(QStringLiteral("late.png"))).isFile());

  QFile old(Path(QStringLiteral("old.png")));
  ASSERT_TRUE(old.open(QIODevice::WriteOnly) && old.write("old") == 3);
  old.close();
  ASSERT_TRUE(link("old.png", "link.png"));
  const Outcome o = RunVornlace({QStringLiteral("--render"), QStringLiteral("style3"),
                                 QStringLiteral("--max"), QStringLiteral("1"),
                                 QStringLiteral("--output"), Path(QStringLiteral("link.png"))});
  EXPECT_EQ(o.status, 0) << o.err.toStdString();
  EXPECT_TRUE(QFileInfo(Path(QStringLiteral("link.png"))).isSymLink());
  EXPECT_EQ(QImage(Path(QStringLiteral("old.png"))).size(),
            QSize(sweeps::kCanvasWidth, sweeps::kCanvasHeight));
}

// A name whose bytes are not UTF-8 is refused, showing the bytes; no file gets another name.
TEST_F(CommandLineTest, NamesThatAreNotUtf8AreRefused) {
  QProcess p;
  p.setWorkingDirectory(dir.path());
  p.start(QStringLiteral("/bin/sh"),
          {QStringLiteral("-c"),
           QStringLiteral(
               "exec \"$0\" --render style3 --max 1 --output \"$(printf '\\377\\376.png')\""),
           QStringLiteral(VORNLACE_BINARY)});
  const Outcome o = Finish(p);
  EXPECT_EQ(o.status, 1) << o.err.toStdString();
  EXPECT_EQ(o.ErrLines().size(), 1) << o.err.toStdString();
  EXPECT_TRUE(o.err.contains(QLatin1String("\\xFF\\xFE.png: the name is not valid UTF-8")))
      << o.err.toStdString();
  EXPECT_TRUE(Entries().isEmpty());
}

// A write that fails midway (here a file size limit; a full disk alike) or a render that is
// interrupted must leave an existing file exactly as it was, and no other file beside it. Every
// format reports the failure in the system's own words.
TEST_F(CommandLineTest, FailedOrInterruptedWritesLeaveTheOldFileAlone) {
  const QStringList names{QStringLiteral("keep.gif"), QStringLiteral("keep.png"),
                          QStringLiteral("keep.webp")};
  const QByteArray old("the picture from yesterday");
  for (const QString& name : names) {
    QFile f(Path(name));
    ASSERT_TRUE(f.open(QIODevice::WriteOnly));
    f.write(old);
  }
  auto fileIsUntouched = [&](const QString& path) {
    QFile f(path);
    return f.open(QIODevice::ReadOnly) && f.readAll() == old && Entries() == names;
  };

  // A file size limit, and an address space too small for a picture at scale 16 (the sanitizers
  // reserve far more than that for themselves, so there only the first).
  struct Limit {
    int resource;
    rlim_t bytes;
    const char* scale;
    QString reason;
  };
  std::vector<Limit> limits{
      {RLIMIT_FSIZE, 64 * 1024, "4", QString::fromLocal8Bit(std::strerror(EFBIG))}};
#if !defined(__SANITIZE_ADDRESS__)
  limits.push_back({RLIMIT_AS, 300 << 20, "16", files::NotEnoughMemory(16)});
#endif
  for (const Limit& limit : limits) {
    for (const QString& name : names) {
      QStringList args{QStringLiteral("--render"), QStringLiteral("draw"),
                       QStringLiteral("--scale"),  QLatin1String(limit.scale),
                       QStringLiteral("--output"), Path(name)};
      if (!name.endsWith(QLatin1String(".png"))) args << QStringLiteral("--animate");
      const Outcome limited = RunVornlace(args, [&limit] {
        const rlimit bound{limit.bytes, limit.bytes};
        setrlimit(limit.resource, &bound);
        std::signal(SIGXFSZ, SIG_IGN);  // a failed write instead of a killed process
      });
      EXPECT_EQ(limited.status, 1) << limited.err.toStdString();
      EXPECT_EQ(limited.err.toStdString(), QStringLiteral("vornlace: cannot write %1: %2\n")
                                               .arg(Path(name), limit.reason)
                                               .toStdString());
      EXPECT_TRUE(fileIsUntouched(Path(name))) << name.toStdString();
    }
  }

  // A sweep that takes minutes, stopped once its handlers are in place and it has run past the
  // progress line's delay: with standard error not a terminal, the note is all it says. A SIGINT
  // ignored by whoever started it (a background job, nohup) stays ignored.
  const QString path = Path(names[1]);
  const struct {
    int signal;
    bool intIgnored;
    const char* note;
  } stops[] = {{SIGINT, false, "vornlace: interrupted; nothing was written.\n"},
               {SIGTERM, true, "vornlace: terminated; nothing was written.\n"}};
  const quint64 sigint = quint64{1} << (SIGINT - 1);
  const quint64 sigterm = quint64{1} << (SIGTERM - 1);
  for (const auto& s : stops) {
    QProcess p;
    StartVornlace(p,
                  {QStringLiteral("--render"), QStringLiteral("style2"), QStringLiteral("--max"),
                   QStringLiteral("100000"), QStringLiteral("--output"), path},
                  [&s] {
                    if (s.intIgnored) std::signal(SIGINT, SIG_IGN);
                  });
    ASSERT_TRUE(p.waitForStarted());
    const auto pid = static_cast<pid_t>(p.processId());
    ProcessView view = View(pid);
    for (int i = 0; i < 6000 && ((view.caught & sigterm) == 0 || view.cpuSeconds < 1.5); ++i) {
      QThread::msleep(10);
      view = View(pid);
    }
    ASSERT_NE(view.caught & sigterm, 0u) << "no handlers";
    EXPECT_EQ((view.caught & sigint) == 0, s.intIgnored);
    EXPECT_EQ((view.ignored & sigint) != 0, s.intIgnored);
    ::kill(pid, s.signal);
    const Outcome o = Finish(p);
    EXPECT_EQ(o.status, 128 + s.signal) << o.err.toStdString();
    EXPECT_EQ(o.err.toStdString(), s.note);
    EXPECT_TRUE(fileIsUntouched(path)) << s.note;
  }
}

// On a terminal, a render that runs past a second shows its progress on one line, which is
// erased before anything else is said; a quick one says nothing. A signal that comes while the
// file is being written still leaves the old file as it was.
TEST_F(CommandLineTest, OnATerminalTheProgressComesAndGoesAndAStopWhileWritingKeepsTheOldFile) {
  const Outcome quick = RunOnTerminal({QStringLiteral("--render"), QStringLiteral("style3"),
                                       QStringLiteral("--max"), QStringLiteral("-5"),
                                       QStringLiteral("--output"), Path(QStringLiteral("a.png"))});
  EXPECT_EQ(quick.status, 0);
  EXPECT_EQ(quick.err, QString());

  QFile old(Path(QStringLiteral("keep.png")));
  ASSERT_TRUE(old.open(QIODevice::WriteOnly) && old.write("old") == 3);
  old.close();
  const Outcome o =
      RunOnTerminal({QStringLiteral("--render"), QStringLiteral("style2"), QStringLiteral("--max"),
                     QStringLiteral("360"), QStringLiteral("--scale"), QStringLiteral("16"),
                     QStringLiteral("--output"), old.fileName()},
                    [](const QByteArray& text, pid_t pid) {
                      if (text.endsWith("vornlace: writing the file")) ::kill(pid, SIGINT);
                    });
  EXPECT_EQ(o.status, 128 + SIGINT) << o.err.toStdString();
  // Progress lines, each over the one before; the note over the last, and the stop's over that.
  const QRegularExpression said(QStringLiteral(
      "^(\r\033\\[Kvornlace: \\d+/362 curves[^\r]*)+\r\033\\[Kvornlace: writing the file"
      "\r\033\\[Kvornlace: interrupted; nothing was written\\.\n$"));
  EXPECT_TRUE(said.match(o.err).hasMatch()) << o.err.toStdString();
  ASSERT_TRUE(old.open(QIODevice::ReadOnly));
  EXPECT_EQ(old.readAll(), QByteArray("old"));
  EXPECT_EQ(Entries(), (QStringList{QStringLiteral("a.png"), QStringLiteral("keep.png")}));
}
#endif

}  // namespace
