#include "window/main_window.h"

#include <gtest/gtest.h>

#include <QAction>
#include <QApplication>
#include <QClipboard>
#include <QContextMenuEvent>
#include <QDir>
#include <QElapsedTimer>
#include <QFileDialog>
#include <QFileInfo>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QMessageBox>
#include <QProgressDialog>
#include <QPushButton>
#include <QScreen>
#include <QTemporaryDir>
#include <QTest>
#include <QTextLayout>
#include <QTimer>
#include <algorithm>
#include <cmath>
#include <utility>

#include <cerrno>
#include <cstring>
#include <memory>

#if defined(__GLIBC__)
#include <malloc.h>
#endif
#if defined(__unix__)
#include <sys/stat.h>
#endif

#include "files/image_file.h"
#include "form/form.h"
#include "sweeps/render.h"
#include "window/canvas_widget.h"
#include "window/japanese_texts.h"

using window::CanvasWidget;
using window::Form1;

namespace {

constexpr int kWidth = sweeps::kCanvasWidth;  // the canvas in logical pixels
constexpr int kHeight = sweeps::kCanvasHeight;
constexpr int kPixels = kWidth * kHeight;

class MainWindowTest : public ::testing::Test {
 protected:
  void SetUp() override {
    window.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&window));
  }

  template <class W>
  W* child(const char* name) {
    W* w = window.findChild<W*>(QLatin1String(name));
    EXPECT_NE(w, nullptr) << name;
    return w;
  }
  CanvasWidget* canvas() { return child<CanvasWidget>("Picture1"); }
  void click(const char* button) { QTest::mouseClick(child<QPushButton>(button), Qt::LeftButton); }
  void type(const char* box, const QString& text) { child<QLineEdit>(box)->setText(text); }

  // Chooses Save, answers the dialog with `path` and returns the message the window then shows,
  // or an empty text when it shows none. The dialog is accepted past its own checks (an
  // overwrite question, a length limit), as a native dialog might.
  QString saveAs(const QString& path) {
    QString message;
    QTimer answer;
    QObject::connect(&answer, &QTimer::timeout, &window, [&] {
      QWidget* modal = QApplication::activeModalWidget();
      if (auto* dialog = qobject_cast<QFileDialog*>(modal)) {
        dialog->selectFile(path);
        static_cast<QDialog*>(dialog)->QDialog::accept();
      } else if (auto* box = qobject_cast<QMessageBox*>(modal)) {
        message = box->text();
        box->accept();
      }
    });
    answer.start(0);
    child<QAction>("SaveImage")->trigger();
    return message;
  }

  // Counts client-area pixels of one colour, in logical pixels.
  int countColor(const QColor& c) {
    int n = 0;
    for (int y = 0; y < kHeight; ++y)
      for (int x = 0; x < kWidth; ++x) n += canvas()->colorAt(QPoint(x, y)) == c;
    return n;
  }

  Form1 window;
};

// The window is built from the form's table (restated in FormTest): every control has its
// name, text and rectangle, and the canvas's inside is the sweeps' canvas.
TEST_F(MainWindowTest, ControlsHaveTheirNamesTextsAndPlaces) {
  EXPECT_EQ(window.windowTitle(), QStringLiteral("Form1"));
  EXPECT_EQ(window.size(), QSize(form::kClientWidth, form::kClientHeight));
  for (const form::Control& c : form::Controls()) {
    const QString name = QString::fromUtf8(c.name.data(), static_cast<qsizetype>(c.name.size()));
    QWidget* w = window.findChild<QWidget*>(name);
    ASSERT_NE(w, nullptr) << c.name;
    EXPECT_EQ(w->geometry(), QRect(c.rect.left, c.rect.top, c.rect.width, c.rect.height)) << c.name;
    QString text = w->accessibleName();
    if (auto* b = qobject_cast<QPushButton*>(w)) text = b->text();
    if (auto* l = qobject_cast<QLabel*>(w)) text = l->text();
    if (auto* t = qobject_cast<QLineEdit*>(w)) text = t->text();
    EXPECT_EQ(text.toStdString(), c.text) << c.name;
  }
  EXPECT_EQ(canvas()->contentsRect().size(), QSize(kWidth, kHeight));
}

