#include "window_sweep.h"

#include <QApplication>
#include <QLineEdit>
#include <QPaintEvent>
#include <QPainter>
#include <QPushButton>
#include <QThread>
#include <QWidget>
#include <QWindow>
#include <algorithm>
#include <cstdio>
#include <functional>

#include "allocation_count.h"
#include "drawing_only.h"
#include "machine.h"
#include "naive_design.h"
#include "window/canvas_widget.h"
#include "window/main_window.h"

namespace bench {

namespace {

// A widget that shows the naive canvas's image, whole, whenever it is painted.
class NaiveWindow final : public QWidget {
 public:
  explicit NaiveWindow(const NaiveCanvas& canvas) : canvas_(canvas) {
    setWindowTitle(QStringLiteral("naive"));
    setFixedSize(canvas.Image().size());
  }

 protected:
  void paintEvent(QPaintEvent*) override {
    QPainter painter(this);
    painter.drawImage(0, 0, canvas_.Image());
  }

 private:
  const NaiveCanvas& canvas_;
};

bool ShowAndWait(QWidget& w) {
  w.show();
  const auto start = Clock::now();
  while (w.windowHandle() == nullptr || !w.windowHandle()->isExposed()) {
    QCoreApplication::processEvents(QEventLoop::AllEvents, 20);
    if (SecondsSince(start) > 10.0) return false;
    QThread::msleep(2);
  }
  for (int i = 0; i < 10; ++i) QCoreApplication::processEvents();
  return true;
}

double GapSeconds(std::int64_t ns) { return static_cast<double>(ns) * 1e-9; }

}  // namespace

WindowFigures WindowSkipped(std::string why) {
  WindowFigures figures;
  figures.platform = QGuiApplication::platformName().toStdString();
  figures.skipped = std::move(why);
  return figures;
}

WindowFigures MeasureWindowSweep(const SweepCase& sweep, int reps, StreamChecks& checks) {
  WindowFigures figures;
  figures.platform = QGuiApplication::platformName().toStdString();
  figures.sweep = &sweep;
  const ProgramStream reference = RecordProgramStream(sweep);
  figures.segments = reference.digest.segments;
  figures.curves = reference.curves;

  // Only the window being measured is shown, so neither hides part of the other.
  window::Form1 form;
  form.move(0, 0);
  auto* command2 = form.findChild<QPushButton*>(QStringLiteral("Command2"));
  auto* text2 = form.findChild<QLineEdit*>(QStringLiteral("Text2"));
  auto* picture1 = form.findChild<window::CanvasWidget*>(QStringLiteral("Picture1"));
  if (command2 == nullptr || text2 == nullptr || picture1 == nullptr) {
    return WindowSkipped("the window has no Command2, Text2 or Picture1");
  }
  text2->setText(QString::number(sweep.text2));
  NaiveCanvas naiveCanvas(sweeps::kCanvasWidth, sweeps::kCanvasHeight);
  NaiveTurtle naiveTurtle(naiveCanvas);
  NaiveWindow naiveWindow(naiveCanvas);
  naiveWindow.move(0, 0);
  naiveCanvas.onRefresh = [&naiveWindow] { naiveWindow.repaint(); };
  double naiveStyle1Max = 0.0;
  const std::function<void()> pump = [] { QCoreApplication::processEvents(); };

  bool programSame = true, naiveSame = true;
  for (int rep = 0; rep < reps; ++rep) {
    figures.drawingOnly.push_back(TimeProgramSweep(sweep));

    naiveWindow.hide();
    if (!ShowAndWait(form)) return WindowSkipped("the program's window was never shown");
    if (rep == 0) {
      figures.peakReset = ResetPeakMemory();
      figures.idleKb = figures.peakReset ? StatusKb("VmRSS") : StatusKb("VmHWM");
    }
    turtle::PresentPacer& pacer = picture1->pacer();
    pacer.ResetStatistics();
    const std::uint64_t allocationsBefore = AllocationsOnThisThread();
    auto start = Clock::now();
    command2->click();
    figures.program.push_back(SecondsSince(start));
    figures.programAllocations += AllocationsOnThisThread() - allocationsBefore;
    if (rep == 0) figures.peakKb = StatusKb("VmHWM");
    figures.presents.push_back(static_cast<double>(pacer.Paints()));
    figures.longestGapSeconds = std::max(figures.longestGapSeconds, GapSeconds(pacer.LongestGap()));
    figures.frameSeconds = GapSeconds(pacer.Frame());
    const turtle::Turtle& ft = form.turtleState();
    if (!(EndPoint::Of(ft.PosX(), ft.PosY()) == reference.end)) programSame = false;

    form.hide();
    if (!ShowAndWait(naiveWindow)) return WindowSkipped("the naive window was never shown");
    naiveTurtle.Segments = 0;
    start = Clock::now();
    RunNaiveSweep(sweep, naiveCanvas, naiveTurtle, naiveStyle1Max, pump);
    figures.naive.push_back(SecondsSince(start));
    if (naiveTurtle.Segments != figures.segments ||
        !(EndPoint::Of(naiveTurtle.PosX, naiveTurtle.PosY) == reference.end)) {
      naiveSame = false;
    }
    std::printf("window (%s): repetition %d of %d done\n", figures.platform.c_str(), rep + 1, reps);
    std::fflush(stdout);
  }
  naiveWindow.hide();
  checks.Add(programSame, std::string("window ") + sweep.name +
                              ": the program's window ended on the recorded point, bit for bit");
  checks.Add(naiveSame, std::string("window ") + sweep.name + ": the naive window drew " +
                            Grouped(figures.segments) +
                            " segments and ended on the same point, bit for bit");
  return figures;
}

std::vector<Row> WindowRows(const WindowFigures& f, bool shortened) {
  if (!f.skipped.empty())
    return {Note(Part::kWindow, "window sweep (" + f.platform + ")", f.skipped)};
  const std::string sweep = std::string(f.sweep->name) + (shortened ? " 0-12" : "");
  const double program = Median(f.program);
  const double alone = Median(f.drawingOnly);
  const double naive = Median(f.naive);
  std::vector<Row> rows = {
      {Part::kWindow, "program window (Form1, Command2)", sweep, f.segments, f.curves, program,
       "= " + Format("%.2f", program / alone) + "x drawing only (" + f.platform + ")"},
      {Part::kWindow, "drawing only, the same sweep", sweep, f.segments, f.curves, alone,
       "1.00 (reference)"},
      {Part::kWindow, "naive window (repaint all / 101)", sweep, f.segments, f.curves, naive,
       Format("%.2f", naive / program) + "x the program window's time"},
      Note(Part::kWindow, "presents, program window",
           Format("%.0f", Median(f.presents)) + " per sweep (median), longest interval " +
               Format("%.1f", f.longestGapSeconds * 1e3) + " ms (display frame " +
               Format("%.1f", f.frameSeconds * 1e3) + " ms)"),
  };
  if (f.idleKb >= 0 && f.peakKb >= 0) {
    rows.push_back(Note(Part::kResources, "peak memory, program window sweep",
                        "idle " + Format("%.1f", Mb(f.idleKb)) + " MB -> peak " +
                            Format("%.1f", Mb(f.peakKb)) + " MB (VmHWM), growth " +
                            Format("%.2f", Mb(f.peakKb - f.idleKb)) + " MB" +
                            (f.peakReset ? "" : " (VmHWM could not be reset: a lower bound)")));
  }
  rows.push_back(Note(Part::kResources, "allocations, program window sweep",
                      Grouped(f.programAllocations) + " over " + Grouped(f.program.size()) +
                          " sweep(s): " +
                          Format("%.4f", static_cast<double>(f.programAllocations) /
                                             static_cast<double>(f.segments * f.program.size())) +
                          " per segment (Qt's painting; for information)"));
  return rows;
}

std::vector<Target> WindowTargets(const WindowFigures& f) {
  const std::string on = " (" + f.platform + ")";
  const std::string withinDrawing = "window sweep: program within 1.5x of drawing only" + on;
  const std::string gap = "window sweep: longest interval between presents < 1/30 s" + on;
  const std::string naive = "window sweep: naive window >= 30x slower than the program" + on;
  const std::string memory = "peak memory growth over the window sweep <= 10 MB";
  if (!f.skipped.empty()) {
    return {NotMeasured(withinDrawing, f.skipped), NotMeasured(gap, f.skipped),
            NotMeasured(naive, f.skipped), NotMeasured(memory, f.skipped)};
  }
  const double program = Median(f.program);
  const double vsDrawing = program / Median(f.drawingOnly);
  const double vsNaive = Median(f.naive) / program;
  std::vector<Target> targets = {
      Measured(withinDrawing, Format("%.2fx", vsDrawing), vsDrawing <= 1.5),
      Measured(gap, Format("%.1f ms", f.longestGapSeconds * 1e3), f.longestGapSeconds < 1.0 / 30.0),
      Measured(naive, Format("%.2fx", vsNaive), vsNaive >= 30.0),
  };
  if (f.idleKb >= 0 && f.peakKb >= 0) {
    const double growth = Mb(f.peakKb - f.idleKb);
    targets.push_back(Measured(memory, Format("%.2f MB", growth), growth <= 10.0));
  } else {
    targets.push_back(NotMeasured(memory, "VmHWM not available"));
  }
  return targets;
}

}  // namespace bench
