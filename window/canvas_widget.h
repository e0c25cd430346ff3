#pragma once
// CanvasWidget: the picture box that shows a turtle::Canvas. A thin sunken border surrounds the
// client area; the canvas's raster has one pixel per device pixel of that area and is drawn one
// to one, never resampled, so at any device pixel ratio a one-pixel pen is one physical pixel.
// The canvas's Refresh reaches the screen paced to the display: an area is presented at once
// when a display frame has passed since the last present, otherwise held for the next one
// (and for Qt's next ordinary paint). Paint events copy only the exposed part of the raster.

#include <QFrame>

#include "turtle/canvas.h"
#include "turtle/present_pacer.h"

namespace window {

class CanvasWidget final : public QFrame {
  Q_OBJECT

 public:
  // clientSize: the logical size of the area inside the border.
  CanvasWidget(QSize clientSize, QWidget* parent = nullptr);

  [[nodiscard]] turtle::Canvas& canvas() noexcept { return canvas_; }
  [[nodiscard]] const turtle::Canvas& canvas() const noexcept { return canvas_; }
  // The colour of a client-area pixel at a logical position, as the raster holds it.
  [[nodiscard]] QColor colorAt(QPoint logical) const;

  // Brings the screen up to date with everything changed so far, now, whatever the pacing
  // says; does nothing when nothing is held back. Runs no other events.
  void presentNow();

  [[nodiscard]] turtle::PresentPacer& pacer() noexcept { return pacer_; }

  [[nodiscard]] QSize sizeHint() const override;

 protected:
  bool event(QEvent* e) override;
  void paintEvent(QPaintEvent* e) override;
  void resizeEvent(QResizeEvent* e) override;
  void moveEvent(QMoveEvent* e) override;

 private:
  void matchRasterToScreen();
  void onRefresh(const turtle::PixelRect& changed);
  // The logical widget rectangle whose repaint puts every pixel of a raster rectangle on the
  // screen, at the present device pixel ratio.
  [[nodiscard]] QRect logicalCover(const turtle::PixelRect& raster) const;

  QSize clientSize_;  // logical
  turtle::Canvas canvas_;
  turtle::PresentPacer pacer_;
  qreal rasterRatio_ = 1.0;    // the device pixel ratio the raster was sized for
  QPoint clientDeviceOrigin_;  // the raster's top-left in the window's device pixels
};

}  // namespace window
