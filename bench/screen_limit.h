#pragma once
// The screen limit: the cheapest way to put the program's refreshes on an X server. The same
// dirty rectangles the program's canvas hands its window, in the same order, each sent as raw
// PutImage requests into a plain X window of the canvas's size over a connection of our own,
// flushed after every rectangle and never waiting for a reply; one round trip at the very end
// makes sure the server has drawn everything, as the window rows do too. The pixels come from
// the finished picture: what a rectangle holds does not change what it costs to send.

#include <memory>
#include <string>
#include <vector>

#include "turtle/raster.h"

namespace bench {

class ScreenLimit {
 public:
  // Opens a connection to $DISPLAY and creates (unmapped) a window of width × height. Returns null
  // and says why in *why when there is no usable X server (or the bench was built without libxcb).
  static std::unique_ptr<ScreenLimit> Open(int width, int height, std::string* why);
  virtual ~ScreenLimit() = default;

  // Maps or unmaps the window; both return once the server has done it.
  virtual void Show() = 0;
  virtual void Hide() = 0;

  // Pushes every rectangle's pixels from raster; returns the seconds it took.
  virtual double Replay(const std::vector<turtle::PixelRect>& rects,
                        const turtle::Raster& raster) = 0;
};

// One round trip on an xcb connection given as an opaque pointer (Qt's own, for the window
// rows); does nothing when the pointer is null or the bench has no libxcb.
void SyncXcb(void* connection);

}  // namespace bench
