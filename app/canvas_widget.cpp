#include "app/canvas_widget.h"

#include <QEvent>
#include <QImage>
#include <QPaintEvent>
#include <QPainter>
#include <cmath>

#include "app/x11_pusher.h"

namespace app {

namespace {

constexpr int kBorder = 2;  // a thin sunken panel: two pixels on each side

int ToDevice(int logical, qreal ratio) { return static_cast<int>(std::lround(logical * ratio)); }

turtle::ColorValue FromQColor(const QColor& c) {
  return turtle::PackColor(c.red(), c.green(), c.blue());
}

}  // namespace

CanvasWidget::CanvasWidget(QSize clientSize, QWidget* parent)
    : QFrame(parent),
      canvas_(clientSize.width(), clientSize.height(),
              FromQColor(palette().color(QPalette::Window))) {
  setFrameStyle(QFrame::Panel | QFrame::Sunken);
  setLineWidth(kBorder);
  // Every pixel is painted from the raster or the border, so Qt need not clear anything first;
  // that keeps a Refresh down to copying the changed pixels.
  setAttribute(Qt::WA_OpaquePaintEvent);
  setAttribute(Qt::WA_NoSystemBackground);
  setAttribute(Qt::WA_StaticContents);
  setFocusPolicy(Qt::StrongFocus);
  canvas_.SetRefreshHandler([this](const turtle::PixelRect& dirty) { showDirty(dirty); });
  resize(clientSize + QSize(2 * kBorder, 2 * kBorder));
  matchRasterToScreen();
}

CanvasWidget::~CanvasWidget() = default;

QSize CanvasWidget::sizeHint() const {
  return QSize(ToDevice(canvas_.Image().Width(), 1.0 / rasterRatio_) + 2 * kBorder,
               ToDevice(canvas_.Image().Height(), 1.0 / rasterRatio_) + 2 * kBorder);
}

QColor CanvasWidget::colourAt(QPoint logical) const {
  const QPoint device(ToDevice(logical.x(), rasterRatio_), ToDevice(logical.y(), rasterRatio_));
  return QColor::fromRgb(canvas_.Image().Pixel(device.x(), device.y()));
}

void CanvasWidget::matchRasterToScreen() {
  const qreal ratio = devicePixelRatioF();
  const QSize client = contentsRect().size();
  const int w = ToDevice(client.width(), ratio);
  const int h = ToDevice(client.height(), ratio);
  if (ratio == rasterRatio_ && w == canvas_.Image().Width() && h == canvas_.Image().Height()) {
    return;
  }
  rasterRatio_ = ratio;
  // Keeps what was drawn at the top-left; the world window now spans the new pixel size.
  canvas_.Resize(w, h);
}

bool CanvasWidget::event(QEvent* e) {
#if QT_VERSION >= QT_VERSION_CHECK(6, 6, 0)
  if (e->type() == QEvent::DevicePixelRatioChange) matchRasterToScreen();
#endif
  return QFrame::event(e);
}

void CanvasWidget::resizeEvent(QResizeEvent* e) {
  QFrame::resizeEvent(e);
  matchRasterToScreen();
}

void CanvasWidget::showDirty(const turtle::PixelRect& dirty) {
  // Device pixels to logical ones, rounded outward so no changed pixel is left behind.
  const QPoint origin = contentsRect().topLeft();
  const int left = static_cast<int>(std::floor(dirty.left / rasterRatio_));
  const int top = static_cast<int>(std::floor(dirty.top / rasterRatio_));
  const int right = static_cast<int>(std::ceil(dirty.right / rasterRatio_));
  const int bottom = static_cast<int>(std::ceil(dirty.bottom / rasterRatio_));
  const QRect logical(origin.x() + left, origin.y() + top, right - left, bottom - top);

  // The screen must be current when Refresh returns, mid-curve, without running any other
  // event. On X11 the changed pixels go straight to the window (one PutImage, not awaited);
  // Qt's own buffer for the window is told to catch up at the next event pump, so a later
  // expose or repaint shows the same picture. Elsewhere, a synchronous repaint of the area.
  if (isVisible() && window()->winId() != pusherTriedFor_) {
    pusherTriedFor_ = window()->winId();
    pusher_ = X11Pusher::Create(window());
  }
  if (pusher_ != nullptr && isVisible()) {
    const QPoint inWindow = mapTo(window(), origin);
    pusher_->Push(canvas_.Image(), dirty,
                  QPoint(static_cast<int>(std::lround(inWindow.x() * rasterRatio_)) + dirty.left,
                         static_cast<int>(std::lround(inWindow.y() * rasterRatio_)) + dirty.top));
    if (!pushedNotPainted_.contains(logical)) {
      pushedNotPainted_ |= logical;
      update(pushedNotPainted_);
    }
    return;
  }
  repaint(logical);
}

void CanvasWidget::paintEvent(QPaintEvent* e) {
  // A screen change can alter the ratio without a resize (older Qt sends no event for it).
  matchRasterToScreen();
  if (e->rect().contains(pushedNotPainted_)) pushedNotPainted_ = QRect();
  QPainter painter(this);
  const QRect client = contentsRect();
  if (!client.contains(e->rect())) drawFrame(&painter);

  const turtle::Raster& raster = canvas_.Image();
  if (raster.Width() == 0 || raster.Height() == 0) return;
  // Wraps the raster's memory without copying it.
  QImage image(reinterpret_cast<const uchar*>(raster.Bits()), raster.Width(), raster.Height(),
               static_cast<qsizetype>(raster.Width()) * 4, QImage::Format_RGB32);
  image.setDevicePixelRatio(rasterRatio_);
  const QRect target = e->rect() & client;
  if (target.isEmpty()) return;
  const QRectF source((target.x() - client.x()) * rasterRatio_,
                      (target.y() - client.y()) * rasterRatio_, target.width() * rasterRatio_,
                      target.height() * rasterRatio_);
  painter.drawImage(QRectF(target), image, source);
}

}  // namespace app
