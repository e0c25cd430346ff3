// Checks that the application icon is really usable from a program that
// links koch_desktop: every PNG size is reachable under :/icons/, QIcon picks
// them up, and each picture - PNGs and the three .ico images - shows a white
// window with a dark frame and a cyan (black in two colours) title bar on a
// transparent background.
//
// usage: vornlace_icon_check path/to/vornlace.ico

#include <QColor>
#include <QGuiApplication>
#include <QIcon>
#include <QImage>
#include <QImageReader>
#include <QString>

#include <cstdio>
#include <iterator>

namespace {

int failures = 0;

void fail(const QString &what) {
  std::fprintf(stderr, "FAIL: %s\n", qPrintable(what));
  ++failures;
}

enum class Expect { Transparent, Dark, Cyan, White };

const char *name(Expect e) {
  switch (e) {
    case Expect::Transparent:
      return "transparent";
    case Expect::Dark:
      return "dark";
    case Expect::Cyan:
      return "cyan";
    case Expect::White:
      return "white";
  }
  return "?";
}

bool matches(QColor c, Expect e) {
  switch (e) {
    case Expect::Transparent:
      return c.alpha() == 0;
    case Expect::Dark:
      return c.alpha() == 255 && c.red() < 64 && c.green() < 64 && c.blue() < 64;
    case Expect::Cyan:
      return c.alpha() == 255 && c.red() < 64 && c.green() > 200 && c.blue() > 200;
    case Expect::White:
      return c.alpha() == 255 && c.red() > 240 && c.green() > 240 && c.blue() > 240;
  }
  return false;
}

// Samples a few points of the window picture, placed by fractions of the
// icon size so that they fall on the same part at every size.
void checkPicture(const QString &label, const QImage &image, int size, Expect bar) {
  if (image.isNull()) {
    fail(label + ": does not load");
    return;
  }
  if (image.width() != size || image.height() != size) {
    fail(QStringLiteral("%1: is %2x%3, expected %4x%4")
             .arg(label)
             .arg(image.width())
             .arg(image.height())
             .arg(size));
    return;
  }
  const QImage img = image.convertToFormat(QImage::Format_ARGB32);
  struct Probe {
    double fx, fy;
    Expect expect;
    int dx = 0;  // pixel nudge after scaling
  };
  const Probe probes[] = {
      {0.0, 0.0, Expect::Transparent},  // corners are outside the window
      {0.99, 0.99, Expect::Transparent},
      {0.0, 0.5, Expect::Transparent},
      {0.5, 0.02, Expect::Transparent},  // above the window
      {0.25, 0.25, bar},                 // title bar, left of the close box
      {0.5, 0.70, Expect::White},        // client area
      {0.3, 0.55, Expect::White},
      {1.0 / 16, 0.6, Expect::Dark},            // left edge of the frame
      {1.0 - 1.0 / 16, 0.6, Expect::Dark, -1},  // right edge of the frame
  };
  for (const Probe &p : probes) {
    const int x = qMin(size - 1, int(p.fx * size) + p.dx);
    const int y = qMin(size - 1, int(p.fy * size));
    const QColor c = img.pixelColor(x, y);
    if (!matches(c, p.expect)) {
      fail(QStringLiteral("%1: pixel (%2,%3) should be %4, is rgba(%5,%6,%7,%8)")
               .arg(label)
               .arg(x)
               .arg(y)
               .arg(QString::fromLatin1(name(p.expect)))
               .arg(c.red())
               .arg(c.green())
               .arg(c.blue())
               .arg(c.alpha()));
    }
  }
}

int distinctOpaqueColours(const QImage &image) {
  const QImage img = image.convertToFormat(QImage::Format_ARGB32);
  QList<QRgb> seen;
  for (int y = 0; y < img.height(); ++y) {
    for (int x = 0; x < img.width(); ++x) {
      const QRgb px = img.pixel(x, y);
      if (qAlpha(px) != 0 && !seen.contains(px)) seen.append(px);
    }
  }
  return int(seen.size());
}

}  // namespace

int main(int argc, char **argv) {
  QGuiApplication app(argc, argv);
  if (argc != 2) {
    std::fprintf(stderr, "usage: %s path/to/vornlace.ico\n", argv[0]);
    return 2;
  }

  const int sizes[] = {VORNLACE_ICON_SIZES};
  QIcon icon;
  for (int size : sizes) {
    const QString path = QStringLiteral(":/icons/vornlace-%1.png").arg(size);
    checkPicture(path, QImage(path), size, Expect::Cyan);
    if (QIcon(path).isNull()) fail(path + ": QIcon is null");
    icon.addFile(path);
  }
  for (int size : sizes) {
    if (!icon.availableSizes().contains(QSize(size, size)))
      fail(QStringLiteral("combined icon lacks %1x%1").arg(size));
  }

  const QString icoPath = QString::fromLocal8Bit(argv[1]);
  QImageReader reader(icoPath, "ico");
  if (reader.imageCount() != 3) {
    fail(QStringLiteral("%1: %2 images, expected 3 (%3)")
             .arg(icoPath)
             .arg(reader.imageCount())
             .arg(reader.errorString()));
  } else {
    struct Entry {
      int size;
      Expect bar;
      int maxColours;
    };
    const Entry entries[] = {
        {32, Expect::Dark, 2},
        {32, Expect::Cyan, 16},
        {16, Expect::Cyan, 16},
    };
    for (int i = 0; i < 3; ++i) {
      const QString label = QStringLiteral("%1 image %2").arg(icoPath).arg(i);
      if (!reader.jumpToImage(i)) {
        fail(label + ": cannot seek");
        continue;
      }
      const QImage image = reader.read();
      checkPicture(label, image, entries[i].size, entries[i].bar);
      if (!image.isNull() && distinctOpaqueColours(image) > entries[i].maxColours)
        fail(QStringLiteral("%1: more than %2 colours").arg(label).arg(entries[i].maxColours));
    }
  }

  if (failures != 0) {
    std::fprintf(stderr, "%d icon check(s) failed\n", failures);
    return 1;
  }
  std::printf("icons OK: %zu embedded PNG sizes, 3 ico images\n", std::size(sizes));
  return 0;
}
