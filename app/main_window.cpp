#include "app/main_window.h"

#include <QAccessibleWidget>
#include <QAction>
#include <QClipboard>
#include <QCloseEvent>
#include <QContextMenuEvent>
#include <QCoreApplication>
#include <QDir>
#include <QFileDialog>
#include <QFileInfo>
#include <QGuiApplication>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QMessageBox>
#include <QProgressDialog>
#include <QPushButton>
#include <QScopedValueRollback>
#include <QShortcut>
#include <QStandardPaths>
#include <QTimer>
#include <algorithm>
#include <cmath>

#include "app/animation_export.h"
#include "app/canvas_widget.h"
#include "app/image_file.h"
#include "app/japanese_texts.h"
#include "app/qstring_number.h"
#include "sweeps/decimal_text.h"
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

// Screen readers see the window as a frame and the canvas as a canvas, where Qt would show
// both as anonymous panes; their names and descriptions are the widgets' own.
QAccessibleInterface* AccessibleRoles(const QString& className, QObject* object) {
  QAccessible::Role role = QAccessible::NoRole;
  if (className == QLatin1String(Form1::staticMetaObject.className())) role = QAccessible::Window;
  if (className == QLatin1String(CanvasWidget::staticMetaObject.className())) {
    role = QAccessible::Canvas;
  }
  if (role == QAccessible::NoRole || !object->isWidgetType()) return nullptr;
  return new QAccessibleWidget(static_cast<QWidget*>(object), role);
}

// Why the window will not try to save a picture of `size` at `path`, or an empty text. In a
// name the dialog listed, U+FFFD stands for bytes that are not UTF-8: saving would write
// another name.
QString SaveRefusal(const QString& path, const QByteArray& format, QSize size) {
  if (format.isEmpty()) return QStringLiteral("この拡張子の画像形式には保存できません。");
  const TargetRefusal refusal = RefusalOf(path);
  if (refusal == TargetRefusal::NameNotText || path.contains(QChar::ReplacementCharacter)) {
    return QStringLiteral(
        "ファイル名に文字として読めない部分があり、別の名前で保存されてしまいます。");
  }
  if (refusal == TargetRefusal::NotARegularFile) {
    return QStringLiteral(
        "保存先はデバイス、FIFO、ソケットのいずれかで、通常のファイルではありません。");
  }
  if (const ImageSizeLimit limit = SizeLimitOf(format); !Holds(limit, size)) {
    return QStringLiteral(
               "%1 形式で保存できるのは %2 × %2 ピクセルまでの%3画像です（この画像は "
               "%4 × %5 ピクセル）。")
        .arg(QString::fromLatin1(format).toUpper())
        .arg(limit.largestSide)
        .arg(limit.squareOnly ? QStringLiteral("正方形の") : QString())
        .arg(size.width())
        .arg(size.height());
  }
  return {};
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
      saveAnimationAction_(new QAction(QStringLiteral("アニメーションを保存..."), this)),
      canvasMenu_(new QMenu(this)),
      turtle_(Picture1->canvas()),
      exportProgress_(new QProgressDialog(this)),
      exportTimer_(new QTimer(this)) {
  static const bool accessibleRoles = (QAccessible::installFactory(AccessibleRoles), true);
  (void)accessibleRoles;
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
  // Each label reaches one pixel into its box; the box stays on top. The label names its box
  // for screen readers.
  Label1->stackUnder(Text1);
  Label2->stackUnder(Text2);
  Label1->setBuddy(Text1);
  Label2->setBuddy(Text2);
  Picture1->setAccessibleName(QStringLiteral("描画領域"));
  Picture1->setAccessibleDescription(QStringLiteral("まだ何も描いていません。"));

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
  }
  canvasMenu_->addActions({saveAction_, saveAnimationAction_, copyAction_});
  // The animation of the last sweep, written while the window goes on.
  saveAnimationAction_->setObjectName(QStringLiteral("SaveAnimation"));
  saveAnimationAction_->setEnabled(false);  // until a sweep has read its inputs
  connect(saveAnimationAction_, &QAction::triggered, this, &Form1::saveAnimation);
  exportProgress_->setObjectName(QStringLiteral("AnimationProgress"));
  exportProgress_->setWindowTitle(QStringLiteral("アニメーションを保存"));
  exportProgress_->setLabelText(QStringLiteral("アニメーションを書き出しています..."));
  exportProgress_->setCancelButtonText(QStringLiteral("キャンセル"));
  exportProgress_->setWindowModality(Qt::NonModal);  // the window stays in use meanwhile
  exportProgress_->setMinimumDuration(0);
  exportProgress_->setAutoReset(false);
  exportProgress_->setAutoClose(false);
  exportProgress_->reset();
  connect(exportProgress_, &QProgressDialog::canceled, this, [this] {
    if (export_) export_->Cancel();
  });
  exportTimer_->setInterval(100);
  connect(exportTimer_, &QTimer::timeout, this, &Form1::showProgress);
  connect(saveAction_, &QAction::triggered, this, &Form1::saveImage);
  connect(copyAction_, &QAction::triggered, this, &Form1::copyImage);
  Picture1->setContextMenuPolicy(Qt::CustomContextMenu);
  connect(Picture1, &QWidget::customContextMenuRequested, this,
          [this](QPoint at) { canvasMenu_->popup(Picture1->mapToGlobal(at)); });
  // Shift+F10 opens the context menu of the control with the focus, as the Menu key does; Qt
  // 6.4 maps only the Menu key by itself.
  connect(new QShortcut(QKeySequence(Qt::SHIFT | Qt::Key_F10), this), &QShortcut::activated, this,
          &Form1::openFocusedContextMenu);
}

