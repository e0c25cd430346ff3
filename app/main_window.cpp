#include "app/main_window.h"

#include <QAction>
#include <QClipboard>
#include <QCloseEvent>
#include <QCoreApplication>
#include <QDir>
#include <QFileDialog>
#include <QFileInfo>
#include <QGuiApplication>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QMessageBox>
#include <QPushButton>
#include <QScopedValueRollback>
#include <QStandardPaths>

#include "app/canvas_widget.h"
#include "app/image_file.h"
#include "app/qstring_number.h"
#include "sweeps/render.h"

namespace app {

namespace {

// Layout in logical pixels (15 twips each): the client area and every control's rectangle.
constexpr QSize kClientSize(799, 460);
constexpr QRect kPicture1(16, 8, 577, 417);
constexpr QSize kPicture1Inside(sweeps::kCanvasWidth, sweeps::kCanvasHeight);
constexpr QRect kCommand1(640, 8, 73, 25);
constexpr QRect kText1(680, 40, 41, 25);
constexpr QRect kLabel1(608, 48, 73, 17);
constexpr QRect kText2(680, 72, 41, 25);
constexpr QRect kLabel2(608, 80, 73, 17);
constexpr QRect kCommand2(632, 120, 81, 25);
constexpr QRect kCommand4(632, 152, 81, 25);
constexpr QRect kCommand3(632, 184, 81, 25);
constexpr int kCaptionPixels = 12;

template <class W>
W* Place(W* widget, const char* name, const QRect& geometry) {
  widget->setObjectName(QLatin1String(name));
  widget->setGeometry(geometry);
  return widget;
}

}  // namespace

Form1::Form1(QWidget* parent)
    : QWidget(parent),
      Picture1(Place(new CanvasWidget(kPicture1Inside, this), "Picture1", kPicture1)),
      Command1(Place(new QPushButton(QStringLiteral("描画"), this), "Command1", kCommand1)),
      Text1(Place(new QLineEdit(QStringLiteral("60"), this), "Text1", kText1)),
      Label1(Place(new QLabel(QStringLiteral("形式1最大値"), this), "Label1", kLabel1)),
      Text2(Place(new QLineEdit(QStringLiteral("90"), this), "Text2", kText2)),
      Label2(Place(new QLabel(QStringLiteral("表示最大値"), this), "Label2", kLabel2)),
      Command2(Place(new QPushButton(QStringLiteral("形式２"), this), "Command2", kCommand2)),
      Command3(Place(new QPushButton(QStringLiteral("描画中止"), this), "Command3", kCommand3)),
      Command4(Place(new QPushButton(QStringLiteral("形式3"), this), "Command4", kCommand4)),
      saveAction_(new QAction(QStringLiteral("画像を保存..."), this)),
      copyAction_(new QAction(QStringLiteral("画像をコピー"), this)),
      canvasMenu_(new QMenu(this)),
      turtle_(Picture1->canvas()) {
  setObjectName(QStringLiteral("Form1"));
  setWindowTitle(QStringLiteral("Form1"));
  resize(kClientSize);

  // The controls stand at fixed pixel rectangles sized for a 12-pixel font, so the captions
  // take that size whatever the desktop's default size is, and keep the desktop's family (the
  // Japanese glyphs come through font fallback). Larger text comes with a scaled display, which
  // scales the whole layout alike.
  QFont captions = font();
  captions.setPixelSize(kCaptionPixels);
  setFont(captions);
  // Each label reaches one pixel into its box; the box stays on top.
  Label1->stackUnder(Text1);
  Label2->stackUnder(Text2);

  // Tab order: the canvas, Draw, the two boxes, style 2, stop, style 3 (the stop button comes
  // before style 3 here although it stands below it). Labels take no focus.
  QWidget::setTabOrder(Picture1, Command1);
  QWidget::setTabOrder(Command1, Text1);
  QWidget::setTabOrder(Text1, Text2);
  QWidget::setTabOrder(Text2, Command2);
  QWidget::setTabOrder(Command2, Command3);
  QWidget::setTabOrder(Command3, Command4);
  for (QPushButton* b : {Command1, Command2, Command3, Command4}) b->setAutoDefault(false);

  connect(Command1, &QPushButton::clicked, this, &Form1::Command1_Click);
  connect(Command2, &QPushButton::clicked, this, &Form1::Command2_Click);
  connect(Command3, &QPushButton::clicked, this, &Form1::Command3_Click);
  connect(Command4, &QPushButton::clicked, this, &Form1::Command4_Click);

  // Save and Copy: the platform's standard keys anywhere in the window (a text box with the
  // focus keeps Copy for its own text), and the canvas's context menu. The menu pops up without
  // an event loop of its own, so it adds nothing to what a sweep's event pump can nest.
  saveAction_->setObjectName(QStringLiteral("SaveImage"));
  saveAction_->setShortcut(QKeySequence::Save);
  copyAction_->setObjectName(QStringLiteral("CopyImage"));
  copyAction_->setShortcut(QKeySequence::Copy);
  for (QAction* a : {saveAction_, copyAction_}) {
    a->setShortcutContext(Qt::WindowShortcut);
    addAction(a);
    canvasMenu_->addAction(a);
  }
  connect(saveAction_, &QAction::triggered, this, &Form1::saveImage);
  connect(copyAction_, &QAction::triggered, this, &Form1::copyImage);
  Picture1->setContextMenuPolicy(Qt::CustomContextMenu);
  connect(Picture1, &QWidget::customContextMenuRequested, this,
          [this](QPoint at) { canvasMenu_->popup(Picture1->mapToGlobal(at)); });
}

void Form1::Command1_Click() { sweepFromButton(sweeps::kDrawSweep); }
void Form1::Command2_Click() { sweepFromButton(sweeps::kStyle2Sweep); }
void Form1::Command4_Click() { sweepFromButton(sweeps::kStyle3Sweep); }
void Form1::Command3_Click() { state_.StopRequested = -1; }

void Form1::sweepFromButton(const sweeps::SweepPlan& plan) {
  // Every sweep reads the second box, once, when it has really started: that names the picture.
  const auto readText2 = [this, &plan] {
    lastSweep_ = &plan;
    return NumberFromQString(Text2->text());
  };
  sweeps::SweepHost host{Picture1->canvas(),
                         turtle_,
                         state_,
                         [this] { return NumberFromQString(Text1->text()); },
                         readText2,
                         [] { QCoreApplication::processEvents(); }};
  if (sweeps::RunSweep(plan, host) == sweeps::SweepEnd::NotStarted) return;
  // Whatever was drawn after the last refresh point or held back by the pacing, or a clear with
  // nothing drawn after it, reaches the screen now that the handler ends.
  Picture1->canvas().Refresh();
  Picture1->presentNow();
}

void Form1::saveImage() {
  // One dialog at a time: while it is open it holds the window's input, and a sweep that asked
  // for it from its event pump waits until it closes.
  if (saving_ || state_.Closing) return;
  const QScopedValueRollback<bool> saving(saving_, true);

  // The picture as it stands now, in device pixels, whatever a sweep draws while we ask.
  const QImage image = ImageOf(Picture1->canvas().Image());
  if (saveFolder_.isEmpty()) {
    saveFolder_ = QStandardPaths::writableLocation(QStandardPaths::PicturesLocation);
    if (saveFolder_.isEmpty()) saveFolder_ = QDir::homePath();
  }
  const QString title = QStringLiteral("画像を保存");
  QFileDialog dialog(this, title, saveFolder_);
  dialog.setObjectName(QStringLiteral("SaveImageDialog"));
  dialog.setAcceptMode(QFileDialog::AcceptSave);
  dialog.setDefaultSuffix(QStringLiteral("png"));
  dialog.setNameFilters(
      {QStringLiteral("PNG 画像 (*.png)"),
       QStringLiteral("画像 (*.png *.jpg *.jpeg *.bmp *.ppm *.tif *.tiff *.webp)"),
       QStringLiteral("すべてのファイル (*)")});
  dialog.selectFile(
      QString::fromStdString(sweeps::SuggestedImageName(lastSweep_, state_.SweepMaxAngle)));
  if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty()) return;
  const QString path = dialog.selectedFiles().constFirst();
  saveFolder_ = QFileInfo(path).absolutePath();

  const QByteArray format = ImageFormatFor(path);
  QString error;
  if (format.isEmpty()) {
    error = QStringLiteral("この拡張子の画像形式には保存できません。");
  } else if (WriteImageFile(image, path, format, &error)) {
    return;
  }
  QMessageBox::warning(this, title,
                       QStringLiteral("画像を %1 に保存できませんでした。\n%2")
                           .arg(QDir::toNativeSeparators(path), error));
}

void Form1::copyImage() {
  QGuiApplication::clipboard()->setImage(ImageOf(Picture1->canvas().Image()));
}

void Form1::closeEvent(QCloseEvent* e) {
  // A sweep suspended in its event pump sees this at its next check and ends without drawing
  // again; the window object itself lives until the event loop has returned.
  state_.Closing = true;
  e->accept();
}

}  // namespace app