TEST_F(MainWindowTest, TabOrderFollowsTheControlsTableAndLabelsTakeNoFocus) {
  const char* order[] = {"Picture1", "Command1", "Text1",   "Text2",
                         "Command2", "Command3", "Command4"};
  QWidget* w = child<QWidget>(order[0]);
  for (std::size_t i = 1; i < std::size(order); ++i) {
    w = w->nextInFocusChain();
    while (w->focusPolicy() == Qt::NoFocus) w = w->nextInFocusChain();
    EXPECT_EQ(w->objectName(), QLatin1String(order[i]));
  }
  EXPECT_EQ(child<QLabel>("Label1")->focusPolicy(), Qt::NoFocus);
  EXPECT_EQ(child<QLabel>("Label2")->focusPolicy(), Qt::NoFocus);
}

TEST_F(MainWindowTest, ResizingMovesAndStretchesNothing) {
  QList<QRect> before;
  const auto children = window.findChildren<QWidget*>(QString(), Qt::FindDirectChildrenOnly);
  for (QWidget* w : children) before.push_back(w->geometry());
  window.resize(1400, 900);
  QApplication::processEvents();
  window.resize(300, 200);
  QApplication::processEvents();
  for (qsizetype i = 0; i < children.size(); ++i) {
    EXPECT_EQ(children[i]->geometry(), before[i]) << children[i]->objectName().toStdString();
  }
}

// One raster pixel per device pixel the client area touches: at a fractional ratio that takes
// in the partly covered pixel at either edge, so no device row or column is left out.
TEST_F(MainWindowTest, CanvasRasterHasOnePixelPerDevicePixel) {
  const qreal ratio = canvas()->devicePixelRatioF();
  const turtle::Raster& raster = canvas()->canvas().Image();
  EXPECT_GE(raster.Width(), std::ceil(kWidth * ratio));
  EXPECT_LE(raster.Width(), std::floor(kWidth * ratio) + 2);
  EXPECT_GE(raster.Height(), std::ceil(kHeight * ratio));
  EXPECT_LE(raster.Height(), std::floor(kHeight * ratio) + 2);
  if (ratio == std::floor(ratio)) {
    EXPECT_EQ(raster.Width(), std::lround(kWidth * ratio));
    EXPECT_EQ(raster.Height(), std::lround(kHeight * ratio));
  }
}

TEST_F(MainWindowTest, CanvasStartsWithTheDefaultBackgroundAndNothingDrawn) {
  const QColor background = canvas()->palette().color(QPalette::Window);
  EXPECT_EQ(countColor(background), kPixels);
  EXPECT_FALSE(window.sweeping());
}

// Each caption must have a real glyph for every character in the font the control uses (with
// Qt's fallback fonts), or the Japanese would show as empty boxes.
TEST_F(MainWindowTest, CaptionsRenderWithoutMissingGlyphs) {
  for (const char* name : {"Command1", "Label1", "Label2", "Command2", "Command3", "Command4"}) {
    QWidget* w = child<QWidget>(name);
    QString text;
    if (auto* b = qobject_cast<QPushButton*>(w)) text = b->text();
    if (auto* l = qobject_cast<QLabel*>(w)) text = l->text();
    QTextLayout layout(text, w->font());
    layout.beginLayout();
    layout.createLine();
    layout.endLayout();
    int glyphs = 0;
    for (const QGlyphRun& run : layout.glyphRuns()) {
      for (const quint32 index : run.glyphIndexes()) {
        EXPECT_NE(index, 0u) << name << " has a character without a glyph";
        ++glyphs;
      }
    }
    EXPECT_EQ(glyphs, text.size()) << name;
  }
}

// The controls stand at fixed pixel rectangles: whatever size the desktop's font has, every
// caption fits inside its control, and each box stays on top of the label that reaches into it.
TEST(MainWindowFontTest, CaptionsFitTheirControlsAtAnyDesktopFontSize) {
  const QFont desktop = QApplication::font();
  for (const int points : {8, 11, 13, 16}) {
    QFont sized = desktop;
    sized.setPointSize(points);
    QApplication::setFont(sized);
    Form1 window;
    for (const char* name : {"Command1", "Label1", "Label2", "Command2", "Command3", "Command4"}) {
      auto* w = window.findChild<QWidget*>(QLatin1String(name));
      ASSERT_NE(w, nullptr) << name;
      auto* label = qobject_cast<QLabel*>(w);
      const QString text = label != nullptr ? label->text() : qobject_cast<QPushButton*>(w)->text();
      const QFontMetrics metrics(w->font());
      // A label's last column lies under its box; a button keeps a few pixels of bevel.
      const int room = label != nullptr ? w->width() - 1 : w->width() - 8;
      EXPECT_LE(metrics.horizontalAdvance(text), room) << name << " at " << points << " pt";
      EXPECT_LE(metrics.height(), w->height()) << name << " at " << points << " pt";
    }
    for (const auto& [box, label] : {std::pair{"Text1", "Label1"}, {"Text2", "Label2"}}) {
      const QRect l = window.findChild<QWidget*>(QLatin1String(label))->geometry();
      const QWidget* top = window.childAt(QPoint(l.right(), l.center().y()));
      ASSERT_NE(top, nullptr);
      EXPECT_EQ(top->objectName(), QLatin1String(box)) << "at " << points << " pt";
    }
  }
  QApplication::setFont(desktop);
}