void Form1::Command1_Click() { sweepFromButton(sweeps::kDrawSweep); }
void Form1::Command2_Click() { sweepFromButton(sweeps::kStyle2Sweep); }
void Form1::Command4_Click() { sweepFromButton(sweeps::kStyle3Sweep); }
void Form1::Command3_Click() { state_.StopRequested = -1; }

void Form1::sweepFromButton(const sweeps::SweepPlan& plan) {
  sweeps::SweepHost host{Picture1->canvas(),
                         turtle_,
                         state_,
                         [this] { return NumberFromQString(Text1->text()); },
                         [this] { return NumberFromQString(Text2->text()); },
                         {}};
  const QString outerDescription = Picture1->accessibleDescription();
  sweeps::Sweep sweep(plan, host);
  if (!sweep.Started()) return;
  // What this sweep read names its picture, and the canvas says what is being drawn.
  const sweeps::SweepInputs read = state_.LastRead;
  saveAnimationAction_->setEnabled(export_ == nullptr);
  Picture1->setAccessibleDescription(canvasDescription(read, std::nullopt));
  // The window's events before every pass: a stop, a repaint or another sweep happen here.
  while (sweep.Running()) {
    QCoreApplication::processEvents();
    sweep.Step();
  }
  // A sweep that ran inside another one's event pump hands the description back to it.
  Picture1->setAccessibleDescription(sweeping() ? outerDescription
                                                : canvasDescription(read, sweep.End()));
  // Whatever was drawn after the last refresh point or held back by the pacing, or a clear with
  // nothing drawn after it, reaches the screen now that the handler ends.
  Picture1->canvas().Refresh();
  Picture1->presentNow();
}

Form1::~Form1() = default;

