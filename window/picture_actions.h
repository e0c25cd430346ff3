#pragma once
// What the window does with its picture: Save (a file dialog, then the picture as it stands in
// any format Qt writes), Copy (the clipboard), and Save Animation (the last sweep rendered again
// off-screen and encoded on a thread of its own, with a progress dialog that can cancel it,
// while the window stays in use). Save and Copy have the platform's standard keys anywhere in
// the window; all three are on the canvas's context menu, which the Menu key and Shift+F10 open
// on the control with the focus. Pictures are taken at the screen's full resolution, also while
// a sweep draws. Nothing is remembered after the program ends.

#include <QObject>
#include <QString>
#include <QStringList>
#include <memory>

#include "animation/animate.h"
#include "sweeps/sweeps.h"
#include "window/japanese_texts.h"

class QAction;
class QMenu;
class QProgressDialog;
class QTimer;
class QWidget;

namespace window {

class AnimationExport;
class CanvasWidget;

class PictureActions final : public QObject {
  Q_OBJECT

 public:
  // Adds the actions to `window` and the menu to `canvas`; reads which sweep last read its
  // inputs, and whether the window is closing, from `state`. All three outlive this object.
  PictureActions(QWidget& window, CanvasWidget& canvas, const sweeps::SweepState& state);
  ~PictureActions() override;

  // A sweep has read its inputs: its animation can be saved, once none is being written.
  void SweepStarted();
  // The window is closing: an animation being written is abandoned and leaves no file.
  void Abandon();

 private:
  void SaveImage();
  void CopyImage();
  void SaveAnimation();
  void StartExport(const animation::AnimationRequest& request, const QString& path);
  void AnimationFinished(bool written, const QString& error);
  void ShowProgress();
  void OpenFocusedContextMenu();
  // Asks where to save, offering `name` in the folder saved to last (at first the pictures
  // folder); empty when the user cancels. Runs the file dialog's own event loop.
  [[nodiscard]] QString AskSavePath(Saved what, const QString& name, const QString& defaultSuffix,
                                    const QStringList& filters);
  // A warning about a file that was not saved, without an event loop of its own.
  void WarnNotSaved(Saved what, const QString& text);

  QWidget& window_;
  CanvasWidget& canvas_;
  const sweeps::SweepState& state_;
  QAction* saveAction_;
  QAction* copyAction_;
  QAction* saveAnimationAction_;
  QMenu* canvasMenu_;
  QString saveFolder_;   // where the last save went, in this run only
  bool saving_ = false;  // the save dialog (or its message) is open
  // The animation being written, with its progress; at most one at a time.
  std::unique_ptr<AnimationExport> export_;
  QProgressDialog* exportProgress_;
  QTimer* exportTimer_;
};

}  // namespace window
