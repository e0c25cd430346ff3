#include "window/main_window.h"

#include <QCloseEvent>
#include <QCoreApplication>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <optional>

#include "files/qstring_number.h"
#include "window/canvas_accessibility.h"
#include "window/canvas_widget.h"
#include "window/picture_actions.h"

namespace window {

namespace {

QString Utf8(std::string_view text) {
  return QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size()));
}

QWidget* MakeControl(const form::Control& c, QWidget* parent) {
  const QString text = Utf8(c.text);
  QWidget* w = nullptr;
  switch (c.kind) {
    case form::Kind::Canvas:
      w = new CanvasWidget(
          QSize(c.rect.width - 2 * form::kCanvasBorder, c.rect.height - 2 * form::kCanvasBorder),
          parent);
      w->setAccessibleName(text);
      w->setAccessibleDescription(NothingDrawnYet());
      break;
    case form::Kind::Button: {
      auto* button = new QPushButton(text, parent);
      button->setAutoDefault(false);
      w = button;
      break;
    }
    case form::Kind::TextBox:
      w = new QLineEdit(text, parent);
      break;
    case form::Kind::Label:
      w = new QLabel(text, parent);
      break;
  }
  w->setObjectName(Utf8(c.name));
  w->setGeometry(c.rect.left, c.rect.top, c.rect.width, c.rect.height);
  return w;
}

}  // namespace

Form1::Form1(QWidget* parent)
    : QWidget(parent),
      Picture1(BuildControls()),
      Command1(Control<QPushButton>("Command1")),
      Text1(Control<QLineEdit>("Text1")),
      Label1(Control<QLabel>("Label1")),
      Text2(Control<QLineEdit>("Text2")),
      Label2(Control<QLabel>("Label2")),
      Command2(Control<QPushButton>("Command2")),
      Command3(Control<QPushButton>("Command3")),
      Command4(Control<QPushButton>("Command4")),
      turtle_(Picture1->canvas()),
      actions_(std::make_unique<PictureActions>(*this, *Picture1, state_)) {
  setObjectName(Utf8(form::kCaption));
  setWindowTitle(Utf8(form::kCaption));
  resize(form::kClientWidth, form::kClientHeight);
}

Form1::~Form1() = default;

CanvasWidget* Form1::BuildControls() {
  // Before any control exists: a screen reader may ask for a control's interface as soon as it
  // is named, and Qt keeps the first one it made.
  InstallAccessibleRoles();
  // The controls stand at fixed pixel rectangles sized for the form's caption size, so the
  // captions take that size whatever the desktop's default is, and keep the desktop's family
  // (the Japanese glyphs come through font fallback). Larger text comes with a scaled display,
  // which scales the whole layout alike.
  QFont captions = font();
  captions.setPixelSize(form::kCaptionPixels);
  setFont(captions);

  QWidget* previous = nullptr;
  for (const form::Control& c : form::Controls()) {
    QWidget* w = MakeControl(c, this);
    if (c.kind == form::Kind::Button) {
      connect(static_cast<QPushButton*>(w), &QPushButton::clicked, this, [this, &c] { Press(c); });
    }
    // The form's order is the tab order; labels take no focus.
    if (c.TakesFocus()) {
      if (previous != nullptr) QWidget::setTabOrder(previous, w);
      previous = w;
    }
  }
  // Each label reaches one pixel into its box; the box stays on top. The label names its box
  // for screen readers.
  for (const form::Control& c : form::Controls()) {
    if (c.buddy.empty()) continue;
    auto* label = Control<QLabel>(c.name);
    auto* box = Control<QWidget>(c.buddy);
    label->stackUnder(box);
    label->setBuddy(box);
  }
  return Control<CanvasWidget>("Picture1");
}

template <class W>
W* Form1::Control(std::string_view name) const {
  return findChild<W*>(Utf8(name), Qt::FindDirectChildrenOnly);
}

void Form1::Press(const form::Control& button) {
  switch (button.press) {
    case form::Press::Sweep:
      SweepFromButton(*button.sweep);
      break;
    case form::Press::Stop:
      state_.StopRequested = -1;
      break;
    case form::Press::Nothing:
      break;
  }
}

void Form1::SweepFromButton(const sweeps::SweepPlan& plan) {
  sweeps::SweepHost host{Picture1->canvas(),
                         turtle_,
                         state_,
                         [this] { return files::NumberFromQString(Text1->text()); },
                         [this] { return files::NumberFromQString(Text2->text()); },
                         {}};
  const QString outerDescription = Picture1->accessibleDescription();
  sweeps::Sweep sweep(plan, host);
  if (!sweep.Started()) return;
  // What this sweep read names its picture and animation, and the canvas says what is drawn.
  const sweeps::SweepInputs read = state_.LastRead;
  actions_->SweepStarted();
  Picture1->setAccessibleDescription(CanvasDescription(read, std::nullopt));
  // The window's events before every pass: a stop, a repaint or another sweep happen here.
  while (sweep.Running()) {
    QCoreApplication::processEvents();
    sweep.Step();
  }
  // A sweep that ran inside another one's event pump hands the description back to it.
  Picture1->setAccessibleDescription(sweeping() ? outerDescription
                                                : CanvasDescription(read, sweep.End()));
  // Whatever was drawn after the last refresh point or held back by the pacing, or a clear with
  // nothing drawn after it, reaches the screen now that the handler ends.
  Picture1->canvas().Refresh();
  Picture1->presentNow();
}

void Form1::closeEvent(QCloseEvent* e) {
  // A sweep suspended in its event pump sees this at its next check and ends without drawing
  // again; the window object itself lives until the event loop has returned.
  state_.Closing = true;
  actions_->Abandon();
  e->accept();
}

}  // namespace window