TEST_F(MainWindowTest, DrawButtonFillsTheCanvasAndEndsWithTheYellowCurve) {
  type("Text2", QStringLiteral("10"));
  click("Command1");
  EXPECT_FALSE(window.sweeping());
  EXPECT_GT(countColor(Qt::yellow), 800);
  EXPECT_GT(countColor(Qt::black), kPixels / 2);
  // Cyan at 0° from Color1, beneath the yellow.
  EXPECT_GT(countColor(QColor(0, 240, 240)), 50);
  EXPECT_EQ(window.turtleState().PenColor, turtle::kYellow);
}

// A sweep that draws nothing after clearing (style 3 below 0°, which leaves the canvas black), or
// ends between refresh points, must still leave the screen showing the retained image once its
// handler returns.
TEST_F(MainWindowTest, EverythingASweepChangedIsOnScreenWhenItEnds) {
  click("Command1");
  EXPECT_TRUE(canvas()->canvas().Image().Dirty().Empty());
  EXPECT_TRUE(canvas()->pacer().Held().Empty());
  type("Text2", QStringLiteral("-5"));
  click("Command4");
  EXPECT_EQ(countColor(Qt::black), kPixels);
  EXPECT_TRUE(canvas()->canvas().Image().Dirty().Empty());
  EXPECT_TRUE(canvas()->pacer().Held().Empty());
  // Stopped once its first curve is drawn: that curve is on the screen too.
  QTimer poll;
  QObject::connect(&poll, &QTimer::timeout, &window, [&] {
    if (countColor(Qt::black) == kPixels) return;
    click("Command3");
    poll.stop();
  });
  poll.start(0);
  type("Text2", QStringLiteral("90"));
  click("Command2");
  EXPECT_EQ(window.sweepState().StopRequested, -1);
  EXPECT_LT(countColor(Qt::black), kPixels);
  EXPECT_TRUE(canvas()->canvas().Image().Dirty().Empty());
  EXPECT_TRUE(canvas()->pacer().Held().Empty());
}

TEST_F(MainWindowTest, TextThatIsNotANumberReadsAsZero) {
  type("Text1", QStringLiteral("abc"));
  type("Text2", QStringLiteral("x90"));
  click("Command1");
  EXPECT_EQ(window.sweepState().Style1MaxAngle, 0.0);
  EXPECT_EQ(window.sweepState().SweepMaxAngle, 0.0);
  type("Text2", QStringLiteral("４５度"));
  click("Command2");
  EXPECT_EQ(window.sweepState().SweepMaxAngle, 45.0);
}

TEST_F(MainWindowTest, StopButtonEndsTheSweepBeforeItsNextCurve) {
  // Queued before the sweep starts, the click is handled in the sweep's first pump.
  QTimer::singleShot(0, &window, [this] { click("Command3"); });
  click("Command2");
  EXPECT_EQ(window.sweepState().StopRequested, -1);
  EXPECT_EQ(countColor(Qt::black), kPixels);
  EXPECT_FALSE(window.sweeping());
}

TEST_F(MainWindowTest, ClosingDuringASweepEndsItAtOnceAndDrawsNothingMore) {
  QTimer::singleShot(0, &window, [this] { window.close(); });
  QElapsedTimer timer;
  timer.start();
  click("Command2");
  EXPECT_LT(timer.elapsed(), 2000);
  EXPECT_TRUE(window.sweepState().Closing);
  EXPECT_FALSE(window.isVisible());
  EXPECT_EQ(countColor(Qt::black), kPixels);
  // A click that somehow still reaches a closed window starts nothing.
  window.findChild<QPushButton*>(QStringLiteral("Command1"))->click();
  EXPECT_EQ(countColor(Qt::black), kPixels);
}