QString Form1::askSavePath(const QString& title, const QString& name, const QString& defaultSuffix,
                           const QStringList& filters) {
  if (saveFolder_.isEmpty()) {
    saveFolder_ = QStandardPaths::writableLocation(QStandardPaths::PicturesLocation);
    if (saveFolder_.isEmpty()) saveFolder_ = QDir::homePath();
  }
  QFileDialog dialog(this, title, saveFolder_);
  dialog.setObjectName(QStringLiteral("SaveDialog"));
  dialog.setAcceptMode(QFileDialog::AcceptSave);
  dialog.setDefaultSuffix(defaultSuffix);
  dialog.setNameFilters(filters);
  dialog.selectFile(name);
  if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty()) return {};
  const QString path = dialog.selectedFiles().constFirst();
  saveFolder_ = QFileInfo(path).absolutePath();
  return path;
}

void Form1::warnNotSaved(const QString& title, const QString& text) {
  auto* box = new QMessageBox(QMessageBox::Warning, title, text, QMessageBox::Ok, this);
  box->setAttribute(Qt::WA_DeleteOnClose);
  box->open();
}

QString Form1::canvasDescription(const sweeps::SweepInputs& sweep,
                                 std::optional<sweeps::SweepEnd> end) const {
  const sweeps::SweepPlan& plan = *sweep.plan;
  const QPushButton* button = &plan == &sweeps::kDrawSweep     ? Command1
                              : &plan == &sweeps::kStyle2Sweep ? Command2
                                                               : Command4;
  const QString top =
      QString::fromStdString(sweeps::ShortestDecimal(sweep.sweepMax)) + QStringLiteral("°");
  const QString zero = QStringLiteral("0°");
  const QString range =
      QStringLiteral("%1 から %2 まで").arg(plan.step < 0 ? top : zero, plan.step < 0 ? zero : top);
  const QString action = !end ? QStringLiteral("描いています")
                         : *end == sweeps::SweepEnd::Stopped
                             ? QStringLiteral("描く途中で止めました")
                             : QStringLiteral("描きました");
  return QStringLiteral("「%1」で %2%3。").arg(button->text(), range, action);
}

void Form1::openFocusedContextMenu() {
  QWidget* target = focusWidget();
  if (target == nullptr) return;
  // Where the Menu key puts it: at the text cursor in a text box, in the middle elsewhere.
  const QRect cursor = target->inputMethodQuery(Qt::ImCursorRectangle).toRect();
  const QPoint at = cursor.isValid() ? cursor.center() : target->rect().center();
  QContextMenuEvent request(QContextMenuEvent::Keyboard, at, target->mapToGlobal(at));
  QCoreApplication::sendEvent(target, &request);
}

void Form1::saveImage() {
  // One dialog at a time: while it is open it holds the window's input, and a sweep that asked
  // for it from its event pump waits until it closes.
  if (saving_ || state_.Closing) return;
  const QScopedValueRollback<bool> saving(saving_, true);

  // The picture as it stands now, in device pixels, whatever a sweep draws while we ask.
  const QImage image = ImageOf(Picture1->canvas().Image());
  const QString title = QStringLiteral("画像を保存");
  const QString path = askSavePath(
      title, QString::fromStdString(state_.LastRead.FileStem()) + QStringLiteral(".png"),
      QStringLiteral("png"),
      {QStringLiteral("PNG 画像 (*.png)"),
       QStringLiteral("画像 (*.png *.jpg *.jpeg *.bmp *.ppm *.tif *.tiff *.webp)"),
       QStringLiteral("すべてのファイル (*)")});
  if (path.isEmpty()) return;

  const QByteArray format = ImageFormatFor(path);
  QString error = SaveRefusal(path, format, image.size());
  if (error.isEmpty()) {
    if (WriteImageFile(image, path, format, &error)) return;
    error = FileErrorInJapanese(error);
  }
  QMessageBox::warning(this, title,
                       QStringLiteral("画像を %1 に保存できませんでした。\n%2")
                           .arg(QDir::toNativeSeparators(path), error));
}

