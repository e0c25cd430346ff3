#pragma once
// Form1: the program's one window. The canvas Picture1 on the left; on the right the Draw,
// style-2, style-3 and stop buttons and the two boxes with their labels, all at fixed
// positions that stay put when the window is resized. The window owns the turtle and the
// sweep state; each sweep button runs its sweep inside its click handler.

#include <QWidget>

#include "app/sweeps.h"
#include "turtle/turtle.h"

class QLabel;
class QLineEdit;
class QPushButton;

namespace app {

class CanvasWidget;

class Form1 final : public QWidget {
  Q_OBJECT

 public:
  explicit Form1(QWidget* parent = nullptr);

  [[nodiscard]] const SweepState& sweepState() const noexcept { return state_; }
  [[nodiscard]] const turtle::Turtle& turtleState() const noexcept { return turtle_; }
  [[nodiscard]] bool sweeping() const noexcept { return state_.RunningSweeps > 0; }

 protected:
  void closeEvent(QCloseEvent* e) override;

 private:
  void Command1_Click();
  void Command2_Click();
  void Command3_Click();
  void Command4_Click();
  void sweepFromButton(const SweepPlan& plan);

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
  SweepState state_;
};

}  // namespace app
