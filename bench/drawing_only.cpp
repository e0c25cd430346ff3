#include "drawing_only.h"

#include <algorithm>
#include <cstdio>
#include <functional>
#include <memory>
#include <string>

#include "allocation_count.h"
#include "limit_kernel.h"
#include "naive_design.h"
#include "sweeps/sweeps.h"
#include "turtle/canvas.h"
#include "turtle/turtle.h"

namespace bench {

namespace {

// One window's worth of the program's drawing objects, without the window.
struct ProgramRig {
  turtle::Canvas canvas{sweeps::kCanvasWidth, sweeps::kCanvasHeight};
  turtle::Turtle turtle{canvas};
  sweeps::SweepState state;
};

struct ProgramRun {
  double seconds = 0.0;
  std::uint64_t allocations = 0;
  EndPoint end;
};

ProgramRun RunProgram(const SweepCase& sweep, ProgramRig& rig) {
  const double t1 = sweep.text1;
  const double t2 = sweep.text2;
  sweeps::SweepHost host{rig.canvas,          rig.turtle,          rig.state,
                         [t1] { return t1; }, [t2] { return t2; }, [] {}};
  ProgramRun run;
  const std::uint64_t before = AllocationsOnThisThread();
  const auto start = Clock::now();
  sweeps::RunSweep(*sweep.plan, host);
  run.seconds = SecondsSince(start);
  run.allocations = AllocationsOnThisThread() - before;
  run.end = EndPoint::Of(rig.turtle.PosX(), rig.turtle.PosY());
  return run;
}

}  // namespace

ProgramStream RecordProgramStream(const SweepCase& sweep) {
  turtle::Canvas canvas(sweeps::kCanvasWidth, sweeps::kCanvasHeight);
  testing_support::DigestingTarget tap(&canvas);
  turtle::Turtle t(tap);
  sweeps::SweepState state;
  std::uint64_t curves = 0;
  const double t1 = sweep.text1;
  const double t2 = sweep.text2;
  sweeps::SweepHost host{
      canvas, t, state, [t1] { return t1; }, [t2] { return t2; }, [&curves] { ++curves; }};
  sweeps::RunSweep(*sweep.plan, host);
  if (sweep.plan->closingCurve) ++curves;
  return {tap.digest, curves, EndPoint::Of(t.PosX(), t.PosY())};
}

double TimeProgramSweep(const SweepCase& sweep) {
  ProgramRig rig;
  return RunProgram(sweep, rig).seconds;
}

DrawingOnlyFigures MeasureDrawingOnly(std::span<const SweepCase> cases, int reps,
                                      StreamChecks& checks) {
  const std::size_t n = cases.size();
  DrawingOnlyFigures figures;
  figures.reps = reps;
  std::vector<ProgramStream> reference;

  // Untimed: every segment of every design, compared with the program's.
  for (const SweepCase& sweep : cases) {
    reference.push_back(RecordProgramStream(sweep));
    const ProgramStream& program = reference.back();
    figures.sweeps.push_back({&sweep, program.digest.segments, program.curves, {}, {}, {}, 0});

    NaiveCanvas naiveCanvas(sweeps::kCanvasWidth, sweeps::kCanvasHeight);
    NaiveTurtle naiveTurtle(naiveCanvas);
    testing_support::StreamDigest naiveDigest;
    naiveTurtle.digest = &naiveDigest;
    double naiveStyle1Max = 0.0;
    RunNaiveSweep(sweep, naiveCanvas, naiveTurtle, naiveStyle1Max, [] {});
    checks.Add(naiveDigest == program.digest,
               std::string(sweep.name) + ": naive vs program, every segment (" +
                   Grouped(naiveDigest.segments) + " vs " + Grouped(program.digest.segments) +
                   " segments, digest of all coordinates and colours)");

    LimitSurface limitSurface(sweeps::kCanvasWidth, sweeps::kCanvasHeight);
    testing_support::StreamDigest limitDigest;
    double limitStyle1Max = 0.0;
    limitSurface.Run(sweep, limitStyle1Max, &limitDigest);
    checks.Add(limitDigest == program.digest, std::string(sweep.name) +
                                                  ": limit kernel vs program, every segment (" +
                                                  Grouped(limitDigest.segments) + " segments)");
  }

  // Timed, interleaved: each repetition runs every design on every sweep.
  std::vector<std::unique_ptr<ProgramRig>> rigs;
  std::vector<std::unique_ptr<NaiveCanvas>> naiveCanvases;
  std::vector<std::unique_ptr<NaiveTurtle>> naiveTurtles;
  std::vector<double> naiveStyle1Max(n, 0.0), limitStyle1Max(n, 0.0);
  std::vector<char> programSame(n, 1), naiveSame(n, 1), limitSame(n, 1);
  LimitSurface limitSurface(sweeps::kCanvasWidth, sweeps::kCanvasHeight);
  for (std::size_t i = 0; i < n; ++i) {
    rigs.push_back(std::make_unique<ProgramRig>());
    naiveCanvases.push_back(
        std::make_unique<NaiveCanvas>(sweeps::kCanvasWidth, sweeps::kCanvasHeight));
    naiveTurtles.push_back(std::make_unique<NaiveTurtle>(*naiveCanvases[i]));
  }
  const std::function<void()> noPump = [] {};
  for (int rep = 0; rep < reps; ++rep) {
    for (std::size_t i = 0; i < n; ++i) {
      const SweepCase& sweep = cases[i];
      DrawingOnlyFigures::Sweep& out = figures.sweeps[i];
      const ProgramRun program = RunProgram(sweep, *rigs[i]);
      out.program.push_back(program.seconds);
      out.programAllocations += program.allocations;
      if (!(program.end == reference[i].end)) programSame[i] = 0;

      NaiveTurtle& nt = *naiveTurtles[i];
      nt.Segments = 0;
      auto start = Clock::now();
      RunNaiveSweep(sweep, *naiveCanvases[i], nt, naiveStyle1Max[i], noPump);
      out.naive.push_back(SecondsSince(start));
      if (nt.Segments != out.segments || !(EndPoint::Of(nt.PosX, nt.PosY) == reference[i].end)) {
        naiveSame[i] = 0;
      }

      start = Clock::now();
      const LimitResult limit = limitSurface.Run(sweep, limitStyle1Max[i]);
      out.limit.push_back(SecondsSince(start));
      figures.limitChecksum += limitSurface.Checksum();
      if (limit.segments != out.segments || !(limit.end == reference[i].end)) limitSame[i] = 0;
    }
    std::printf("drawing only: repetition %d of %d done\n", rep + 1, reps);
    std::fflush(stdout);
  }
  for (std::size_t i = 0; i < n; ++i) {
    const std::string name = cases[i].name;
    checks.Add(programSame[i] != 0,
               name + ": every timed program run ended where the recorded one did");
    checks.Add(naiveSame[i] != 0, name + ": every timed naive run drew as many segments (" +
                                      Grouped(figures.sweeps[i].segments) +
                                      ") and ended on the same point, bit for bit");
    checks.Add(limitSame[i] != 0, name +
                                      ": every timed limit run computed as many segments and "
                                      "ended on the same point, bit for bit");
  }
  return figures;
}

std::vector<Row> DrawingOnlyRows(const DrawingOnlyFigures& figures) {
  std::vector<Row> rows;
  std::uint64_t segments = 0, curves = 0, allocations = 0;
  int index = 0;
  for (const DrawingOnlyFigures::Sweep& s : figures.sweeps) {
    const double program = Median(s.program);
    const double naive = Median(s.naive);
    const double limit = Median(s.limit);
    const char* name = s.sweep->name;
    rows.push_back({Part::kProgram, "program (Canvas, Turtle, RunSweep)", name, s.segments,
                    s.curves, program, "1.00 (reference)", index});
    rows.push_back({Part::kNaive, "naive (trig per segment, QPainter)", name, s.segments, s.curves,
                    naive, Format("%.2f", naive / program) + "x the program's time", index});
    rows.push_back({Part::kLimit, "limit kernel (tables, 1 px/segment)", name, s.segments, s.curves,
                    limit, "program = " + Format("%.2f", program / limit) + "x limit", index});
    rows.push_back(Note(Part::kAgainstLimit, "program / limit kernel, " + std::string(name),
                        Format("%.2fx", program / limit) + " (" +
                            Format("%.2f", program * 1e9 / static_cast<double>(s.segments)) +
                            " against " +
                            Format("%.2f", limit * 1e9 / static_cast<double>(s.segments)) +
                            " ns/segment; target 2x)"));
    ++index;
    segments += s.segments * static_cast<std::uint64_t>(figures.reps);
    curves += s.curves * static_cast<std::uint64_t>(figures.reps);
    allocations += s.programAllocations;
  }
  rows.push_back(
      Note(Part::kResources, "allocations, program drawing only",
           Grouped(allocations) + " in " + Grouped(segments) + " segments, " + Grouped(curves) +
               " curves: " +
               Format("%.6f", static_cast<double>(allocations) / static_cast<double>(segments)) +
               " per segment, " +
               Format("%.6f", static_cast<double>(allocations) / static_cast<double>(curves)) +
               " per curve"));
  return rows;
}

std::vector<Target> DrawingOnlyTargets(const DrawingOnlyFigures& figures) {
  std::vector<Target> targets;
  double worstNaiveVsProgram = 1e300;
  std::uint64_t allocations = 0;
  for (const DrawingOnlyFigures::Sweep& s : figures.sweeps) {
    const double program = Median(s.program);
    const double vsLimit = program / Median(s.limit);
    targets.push_back(Measured(
        "drawing only, " + std::string(s.sweep->name) + ": program within 2x of the limit kernel",
        Format("%.2fx", vsLimit), vsLimit <= 2.0));
    worstNaiveVsProgram = std::min(worstNaiveVsProgram, Median(s.naive) / program);
    allocations += s.programAllocations;
  }
  targets.push_back(Measured("drawing only: program >= 8x faster than naive (worst sweep)",
                             Format("%.2fx", worstNaiveVsProgram), worstNaiveVsProgram >= 8.0));
  targets.push_back(Measured("allocations while drawing (program, drawing only) = 0",
                             Grouped(allocations), allocations == 0));
  return targets;
}

}  // namespace bench
