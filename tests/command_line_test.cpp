// The built program run as a user runs it from a shell, with no display in its environment:
// exit statuses, what it says, and which files it leaves behind.
#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QImage>
#include <QImageReader>
#include <QProcess>
#include <QTemporaryDir>
#include <QThread>
#include <cerrno>
#include <csignal>
#include <cstring>
#include <functional>
#include <vector>

#if defined(__linux__)
#include <signal.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/sysmacros.h>
#include <sys/types.h>
#include <unistd.h>
#endif

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
// the encoders.
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
  const Outcome tooLong =
      RunVornlace({QStringLiteral("--render"), QStringLiteral("draw"), QStringLiteral("--max"),
                   QStringLiteral("250000"), QStringLiteral("--animate"),
                   QStringLiteral("--output"), Path(QStringLiteral("long.gif"))});
  EXPECT_TRUE(tooLong.err.contains(QLatin1String("--every 3"))) << tooLong.err.toStdString();
}

TEST_F(CommandLineTest, UnwritableTargetsFailWithOneLineNamingThemAndLeaveNothing) {
  QFile plain(Path(QStringLiteral("plain.txt")));
  ASSERT_TRUE(plain.open(QIODevice::WriteOnly));
  plain.close();
  ASSERT_TRUE(QDir(dir.path()).mkdir(QStringLiteral("folder.png")));
  const QStringList before = Entries();
  for (const QString& target :
       {Path(QStringLiteral("plain.txt/out.png")), Path(QStringLiteral("missing/out.png")),
        Path(QStringLiteral("folder.png")), Path(QStringLiteral("missing/out.gif"))}) {
    QStringList args{QStringLiteral("--render"), QStringLiteral("style3"),
                     QStringLiteral("--output"), target};
    if (target.endsWith(QLatin1String(".gif"))) args << QStringLiteral("--animate");
    const Outcome o = RunVornlace(args);
    EXPECT_EQ(o.status, 1) << target.toStdString();
    ASSERT_EQ(o.ErrLines().size(), 1) << o.err.toStdString();
    // "vornlace: cannot write PATH: the system's reason".
    const QString start =
        QStringLiteral("vornlace: cannot write %1: ").arg(QDir::toNativeSeparators(target));
    EXPECT_TRUE(o.err.startsWith(start) && o.err.trimmed().size() > start.size())
        << o.err.toStdString();
    EXPECT_EQ(Entries(), before);
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
    EXPECT_TRUE(o.err.contains(QLatin1String("not a regular file"))) << o.err.toStdString();
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

  const QString path = Path(names[1]);
  for (const int signal : {SIGINT, SIGTERM}) {
    // A sweep that takes minutes, stopped once the program has its handler in place.
    QProcess p;
    StartVornlace(p, {QStringLiteral("--render"), QStringLiteral("style2"), QStringLiteral("--max"),
                      QStringLiteral("100000"), QStringLiteral("--output"), path});
    ASSERT_TRUE(p.waitForStarted());
    const auto pid = static_cast<pid_t>(p.processId());
    const quint64 bit = quint64{1} << (signal - 1);
    bool caught = false;
    for (int i = 0; i < 500 && !caught; ++i) {
      QFile status(QStringLiteral("/proc/%1/status").arg(pid));
      if (status.open(QIODevice::ReadOnly)) {
        for (const QByteArray& line : status.readAll().split('\n')) {
          if (!line.startsWith("SigCgt:")) continue;
          caught = (line.mid(7).trimmed().toULongLong(nullptr, 16) & bit) != 0;
        }
      }
      if (!caught) QThread::msleep(10);
    }
    ASSERT_TRUE(caught) << "no handler for signal " << signal;
    ::kill(pid, signal);
    const Outcome o = Finish(p);
    EXPECT_EQ(o.status, 128 + signal) << o.err.toStdString();
    EXPECT_EQ(o.ErrLines().size(), 1) << o.err.toStdString();
    EXPECT_TRUE(fileIsUntouched(path)) << "after signal " << signal;
  }
}
#endif

}  // namespace
