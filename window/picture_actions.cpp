#include "window/picture_actions.h"

#include <QAction>
#include <QClipboard>
#include <QContextMenuEvent>
#include <QCoreApplication>
#include <QDir>
#include <QFileDialog>
#include <QFileInfo>
#include <QGuiApplication>
#include <QMenu>
#include <QMessageBox>
#include <QProgressDialog>
#include <QScopedValueRollback>
#include <QShortcut>
#include <QStandardPaths>
#include <QTimer>
#include <algorithm>
#include <cmath>

#include "files/image_file.h"
#include "sweeps/render.h"
#include "window/animation_export.h"
#include "window/canvas_widget.h"

namespace window {

namespace {

QString Ellipsis(const QString& caption) { return caption + QStringLiteral("..."); }

}  // namespace

PictureActions::PictureActions(QWidget& window, CanvasWidget& canvas,
                               const sweeps::SweepState& state)
    : QObject(&window),
      window_(window),
      canvas_(canvas),
      state_(state),
      saveAction_(new QAction(Ellipsis(SaveTitle(Saved::Picture)), this)),
      copyAction_(new QAction(QStringLiteral("画像をコピー"), this)),
      saveAnimationAction_(new QAction(Ellipsis(SaveTitle(Saved::Animation)), this)),
      canvasMenu_(new QMenu(&window)),
      exportProgress_(new QProgressDialog(&window)),
      exportTimer_(new QTimer(this)) {
  // Save and Copy: the platform's standard keys anywhere in the window (a text box with the
  // focus keeps Copy for its own text), and the canvas's context menu. The menu pops up without
  // an event loop of its own, so it adds nothing to what a sweep's event pump can nest.
  saveAction_->setObjectName(QStringLiteral("SaveImage"));
  saveAction_->setShortcut(QKeySequence::Save);
  copyAction_->setObjectName(QStringLiteral("CopyImage"));
  copyAction_->setShortcut(QKeySequence::Copy);
  for (QAction* a : {saveAction_, copyAction_}) {
    a->setShortcutContext(Qt::WindowShortcut);
    window.addAction(a);
  }
  canvasMenu_->addActions({saveAction_, saveAnimationAction_, copyAction_});
  saveAnimationAction_->setObjectName(QStringLiteral("SaveAnimation"));
  saveAnimationAction_->setEnabled(false);  // until a sweep has read its inputs
  connect(saveAction_, &QAction::triggered, this, &PictureActions::SaveImage);
  connect(copyAction_, &QAction::triggered, this, &PictureActions::CopyImage);
  connect(saveAnimationAction_, &QAction::triggered, this, &PictureActions::SaveAnimation);
  canvas.setContextMenuPolicy(Qt::CustomContextMenu);
  connect(&canvas, &QWidget::customContextMenuRequested, this,
          [this](QPoint at) { canvasMenu_->popup(canvas_.mapToGlobal(at)); });
  // Shift+F10 opens the context menu of the control with the focus, as the Menu key does; Qt
  // 6.4 maps only the Menu key by itself.
  connect(new QShortcut(QKeySequence(Qt::SHIFT | Qt::Key_F10), &window), &QShortcut::activated,
          this, &PictureActions::OpenFocusedContextMenu);

  exportProgress_->setObjectName(QStringLiteral("AnimationProgress"));
  exportProgress_->setWindowTitle(SaveTitle(Saved::Animation));
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
  connect(exportTimer_, &QTimer::timeout, this, &PictureActions::ShowProgress);
}

PictureActions::~PictureActions() = default;

void PictureActions::SweepStarted() { saveAnimationAction_->setEnabled(export_ == nullptr); }

void PictureActions::Abandon() {
  export_.reset();
  exportTimer_->stop();
  exportProgress_->hide();
}

void PictureActions::OpenFocusedContextMenu() {
  QWidget* target = window_.focusWidget();
  if (target == nullptr) return;
  // Where the Menu key puts it: at the text cursor in a text box, in the middle elsewhere.
  const QRect cursor = target->inputMethodQuery(Qt::ImCursorRectangle).toRect();
  const QPoint at = cursor.isValid() ? cursor.center() : target->rect().center();
  QContextMenuEvent request(QContextMenuEvent::Keyboard, at, target->mapToGlobal(at));
  QCoreApplication::sendEvent(target, &request);
}

QString PictureActions::AskSavePath(Saved what, const QString& name, const QString& defaultSuffix,
                                    const QStringList& filters) {
  if (saveFolder_.isEmpty()) {
    saveFolder_ = QStandardPaths::writableLocation(QStandardPaths::PicturesLocation);
    if (saveFolder_.isEmpty()) saveFolder_ = QDir::homePath();
  }
  QFileDialog dialog(&window_, SaveTitle(what), saveFolder_);
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

void PictureActions::WarnNotSaved(Saved what, const QString& text) {
  auto* box =
      new QMessageBox(QMessageBox::Warning, SaveTitle(what), text, QMessageBox::Ok, &window_);
  box->setAttribute(Qt::WA_DeleteOnClose);
  box->open();
}

void PictureActions::SaveImage() {
  // One dialog at a time: while it is open it holds the window's input, and a sweep that asked
  // for it from its event pump waits until it closes.
  if (saving_ || state_.Closing) return;
  const QScopedValueRollback<bool> saving(saving_, true);

  // The picture as it stands now, in device pixels, whatever a sweep draws while we ask.
  const QImage image = files::ImageOf(canvas_.canvas().Image());
  const QString path = AskSavePath(
      Saved::Picture, QString::fromStdString(state_.LastRead.FileStem()) + QStringLiteral(".png"),
      QStringLiteral("png"),
      {QStringLiteral("PNG 画像 (*.png)"),
       QStringLiteral("画像 (*.png *.jpg *.jpeg *.bmp *.ppm *.tif *.tiff *.webp)"),
       QStringLiteral("すべてのファイル (*)")});
  if (path.isEmpty()) return;

  const QByteArray format = files::ImageFormatFor(path);
  QString error = SaveRefusal(path, format, image.size());
  if (error.isEmpty()) {
    if (files::WriteImageFile(image, path, format, &error)) return;
    error = FileErrorInJapanese(error);
  }
  QMessageBox::warning(&window_, SaveTitle(Saved::Picture), NotSaved(Saved::Picture, path, error));
}

void PictureActions::CopyImage() {
  QGuiApplication::clipboard()->setImage(files::ImageOf(canvas_.canvas().Image()));
}

void PictureActions::SaveAnimation() {
  const sweeps::SweepInputs last = state_.LastRead;
  if (saving_ || state_.Closing || export_ || last.plan == nullptr) return;
  const QScopedValueRollback<bool> saving(saving_, true);

  // The sweep that last read its inputs, with those inputs, on a canvas of its own at the
  // screen's whole device pixel ratio.
  animation::AnimationRequest request;
  request.render.plan = last.plan;
  request.render.style1Max = last.plan->readsStyle1Max ? last.style1Max : 0.0;
  request.render.sweepMax = last.sweepMax;
  request.render.scale = std::clamp(static_cast<int>(std::lround(canvas_.devicePixelRatioF())), 1,
                                    sweeps::kMaxRenderScale);
  if (animation::ProblemOf(request) != animation::RequestProblem::None) {
    WarnNotSaved(Saved::Animation,
                 QStringLiteral("このスイープはアニメーションにするには長すぎます（%1 "
                                "コマまで）。表示最大値を小さくしてください。")
                     .arg(animation::kMaxFrames));
    return;
  }
  const QString path = AskSavePath(
      Saved::Animation, QString::fromStdString(last.FileStem()) + QStringLiteral(".webp"),
      QStringLiteral("webp"),
      {QStringLiteral("WebP アニメーション (*.webp)"),
       QStringLiteral("GIF アニメーション (*.gif)")});
  if (path.isEmpty() || state_.Closing) return;
  const QByteArray format = files::AnimationFormatFor(path);
  const auto [width, height] = sweeps::RenderSize(request.render.scale);
  if (const QString refusal = format.isEmpty()
                                  ? QStringLiteral("WebP か GIF の拡張子を付けてください。")
                                  : SaveRefusal(path, format, QSize(width, height));
      !refusal.isEmpty()) {
    WarnNotSaved(Saved::Animation, NotSaved(Saved::Animation, path, refusal));
    return;
  }
  request.format = format == "gif" ? animation::Format::Gif : animation::Format::WebP;
  StartExport(request, path);
}

void PictureActions::StartExport(const animation::AnimationRequest& request, const QString& path) {
  export_ = std::make_unique<AnimationExport>(request, path);
  connect(export_.get(), &AnimationExport::Finished, this, &PictureActions::AnimationFinished);
  exportProgress_->setRange(0, 0);
  exportProgress_->setValue(0);
  exportProgress_->show();
  exportTimer_->start();
  saveAnimationAction_->setEnabled(false);
}

void PictureActions::ShowProgress() {
  if (!export_) return;
  const std::uint64_t total = export_->CurvesTotal();
  if (total == 0) return;
  exportProgress_->setRange(0, 1000);
  exportProgress_->setValue(static_cast<int>(1000 * export_->CurvesDone() / total));
}

void PictureActions::AnimationFinished(bool written, const QString& error) {
  if (!export_) return;
  const QString path = export_->Path();
  // This runs inside the export's own signal: delete it once the signal has returned.
  export_.release()->deleteLater();
  exportTimer_->stop();
  exportProgress_->reset();
  exportProgress_->hide();
  saveAnimationAction_->setEnabled(state_.LastRead.plan != nullptr);
  if (written || error.isEmpty()) return;
  WarnNotSaved(Saved::Animation, NotSaved(Saved::Animation, path, FileErrorInJapanese(error)));
}

}  // namespace window