// Save asked for from inside a sweep's event pump: the dialog offers the suggested name, the
// sweep waits for it, and the file holds the picture as it was when Save was chosen. A second
// save starts in the same folder; one that cannot be written says so and leaves no file.
TEST_F(MainWindowTest, SaveWritesThePictureAsDrawnAndReportsAFailure) {
  const QTemporaryDir temporary;
  ASSERT_TRUE(temporary.isValid());
  const QString folder = temporary.path();
  auto* save = window.findChild<QAction*>(QStringLiteral("SaveImage"));
  ASSERT_NE(save, nullptr);
  QString offered;
  const auto answerDialog = [&](const QString& name) {
    QTimer::singleShot(0, &window, [&, name] {
      auto* dialog = qobject_cast<QFileDialog*>(QApplication::activeModalWidget());
      ASSERT_NE(dialog, nullptr);
      offered = QFileInfo(dialog->selectedFiles().value(0)).fileName();
      dialog->selectFile(folder + QLatin1Char('/') + name);
      static_cast<QDialog*>(dialog)->accept();  // QFileDialog hides accept()
    });
  };
  type("Text2", QStringLiteral("10"));
  QTimer::singleShot(0, &window, [&] {
    answerDialog(QStringLiteral("during.png"));
    save->trigger();
  });
  click("Command1");
  EXPECT_EQ(offered, QStringLiteral("vornlace-draw-10.png"));
  const QImage saved =
      QImage(folder + QStringLiteral("/during.png")).convertToFormat(QImage::Format_RGB32);
  const turtle::Raster& raster = canvas()->canvas().Image();
  ASSERT_EQ(saved.size(), QSize(raster.Width(), raster.Height()));
  // Saved at the first pump, after the clear and before any curve; the sweep went on after.
  QImage black(saved.size(), QImage::Format_RGB32);
  black.fill(Qt::black);
  EXPECT_EQ(saved, black);
  EXPECT_GT(countColor(Qt::yellow), 800);

  QString message;
  type("Text2", QStringLiteral("90"));  // read by no sweep: the name stays the last sweep's
  QTimer::singleShot(0, &window, [&] {
    auto* dialog = qobject_cast<QFileDialog*>(QApplication::activeModalWidget());
    ASSERT_NE(dialog, nullptr);
    EXPECT_EQ(QDir(dialog->directory()).absolutePath(), QDir(folder).absolutePath());
    EXPECT_EQ(QFileInfo(dialog->selectedFiles().value(0)).fileName(), offered);
    QTimer::singleShot(0, &window, [&] {
      auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
      ASSERT_NE(box, nullptr);
      message = box->text();
      box->accept();
    });
    dialog->selectFile(folder + QStringLiteral("/missing/after.png"));
    static_cast<QDialog*>(dialog)->accept();
  });
  save->trigger();
  EXPECT_TRUE(message.contains(QStringLiteral("after.png"))) << message.toStdString();
  EXPECT_FALSE(QFileInfo::exists(folder + QStringLiteral("/missing/after.png")));
}

