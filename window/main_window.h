#pragma once
// Form1: the program's one window, built from the form's table (form/form.h): the canvas
// Picture1 on the left; on the right the Draw, style-2, style-3 and stop buttons and the two
// boxes with their labels, all at fixed positions that stay put when the window is resized.
// The window owns the turtle and the sweep state; a sweep button runs its sweep inside its
// click handler, pumping the window's events before every curve. The picture actions (save,
// copy, the animation) and what screen readers are told live in units of their own.

#include <QWidget>
#include <memory>

#include "form/form.h"
#include "sweeps/sweeps.h"
#include "turtle/turtle.h"

class QLabel;
class QLineEdit;
class QPushButton;

namespace window {

class CanvasWidget;
class PictureActions;

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
  // Makes every control of the form's table and returns the canvas.
  CanvasWidget* BuildControls();
  template <class W>
  [[nodiscard]] W* Control(std::string_view name) const;
  void Press(const form::Control& button);
  void SweepFromButton(const sweeps::SweepPlan& plan);

  CanvasWidget* Picture1;
  QPushButton* Command1;
  QLineEdit* Text1;
  QLabel* Label1;
  QLineEdit* Text2;
  QLabel* Label2;
  QPushButton* Command2;
  QPushButton* Command3;
  QPushButton* Command4;

  turtle::Turtle turtle_;
  sweeps::SweepState state_;
  std::unique_ptr<PictureActions> actions_;
};

}  // namespace window
