#pragma once
// CanvasWidget: the picture box that shows a turtle::Canvas. A thin sunken border surrounds
// the client area; the canvas's raster has one pixel per device pixel of that area, so at a
// device pixel ratio of 2 curves stay one physical pixel wide. Paint events copy only the
// exposed part of the raster; the canvas's Refresh repaints just the changed rectangle, at once.

#include <QFrame>
#include <memory>

#include "turtle/canvas.h"

namespace app {

class X11Pusher;

class CanvasWidget final : public QFrame {
  Q_OBJECT

 public:
  // clientSize: the logical size of the area inside the border.
  CanvasWidget(QSize clientSize, QWidget* parent = nullptr);
  ~CanvasWidget() override;

  [[nodiscard]] turtle::Canvas& canvas() noexcept { return canvas_; }
  [[nodiscard]] const turtle::Canvas& canvas() const noexcept { return canvas_; }
  // The colour of a client-area pixel at a logical position, as the raster holds it.
  [[nodiscard]] QColor colourAt(QPoint logical) const;

  [[nodiscard]] QSize sizeHint() const override;

 protected:
  bool event(QEvent* e) override;
  void paintEvent(QPaintEvent* e) override;
  void resizeEvent(QResizeEvent* e) override;

 private:
  void matchRasterToScreen();
  void showDirty(const turtle::PixelRect& dirty);

  turtle::Canvas canvas_;
  qreal rasterRatio_ = 1.0;  // the device pixel ratio the raster was sized for
  // The direct path to an X11 window, when there is one; see showDirty.
  std::unique_ptr<X11Pusher> pusher_;
  WId pusherTriedFor_ = 0;  // the window a pusher was last made (or refused) for
  QRect pushedNotPainted_;  // logical area pushed directly that Qt's own buffer has not caught up on
};

}  // namespace app