// The animation of the last sweep, written off the window's thread; closing the window abandons
// one in progress without leaving a file, finished or temporary.
TEST_F(MainWindowTest, SaveAnimationWritesTheLastSweepAndClosingLeavesNoFile) {
  const QTemporaryDir temporary;
  ASSERT_TRUE(temporary.isValid());
  const QDir folder(temporary.path());
  auto* action = window.findChild<QAction*>(QStringLiteral("SaveAnimation"));
  ASSERT_NE(action, nullptr);
  EXPECT_FALSE(action->isEnabled());  // no sweep has read its inputs yet
  QString offered;
  const auto saveAs = [&](const QString& name) {
    QTimer::singleShot(0, &window, [&, name] {
      auto* dialog = qobject_cast<QFileDialog*>(QApplication::activeModalWidget());
      ASSERT_NE(dialog, nullptr);
      offered = QFileInfo(dialog->selectedFiles().value(0)).fileName();
      dialog->selectFile(folder.filePath(name));
      static_cast<QDialog*>(dialog)->accept();
    });
    action->trigger();
  };
  type("Text2", QStringLiteral("2"));
  click("Command2");
  type("Text2", QStringLiteral("90"));  // edited after the sweep: the sweep's own 2 counts
  saveAs(QStringLiteral("short.gif"));
  EXPECT_EQ(offered, QStringLiteral("vornlace-style2-2.webp"));
  ASSERT_TRUE(QTest::qWaitFor([&] { return action->isEnabled(); }, 20000));
  QFile gif(folder.filePath(QStringLiteral("short.gif")));
  ASSERT_TRUE(gif.open(QIODevice::ReadOnly));
  EXPECT_EQ(gif.read(6), QByteArray("GIF89a"));

  // Cancelled from its progress dialog once under way, and abandoned by closing the window.
  type("Text2", QStringLiteral("180"));
  click("Command2");
  auto* progress = window.findChild<QProgressDialog*>(QStringLiteral("AnimationProgress"));
  ASSERT_NE(progress, nullptr);
  for (const bool byClosing : {false, true}) {
    saveAs(byClosing ? QStringLiteral("closed.webp") : QStringLiteral("cancelled.webp"));
    ASSERT_TRUE(QTest::qWaitFor([&] { return progress->value() > 0; }, 20000));
    if (byClosing) {
      window.close();
    } else {
      QTest::mouseClick(progress->findChild<QPushButton*>(), Qt::LeftButton);
      ASSERT_TRUE(QTest::qWaitFor([&] { return action->isEnabled(); }, 20000));
    }
    EXPECT_FALSE(progress->isVisible());
    EXPECT_EQ(folder.entryList(QDir::Files), QStringList{QStringLiteral("short.gif")});
  }
}

#if defined(__unix__)
// What Save cannot write as asked is refused in Japanese and left as it was: a FIFO, a format
// that would shrink the picture, a listed name whose bytes were not text. The system's English
// reasons come after a Japanese sentence.
TEST_F(MainWindowTest, SaveRefusesInJapaneseAndLeavesTheTargetAlone) {
  const QTemporaryDir temporary;
  ASSERT_TRUE(temporary.isValid());
  const QString folder = temporary.path() + QLatin1Char('/');
  ASSERT_EQ(mkfifo(QFile::encodeName(folder + QStringLiteral("fifo.png")).constData(), 0600), 0);
  QFile plain(folder + QStringLiteral("plain"));
  ASSERT_TRUE(plain.open(QIODevice::WriteOnly));
  plain.close();
  const QString notADirectory = QString::fromLocal8Bit(std::strerror(ENOTDIR));
  const struct {
    QString name;
    QString says;
  } cases[] = {
      {QStringLiteral("fifo.png"), QStringLiteral("通常のファイルではありません")},
      {QStringLiteral("icon.ico"),
       QStringLiteral("ICO 形式で保存できるのは 256 × 256 ピクセルまで")},
      {QStringLiteral("\uFFFD.png"), QStringLiteral("文字として読めない")},
      {QStringLiteral("plain/out.png"),
       QStringLiteral("フォルダーではないものがあります。（%1）").arg(notADirectory)},
      {QString(300, QLatin1Char('x')) + QStringLiteral(".png"),
       QStringLiteral("ファイル名が長すぎます")},
  };
  for (const auto& c : cases) {
    const QString message = saveAs(folder + c.name);
    EXPECT_TRUE(message.contains(c.says)) << message.toStdString();
    EXPECT_EQ(QDir(folder).entryList(QDir::AllEntries | QDir::NoDotAndDotDot | QDir::System),
              (QStringList{QStringLiteral("fifo.png"), QStringLiteral("plain")}));
    EXPECT_FALSE(QFileInfo(folder + QStringLiteral("fifo.png")).isFile());
  }
}
#endif

