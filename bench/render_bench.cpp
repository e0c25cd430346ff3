#include "render_bench.h"

#include <QFileInfo>
#include <QString>
#include <QTemporaryDir>
#include <algorithm>
#include <chrono>

#include "app/image_file.h"
#include "app/render.h"

namespace bench {

namespace {

using Clock = std::chrono::steady_clock;

double SecondsSince(Clock::time_point start) {
  return std::chrono::duration<double>(Clock::now() - start).count();
}

double Median(std::vector<double> v) {
  std::sort(v.begin(), v.end());
  const std::size_t n = v.size();
  return n % 2 == 1 ? v[n / 2] : 0.5 * (v[n / 2 - 1] + v[n / 2]);
}

}  // namespace

std::vector<RenderTiming> TimeRenders(int reps) {
  reps = std::max(reps, 1);
  QTemporaryDir dir;
  std::vector<RenderTiming> rows;
  for (const int scale : {1, 4}) {
    RenderTiming row;
    row.scale = scale;
    std::vector<double> draw;
    std::vector<double> write;
    const QString path = dir.filePath(QStringLiteral("fan-%1x.png").arg(scale));
    for (int rep = 0; rep < reps && dir.isValid(); ++rep) {
      auto start = Clock::now();
      const app::RenderResult r = app::Render({&app::kDrawSweep, 60, 90, scale});
      draw.push_back(SecondsSince(start));
      row.width = r.image.Width();
      row.height = r.image.Height();

      start = Clock::now();
      if (!app::WriteImageFile(app::ImageViewOf(r.image), path, "png", nullptr)) break;
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

}  // namespace bench
