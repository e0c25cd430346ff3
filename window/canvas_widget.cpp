#include "window/canvas_widget.h"

#include <QEvent>
#include <QImage>
#include <QPaintEvent>
#include <QPainter>
#include <QScreen>
#include <chrono>

#include "files/image_file.h"
#include "form/form.h"
#include "turtle/device_pixels.h"

namespace window {

namespace {

constexpr int kBorder = form::kCanvasBorder;  // a thin sunken panel

turtle::ColorValue FromQColor(const QColor& c) {
  return turtle::PackColor(c.red(), c.green(), c.blue());
}

turtle::PresentPacer::Nanoseconds SteadyNow() {
  return std::chrono::duration_cast<std::chrono::nanoseconds>(
             std::chrono::steady_clock::now().time_since_epoch())
      .count();
}

turtle::PixelRect PixelRectOf(const QRect& r) {
  return {r.left(), r.top(), r.left() + r.width(), r.top() + r.height()};
}
QRect QRectOf(const turtle::PixelRect& r) {
  return QRect(QPoint(r.left, r.top), QPoint(r.right - 1, r.bottom - 1));
}

}  // namespace

CanvasWidget::CanvasWidget(QSize clientSize, QWidget* parent)
    : QFrame(parent),
      clientSize_(clientSize),
      canvas_(clientSize.width(), clientSize.height(),
              FromQColor(palette().color(QPalette::Window))),
      pacer_(SteadyNow) {
  setFrameStyle(QFrame::Panel | QFrame::Sunken);
  setLineWidth(kBorder);
  // Every pixel is painted from the raster or the border, so Qt need not clear anything first;
  // that keeps a present down to copying the changed pixels.
  setAttribute(Qt::WA_OpaquePaintEvent);
  setAttribute(Qt::WA_NoSystemBackground);
  setAttribute(Qt::WA_StaticContents);
  setFocusPolicy(Qt::StrongFocus);
  canvas_.SetRefreshHandler([this](const turtle::PixelRect& changed) { onRefresh(changed); });
  resize(sizeHint());
  matchRasterToScreen();
}

QSize CanvasWidget::sizeHint() const { return clientSize_ + QSize(2 * kBorder, 2 * kBorder); }

QColor CanvasWidget::colorAt(QPoint logical) const {
  // The device pixel at the logical pixel's top-left corner: the first one the pixel touches.
  const QRect pixel(mapTo(window(), contentsRect().topLeft() + logical), QSize(1, 1));
  const turtle::PixelRect device = turtle::DeviceCover(PixelRectOf(pixel), rasterRatio_);
  return QColor::fromRgb(canvas_.Image().Pixel(device.left - clientDeviceOrigin_.x(),
                                               device.top - clientDeviceOrigin_.y()));
}

void CanvasWidget::matchRasterToScreen() {
  const qreal ratio = devicePixelRatioF();
  // The raster covers every device pixel the client area touches, partly touched edge pixels
  // included, and is drawn after the border: at a fractional ratio the border's own rounding
  // then never leaves a column or row between the two unpainted.
  const QRect client(mapTo(window(), contentsRect().topLeft()), contentsRect().size());
  const turtle::PixelRect device = turtle::DeviceCover(PixelRectOf(client), ratio);
  const int w = device.right - device.left;
  const int h = device.bottom - device.top;
  clientDeviceOrigin_ = QPoint(device.left, device.top);
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

void CanvasWidget::moveEvent(QMoveEvent* e) {
  QFrame::moveEvent(e);
  matchRasterToScreen();
}

QRect CanvasWidget::logicalCover(const turtle::PixelRect& raster) const {
  const turtle::PixelRect inWindow =
      turtle::LogicalCover(raster, clientDeviceOrigin_.x(), clientDeviceOrigin_.y(), rasterRatio_);
  return QRectOf(inWindow).translated(-mapTo(window(), QPoint(0, 0))) & rect();
}

void CanvasWidget::onRefresh(const turtle::PixelRect& changed) {
  // A refresh point comes every 101 segments, tens of thousands of times a second; the screen
  // shows one frame per refresh interval. So the changed area is presented when a frame is
  // due, with a synchronous repaint that neither waits for the compositor nor runs any other
  // event, and otherwise held and marked for Qt's next ordinary paint.
  const turtle::PresentPacer::Decision decision = pacer_.Refresh(changed);
  if (!decision.present.Empty()) repaint(logicalCover(decision.present));
  if (!decision.mark.Empty()) update(logicalCover(decision.mark));
}

void CanvasWidget::presentNow() {
  const turtle::PixelRect held = pacer_.Flush();
  if (!held.Empty()) repaint(logicalCover(held));
}

void CanvasWidget::paintEvent(QPaintEvent* e) {
  // A screen change can alter the ratio without a resize (older Qt sends no event for it).
  matchRasterToScreen();
  if (const QScreen* s = screen()) pacer_.SetRefreshRate(s->refreshRate());
  QPainter painter(this);
  const QRect client = contentsRect();
  if (!client.contains(e->rect())) drawFrame(&painter);

  const turtle::Raster& raster = canvas_.Image();
  const QRect exposed = e->rect() & client;
  if (raster.Width() == 0 || raster.Height() == 0 || exposed.isEmpty()) return;
  const QImage image = files::ImageViewOf(raster);

  // Where the client area and the exposed part land in the paint device's own pixels (the
  // window's backing store, or a pixmap when the widget is grabbed).
  const QTransform toDevice = painter.deviceTransform();
  if (toDevice.type() > QTransform::TxScale) {
    painter.drawImage(QRectF(client), image);  // never the case for a widget; kept safe
    return;
  }
  const turtle::RasterCopy copy =
      turtle::ExposedRaster(PixelRectOf(exposed), client.left(), client.top(),
                            {toDevice.m11(), toDevice.m22(), toDevice.dx(), toDevice.dy()},
                            raster.Width(), raster.Height());
  if (copy.source.Empty()) return;
  // Draws in device pixels: undoing the ratio leaves a translation, which lands on the whole
  // pixel where the raster's top-left goes, so each raster pixel is copied to exactly one
  // device pixel.
  painter.setWorldTransform(QTransform::fromScale(1.0 / toDevice.m11(), 1.0 / toDevice.m22()));
  painter.drawImage(QPointF(copy.deviceX + copy.source.left - toDevice.dx(),
                            copy.deviceY + copy.source.top - toDevice.dy()),
                    image, QRectOf(copy.source));
  pacer_.Painted(copy.source);
}

}  // namespace window