// Qt's own texts are Japanese: a text box's menu and Qt's own save dialog, labels, buttons and
// the tool buttons' tips.
TEST_F(MainWindowTest, QtsOwnMenuAndSaveDialogAreJapanese) {
  ASSERT_TRUE(window::InstallQtJapanese());
  QApplication::setAttribute(Qt::AA_DontUseNativeDialogs);
  const auto japanese = [](const QString& text) {
    return std::any_of(text.begin(), text.end(), [](QChar c) {
      return (c.unicode() >= 0x3040 && c.unicode() <= 0x30FF) ||
             (c.unicode() >= 0x4E00 && c.unicode() <= 0x9FFF);
    });
  };
  QStringList texts;
  const std::unique_ptr<QMenu> menu(child<QLineEdit>("Text1")->createStandardContextMenu());
  for (const QAction* a : menu->actions()) {
    if (!a->isSeparator()) texts << a->text();
  }
  QTimer::singleShot(0, &window, [&] {
    auto* dialog = qobject_cast<QFileDialog*>(QApplication::activeModalWidget());
    ASSERT_NE(dialog, nullptr);
    for (const QLabel* l : dialog->findChildren<QLabel*>()) {
      if (l->isVisible()) texts << l->text();
    }
    for (const QAbstractButton* b : dialog->findChildren<QAbstractButton*>()) {
      if (b->isVisible()) texts << (b->text().isEmpty() ? b->toolTip() : b->text());
    }
    dialog->reject();
  });
  child<QAction>("SaveImage")->trigger();
  EXPECT_GE(texts.size(), 15);
  for (const QString& text : texts) EXPECT_TRUE(japanese(text)) << text.toStdString();
}

// A screen reader hears what the canvas shows: the sweep drawing while it runs, and afterwards
// the last sweep to end, with its range and whether it was stopped. A sweep button pressed
// during a sweep runs a nested sweep, after which the outer one goes on.
TEST_F(MainWindowTest, CanvasDescriptionSaysWhatIsDrawnThroughNestedSweeps) {
  type("Text2", QStringLiteral("2"));
  QString during;
  QTimer::singleShot(0, &window, [&] {
    during = canvas()->accessibleDescription();
    click("Command3");
  });
  click("Command2");
  EXPECT_EQ(during, QStringLiteral("「形式２」で 0° から 2° まで描いています。"));
  EXPECT_EQ(canvas()->accessibleDescription(),
            QStringLiteral("「形式２」で 0° から 2° まで描く途中で止めました。"));
  // Style 3 inside Draw's event pump: once it ends Draw is drawing again, and Draw ends last,
  // with the yellow curve.
  bool nested = false;
  QTimer::singleShot(0, &window, [&] {
    nested = window.sweeping();
    click("Command4");
    during = canvas()->accessibleDescription();
  });
  click("Command1");
  EXPECT_TRUE(nested);
  EXPECT_FALSE(window.sweeping());
  EXPECT_GT(countColor(Qt::yellow), 800);
  EXPECT_EQ(during, QStringLiteral("「描画」で 2° から 0° まで描いています。"));
  EXPECT_EQ(canvas()->accessibleDescription(),
            QStringLiteral("「描画」で 2° から 0° まで描きました。"));
}

// While a save dialog is open, another save asked for (the keys, the menu, a sweep's event
// pump) opens nothing.
TEST_F(MainWindowTest, OneSaveDialogAtATime) {
  type("Text2", QStringLiteral("0"));
  click("Command2");  // so that an animation can be saved too
  int dialogs = 0;
  int extra = 0;
  QTimer::singleShot(0, &window, [&] {
    auto* first = QApplication::activeModalWidget();
    dialogs += qobject_cast<QFileDialog*>(first) != nullptr;
    for (const char* name : {"SaveImage", "SaveAnimation"}) {
      // A second dialog would run an event loop of its own: this closes it, and counts it.
      QTimer::singleShot(0, &window, [&, first] {
        if (QWidget* other = QApplication::activeModalWidget(); other != first) {
          ++extra;
          static_cast<QDialog*>(other)->reject();
        }
      });
      child<QAction>(name)->trigger();
    }
    static_cast<QDialog*>(first)->reject();
  });
  child<QAction>("SaveImage")->trigger();
  EXPECT_EQ(dialogs, 1);
  EXPECT_EQ(extra, 0);
}