void Form1::saveAnimation() {
  const sweeps::SweepInputs last = state_.LastRead;
  if (saving_ || state_.Closing || export_ || last.plan == nullptr) return;
  const QScopedValueRollback<bool> saving(saving_, true);

  // The sweep that last read its inputs, with those inputs, on a canvas of its own at the
  // screen's whole device pixel ratio.
  animation::AnimationRequest request;
  request.render.plan = last.plan;
  request.render.style1Max = last.plan->readsStyle1Max ? last.style1Max : 0.0;
  request.render.sweepMax = last.sweepMax;
  request.render.scale =
      std::clamp(static_cast<int>(std::lround(devicePixelRatioF())), 1, sweeps::kMaxRenderScale);
  const QString title = QStringLiteral("アニメーションを保存");
  if (sweeps::SweepNeverEnds(request.render.sweepMax) ||
      animation::FramesIn(request) > animation::kMaxFrames) {
    warnNotSaved(title, QStringLiteral("このスイープはアニメーションにするには長すぎます（%1 "
                                       "コマまで）。表示最大値を小さくしてください。")
                            .arg(animation::kMaxFrames));
    return;
  }
  const QString path =
      askSavePath(title, QString::fromStdString(last.FileStem()) + QStringLiteral(".webp"),
                  QStringLiteral("webp"),
                  {QStringLiteral("WebP アニメーション (*.webp)"),
                   QStringLiteral("GIF アニメーション (*.gif)")});
  if (path.isEmpty() || state_.Closing) return;
  const QByteArray format = AnimationFormatFor(path);
  const QSize size(sweeps::kCanvasWidth * request.render.scale,
                   sweeps::kCanvasHeight * request.render.scale);
  if (const QString refusal = format.isEmpty()
                                  ? QStringLiteral("WebP か GIF の拡張子を付けてください。")
                                  : SaveRefusal(path, format, size);
      !refusal.isEmpty()) {
    warnNotSaved(title, QStringLiteral("アニメーションを %1 に保存できませんでした。\n%2")
                            .arg(QDir::toNativeSeparators(path), refusal));
    return;
  }
  request.format = format == "gif" ? animation::Format::Gif : animation::Format::WebP;

  export_ = std::make_unique<AnimationExport>(request, path);
  connect(export_.get(), &AnimationExport::Finished, this, &Form1::animationFinished);
  exportProgress_->setRange(0, 0);
  exportProgress_->setValue(0);
  exportProgress_->show();
  exportTimer_->start();
  saveAnimationAction_->setEnabled(false);
}

void Form1::showProgress() {
  if (!export_) return;
  const std::uint64_t total = export_->CurvesTotal();
  if (total == 0) return;
  exportProgress_->setRange(0, 1000);
  exportProgress_->setValue(static_cast<int>(1000 * export_->CurvesDone() / total));
}

void Form1::animationFinished(bool written, const QString& error) {
  if (!export_) return;
  const QString path = export_->Path();
  // This runs inside the export's own signal: delete it once the signal has returned.
  export_.release()->deleteLater();
  exportTimer_->stop();
  exportProgress_->reset();
  exportProgress_->hide();
  saveAnimationAction_->setEnabled(state_.LastRead.plan != nullptr);
  if (written || error.isEmpty()) return;
  warnNotSaved(QStringLiteral("アニメーションを保存"),
               QStringLiteral("アニメーションを %1 に保存できませんでした。\n%2")
                   .arg(QDir::toNativeSeparators(path), FileErrorInJapanese(error)));
}

void Form1::copyImage() {
  QGuiApplication::clipboard()->setImage(ImageOf(Picture1->canvas().Image()));
}

void Form1::closeEvent(QCloseEvent* e) {
  // A sweep suspended in its event pump sees this at its next check and ends without drawing
  // again; the window object itself lives until the event loop has returned.
  state_.Closing = true;
  // An animation being written is abandoned, and leaves no file.
  export_.reset();
  exportTimer_->stop();
  exportProgress_->hide();
  e->accept();
}

}  // namespace app
