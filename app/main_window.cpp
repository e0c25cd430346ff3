#include "app/main_window.h"

#include <QCloseEvent>
#include <QCoreApplication>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <string_view>

#include "app/canvas_widget.h"
#include "app/number_text.h"

namespace app {

namespace {

// Layout in logical pixels (15 twips each): the client area and every control's rectangle.
constexpr QSize kClientSize(799, 460);
constexpr QRect kPicture1(16, 8, 577, 417);
constexpr QSize kPicture1Inside(kCanvasWidth, kCanvasHeight);
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

double NumberIn(const QLineEdit* box) {
  const QString text = box->text();
  return NumberFromText(
      std::u16string_view(reinterpret_cast<const char16_t*>(text.utf16()),
                          static_cast<std::size_t>(text.size())));
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
}

void Form1::Command1_Click() { sweepFromButton(kDrawSweep); }
void Form1::Command2_Click() { sweepFromButton(kStyle2Sweep); }
void Form1::Command4_Click() { sweepFromButton(kStyle3Sweep); }
void Form1::Command3_Click() { state_.StopRequested = -1; }

void Form1::sweepFromButton(const SweepPlan& plan) {
  SweepHost host{Picture1->canvas(), turtle_, state_, [this] { return NumberIn(Text1); },
                 [this] { return NumberIn(Text2); },
                 [] { QCoreApplication::processEvents(); }};
  if (RunSweep(plan, host) == SweepEnd::NotStarted) return;
  // Whatever was drawn after the last refresh point or held back by the pacing, or a clear with
  // nothing drawn after it, reaches the screen now that the handler ends.
  Picture1->canvas().Refresh();
  Picture1->presentNow();
}

void Form1::closeEvent(QCloseEvent* e) {
  // A sweep suspended in its event pump sees this at its next check and ends without drawing
  // again; the window object itself lives until the event loop has returned.
  state_.Closing = true;
  e->accept();
}

}  // namespace app
