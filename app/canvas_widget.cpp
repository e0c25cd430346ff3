#include "app/canvas_widget.h"

#include <QEvent>
#include <QImage>
#include <QPaintEvent>
#include <QPainter>
#include <QScreen>
#include <chrono>
#include <cmath>

#include "app/image_file.h"

namespace app {

namespace {

constexpr int kBorder = 2;  // a thin sunken panel: two pixels on each side

turtle::ColorValue FromQColor(const QColor& c) {
  return turtle::PackColor(c.red(), c.green(), c.blue());
}

turtle::PresentPacer::Nanoseconds SteadyNow() {
  return std::chrono::duration_cast<std::chrono::nanoseconds>(
             std::chrono::steady_clock::now().time_since_epoch())
      .count();
}

// The raster covers every device pixel the client area touches, partly touched edge pixels
// included, and is drawn after the border: at a fractional ratio the border's own rounding
// then never leaves a column or row between the two unpainted.
int DeviceFloor(qreal device) { return static_cast<int>(std::floor(device)); }
int DeviceCeil(qreal device) { return static_cast<int>(std::ceil(device)); }

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
  // The device pixel at the logical pixel's top-left corner.
  const QPoint corner = mapTo(window(), contentsRect().topLeft() + logical);
  const int x = DeviceFloor(corner.x() * rasterRatio_) - clientDeviceOrigin_.x();
  const int y = DeviceFloor(corner.y() * rasterRatio_) - clientDeviceOrigin_.y();
  return QColor::fromRgb(canvas_.Image().Pixel(x, y));
}

void CanvasWidget::matchRasterToScreen() {
  const qreal ratio = devicePixelRatioF();
  const QRect client(mapTo(window(), contentsRect().topLeft()), contentsRect().size());
  const QPoint origin(DeviceFloor(client.left() * ratio), DeviceFloor(client.top() * ratio));
  const int w = DeviceCeil((client.left() + client.width()) * ratio) - origin.x();
  const int h = DeviceCeil((client.top() + client.height()) * ratio) - origin.y();
  clientDeviceOrigin_ = origin;
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
  // Qt clips the repaint to the device pixels of the logical rectangle and flushes its own
  // rounding of that rectangle; at a fractional ratio either can fall short of an edge column
  // of the raster rectangle. A margin of one device pixel's worth of logical pixels on every
  // side keeps both covering it (MainWindowTest.ScreenShowsEveryDevicePixelOfTheCanvas).
  const qreal r = rasterRatio_;
  const int grow = static_cast<int>(std::ceil(1.0 / r));
  const int left = static_cast<int>(std::floor((clientDeviceOrigin_.x() + raster.left) / r));
  const int top = static_cast<int>(std::floor((clientDeviceOrigin_.y() + raster.top) / r));
  const int right = static_cast<int>(std::ceil((clientDeviceOrigin_.x() + raster.right) / r));
  const int bottom = static_cast<int>(std::ceil((clientDeviceOrigin_.y() + raster.bottom) / r));
  const QPoint inWindow = mapTo(window(), QPoint(0, 0));
  return QRect(QPoint(left - grow, top - grow) - inWindow,
               QPoint(right + grow - 1, bottom + grow - 1) - inWindow) &
         rect();
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
  const QImage image = ImageViewOf(raster);

  // Where the client area and the exposed part land in the paint device's own pixels (the
  // window's backing store, or a pixmap when the widget is grabbed).
  const QTransform toDevice = painter.deviceTransform();
  if (toDevice.type() > QTransform::TxScale) {
    painter.drawImage(QRectF(client), image);  // never the case for a widget; kept safe
    return;
  }
  const QPointF clientTopLeft = toDevice.map(QPointF(client.topLeft()));
  const QPoint origin(DeviceFloor(clientTopLeft.x()), DeviceFloor(clientTopLeft.y()));
  const QRectF exposedDevice = toDevice.mapRect(QRectF(exposed));
  const QRect source = QRect(QPoint(DeviceFloor(exposedDevice.left()) - origin.x(),
                                    DeviceFloor(exposedDevice.top()) - origin.y()),
                             QPoint(DeviceCeil(exposedDevice.right()) - origin.x() - 1,
                                    DeviceCeil(exposedDevice.bottom()) - origin.y() - 1)) &
                       image.rect();
  if (source.isEmpty()) return;
  // Draws in device pixels: undoing the ratio leaves a translation, which lands on the whole
  // pixel `origin`, so each raster pixel is copied to exactly one device pixel.
  painter.setWorldTransform(QTransform::fromScale(1.0 / toDevice.m11(), 1.0 / toDevice.m22()));
  painter.drawImage(
      QPointF(origin.x() + source.x() - toDevice.dx(), origin.y() + source.y() - toDevice.dy()),
      image, source);
  pacer_.Painted({source.left(), source.top(), source.right() + 1, source.bottom() + 1});
}

}  // namespace app