// Copy from the canvas's menu, and with the standard key; in a text box the key copies text.
TEST_F(MainWindowTest, CopyPutsThePictureOnTheClipboardAndBoxesKeepTheirOwnCopy) {
  window.activateWindow();
  if (!QTest::qWaitFor([this] { return QGuiApplication::focusWindow() == window.windowHandle(); },
                       2000)) {
    // A compositor with no keyboard (headless weston) never gives the window the focus, and
    // keeps the clipboard from it too.
    GTEST_SKIP() << "the window cannot take the keyboard focus here";
  }
  type("Text2", QStringLiteral("0"));
  click("Command1");
  QContextMenuEvent menuRequest(QContextMenuEvent::Mouse, QPoint(20, 20),
                                canvas()->mapToGlobal(QPoint(20, 20)));
  QApplication::sendEvent(canvas(), &menuRequest);
  auto* menu = window.findChild<QMenu*>();
  ASSERT_NE(menu, nullptr);
  EXPECT_TRUE(menu->isVisible());
  ASSERT_EQ(menu->actions().size(), 3);
  for (QAction* a : menu->actions()) {
    if (a->objectName() == QLatin1String("CopyImage")) a->trigger();
  }
  menu->hide();
  const turtle::Raster& raster = canvas()->canvas().Image();
  EXPECT_EQ(QApplication::clipboard()->image().convertToFormat(QImage::Format_RGB32),
            files::ImageOf(raster));

  QApplication::clipboard()->clear();
  auto* text1 = child<QLineEdit>("Text1");
  text1->setFocus();
  text1->selectAll();
  QTest::keySequence(text1, QKeySequence::Copy);
  EXPECT_EQ(QApplication::clipboard()->text(), QStringLiteral("60"));
  EXPECT_TRUE(QApplication::clipboard()->image().isNull());
  canvas()->setFocus();
  QTest::keySequence(canvas(), QKeySequence::Copy);
  EXPECT_EQ(QApplication::clipboard()->image().convertToFormat(QImage::Format_RGB32),
            files::ImageOf(raster));
}

// A change is presented at once when a frame is due, painted before the refresh returns; one
// within the frame is held for the next ordinary paint, which tells the pacer what it showed.
TEST_F(MainWindowTest, ADueChangeIsPaintedAtOnceAndAHeldOneByTheNextPaint) {
  turtle::PresentPacer& pacer = canvas()->pacer();
  turtle::Canvas& c = canvas()->canvas();
  QApplication::processEvents();
  pacer.ResetStatistics();
  c.Image().DrawLine(10.5, 10.5, 10.5, 10.5, 0xffffffffu);
  c.Refresh();  // the first since the window opened: due
  EXPECT_EQ(pacer.Paints(), 1);
  // Right after a present the next change is held (or, after a slow moment, the one after it).
  for (int k = 0; k < 10 && pacer.Held().Empty(); ++k) {
    c.Image().DrawLine(200.5 + k, 300.5, 200.5 + k, 300.5, 0xffffffffu);
    c.Refresh();
  }
  ASSERT_FALSE(pacer.Held().Empty());
  EXPECT_TRUE(QTest::qWaitFor([&] { return pacer.Held().Empty(); }, 5000));
}

// The widget's own painting, grabbed: the raster lands one to one at the device pixel where the
// client area begins. (A grab puts the widget at a whole device pixel, the window may not: at
// some ratios the grab has room for one column or row less than the raster has.)
TEST_F(MainWindowTest, PaintingShowsTheRetainedImage) {
  type("Text2", QStringLiteral("0"));
  click("Command1");
  const QImage shot = canvas()->grab().toImage().convertToFormat(QImage::Format_RGB32);
  const qreal ratio = shot.devicePixelRatio();
  const QRectF inside(QPointF(canvas()->contentsRect().topLeft()) * ratio,
                      QSizeF(canvas()->contentsRect().size()) * ratio);
  const QPoint origin(static_cast<int>(std::floor(inside.left())),
                      static_cast<int>(std::floor(inside.top())));
  const turtle::Raster& raster = canvas()->canvas().Image();
  const int width =
      std::min(raster.Width(), static_cast<int>(std::ceil(inside.right())) - origin.x());
  const int height =
      std::min(raster.Height(), static_cast<int>(std::ceil(inside.bottom())) - origin.y());
  EXPECT_GE(width, raster.Width() - 1);
  EXPECT_GE(height, raster.Height() - 1);
  int differing = 0;
  for (int y = 0; y < height; ++y)
    for (int x = 0; x < width; ++x)
      differing += shot.pixel(origin + QPoint(x, y)) != raster.Pixel(x, y);
  EXPECT_EQ(differing, 0);
}

