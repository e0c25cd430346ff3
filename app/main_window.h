#pragma once
// Form1: the program's one window. The canvas Picture1 on the left; on the right the Draw,
// style-2, style-3 and stop buttons and the two boxes with their labels, all at fixed
// positions that stay put when the window is resized. The window owns the turtle and the
// sweep state; each sweep button runs its sweep inside its click handler. The picture can be
// saved to a file or copied, from the canvas's context menu or with the standard keys, also
// while a sweep draws. Screen readers find every control by name, the canvas with a description
// of what it shows; every action has a key.

#include <QWidget>
#include <memory>
#include <optional>

#include "sweeps/sweeps.h"
#include "turtle/turtle.h"

class QAction;
class QLabel;
class QLineEdit;
class QMenu;
class QProgressDialog;
class QPushButton;
class QTimer;

namespace app {

class AnimationExport;
class CanvasWidget;

class Form1 final : public QWidget {
  Q_OBJECT

 public:
  explicit Form1(QWidget* parent = nullptr);
  ~Form1() override;

  [[nodiscard]] const sweeps::SweepState& sweepState() const noexcept { return state_; }
  [[nodiscard]] const turtle::Turtle& turtleState() const noexcept { return turtle_; }
  [[nodiscard]] bool sweeping() const noexcept { return state_.RunningSweeps > 0; }

 protected:
  void closeEvent(QCloseEvent* e) override;

 private:
  void Command1_Click();
  void Command2_Click();
  void Command3_Click();
  void Command4_Click();
  void sweepFromButton(const sweeps::SweepPlan& plan);
  // What the canvas shows, for screen readers: the sweep drawing (end empty) or drawn last.
  [[nodiscard]] QString canvasDescription(const sweeps::SweepInputs& sweep,
                                          std::optional<sweeps::SweepEnd> end) const;
  void openFocusedContextMenu();
  void saveImage();
  void copyImage();
  void saveAnimation();
  void animationFinished(bool written, const QString& error);
  void showProgress();
  // Asks where to save, offering `name` in the folder saved to last (at first the pictures
  // folder); empty when the user cancels. Runs the file dialog's own event loop.
  [[nodiscard]] QString askSavePath(const QString& title, const QString& name,
                                    const QString& defaultSuffix, const QStringList& filters);
  // A warning about a file that could not be written, without an event loop of its own.
  void warnNotSaved(const QString& title, const QString& text);

  CanvasWidget* Picture1;
  QPushButton* Command1;
  QLineEdit* Text1;
  QLabel* Label1;
  QLineEdit* Text2;
  QLabel* Label2;
  QPushButton* Command2;
  QPushButton* Command3;
  QPushButton* Command4;

  QAction* saveAction_;
  QAction* copyAction_;
  QAction* saveAnimationAction_;
  QMenu* canvasMenu_;

  turtle::Turtle turtle_;
  sweeps::SweepState state_;
  QString saveFolder_;   // where the last save went, in this run only
  bool saving_ = false;  // the save dialog (or its message) is open
  // The animation being written, with its progress; at most one at a time.
  std::unique_ptr<AnimationExport> export_;
  QProgressDialog* exportProgress_;
  QTimer* exportTimer_;
};

}  // namespace app
