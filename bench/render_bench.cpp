#include "render_bench.h"

#include <QFileInfo>
#include <QString>
#include <QTemporaryDir>
#include <algorithm>

#include "drawing_only.h"
#include "files/image_file.h"
#include "sweeps/render.h"

namespace bench {

std::vector<RenderTiming> TimeRenders(int reps) {
  reps = std::max(reps, 1);
  QTemporaryDir dir;
  // The default Draw sweep, whose segments are the same at every scale.
  const SweepCase sweep{"Draw", &sweeps::kDrawSweep, 60.0, 90.0};
  const ProgramStream stream = RecordProgramStream(sweep);
  std::vector<RenderTiming> rows;
  for (const int scale : {1, 4}) {
    RenderTiming row;
    row.scale = scale;
    row.segments = stream.digest.segments;
    row.curves = stream.curves;
    std::vector<double> draw;
    std::vector<double> write;
    const QString path = dir.filePath(QStringLiteral("fan-%1x.png").arg(scale));
    for (int rep = 0; rep < reps && dir.isValid(); ++rep) {
      auto start = Clock::now();
      const sweeps::RenderResult r = sweeps::Render({sweep.plan, sweep.text1, sweep.text2, scale});
      draw.push_back(SecondsSince(start));
      row.width = r.image.Width();
      row.height = r.image.Height();

      start = Clock::now();
      if (!files::WriteImageFile(files::ImageViewOf(r.image), path, "png", nullptr)) break;
      write.push_back(SecondsSince(start));
    }
    if (!write.empty() && write.size() == draw.size()) {
      row.written = true;
      row.drawSeconds = Median(draw);
      row.writeSeconds = Median(write);
      row.fileBytes = QFileInfo(path).size();
    }
    rows.push_back(row);
  }
  return rows;
}

std::vector<Row> RenderRows(const std::vector<RenderTiming>& timings) {
  std::vector<Row> rows;
  for (const RenderTiming& t : timings) {
    const std::string sweep = "Draw " + std::to_string(t.scale) + "x";
    const std::string size = std::to_string(t.width) + " x " + std::to_string(t.height);
    if (!t.written) {
      rows.push_back(Note(Part::kRender, "render to PNG, " + size, "could not write the file"));
      continue;
    }
    rows.push_back({Part::kRender, "render, drawing (" + size + ")", sweep, t.segments, t.curves,
                    t.drawSeconds, "the sweep on an off-screen canvas"});
    rows.push_back({Part::kRender, "render, PNG encode and write", sweep, t.segments, t.curves,
                    t.writeSeconds, Grouped(static_cast<std::uint64_t>(t.fileBytes)) + " bytes"});
  }
  return rows;
}

}  // namespace bench