// What the X server shows, device pixel for device pixel: the canvas's raster fills exactly the
// area inside the border, copied one to one, and a refresh of a single pixel reaches the screen
// in any device column. Only a real screen tells: the offscreen platform's grab is cropped at
// fractional ratios, and Wayland offers no grab.
TEST_F(MainWindowTest, ScreenShowsEveryDevicePixelOfTheCanvas) {
  if (QGuiApplication::platformName() != QLatin1String("xcb")) {
    GTEST_SKIP() << "needs an X server";
  }
  const auto grab = [this] {
    return window.screen()
        ->grabWindow(window.winId())
        .toImage()
        .convertToFormat(QImage::Format_RGB32);
  };
  const turtle::Raster& raster = canvas()->canvas().Image();
  // Style 3 with a negative maximum leaves the canvas all black: its black area is the client
  // area as the screen shows it.
  type("Text2", QStringLiteral("-5"));
  click("Command4");
  QApplication::processEvents();
  QImage shot = grab();
  // Searched within the picture box and a pixel around it, away from the captions' black text.
  const qreal ratio = shot.devicePixelRatio();
  const QRect box = canvas()->geometry();
  const QRect searched =
      QRect(QPoint(0, 0), (box.bottomRight() + QPoint(2, 2)) * ratio) & shot.rect();
  QRect black;
  for (int y = 0; y < searched.height(); ++y)
    for (int x = 0; x < searched.width(); ++x)
      if (shot.pixel(x, y) == qRgb(0, 0, 0)) black |= QRect(x, y, 1, 1);
  ASSERT_EQ(black.size(), QSize(raster.Width(), raster.Height()));

  // Single pixels in ten neighbouring device columns, each refreshed and presented on its own.
  for (int k = 0; k < 10; ++k) {
    canvas()->canvas().Image().DrawLine(101.5 + k, 40.5 + k, 101.5 + k, 40.5 + k, 0xffffffffu);
    canvas()->canvas().Refresh();
    canvas()->presentNow();
  }
  shot = grab();
  for (int k = 0; k < 10; ++k) {
    EXPECT_EQ(shot.pixel(black.left() + 101 + k, black.top() + 40 + k), 0xffffffffu)
        << "device column " << 101 + k << " did not reach the screen";
  }

  type("Text2", QStringLiteral("10"));
  click("Command1");
  QApplication::processEvents();
  shot = grab();
  int differing = 0;
  for (int y = 0; y < raster.Height(); ++y)
    for (int x = 0; x < raster.Width(); ++x)
      differing += shot.pixel(black.left() + x, black.top() + y) != raster.Pixel(x, y);
  EXPECT_EQ(differing, 0);
}

// A render is the window's canvas after the same sweep in a fresh window, pixel for pixel, at
// the scale of the window's device pixel ratio.
TEST_F(MainWindowTest, RenderMatchesTheCanvasAfterTheSameSweep) {
  const qreal ratio = canvas()->devicePixelRatioF();
  const int scale = static_cast<int>(std::lround(ratio));
  if (ratio != scale) GTEST_SKIP() << "device pixel ratio " << ratio << " is not whole";
  const turtle::Raster& shown = canvas()->canvas().Image();
  auto samePixels = [&shown](const turtle::Raster& rendered) {
    return rendered.Width() == shown.Width() && rendered.Height() == shown.Height() &&
           std::equal(shown.Bits(), shown.Bits() + shown.Width() * shown.Height(), rendered.Bits());
  };
  // Style 1 with trapezoids above 30°, then style 3, which reads only the second box.
  type("Text1", QStringLiteral("30"));
  type("Text2", QStringLiteral("45.5"));
  click("Command1");
  EXPECT_TRUE(samePixels(sweeps::Render({&sweeps::kDrawSweep, 30, 45.5, scale}).image));
  type("Text2", QStringLiteral("20"));
  click("Command4");
  EXPECT_TRUE(samePixels(sweeps::Render({&sweeps::kStyle3Sweep, 0, 20, scale}).image));
}

#if defined(__GLIBC__)
// Heap in use after one sweep and after a second, identical one: a leak per curve or per sweep
// would show as growth. (Under AddressSanitizer the figures are not the heap's, and the leak
// checker takes over.)
TEST_F(MainWindowTest, ASecondSweepLeavesNoMoreMemoryInUse) {
  type("Text2", QStringLiteral("20"));
  click("Command1");
  QApplication::processEvents();
  const auto first = static_cast<long long>(mallinfo2().uordblks);
  click("Command1");
  QApplication::processEvents();
  const auto second = static_cast<long long>(mallinfo2().uordblks);
  EXPECT_LT(second - first, 16 * 1024)
      << first << " bytes in use after one sweep, " << second << " after two";
}
#endif

}  // namespace
