#include <gif_lib.h>

#include <memory>
#include <string>
#include <utility>
#include <vector>

#include "animation/encoders.h"
#include "turtle/colour_value.h"

namespace animation {

namespace {

constexpr int kHundredths = 100;
constexpr int kLongestDelay = 65535;  // hundredths: a GIF delay field's limit
constexpr int kTransparent = 0;       // colour index of "as the frame before"

int WriteToSink(GifFileType* gif, const GifByteType* data, int size) {
  const auto* out = static_cast<const ByteSink*>(gif->UserData);
  return (*out)(data, static_cast<std::size_t>(size)) ? size : 0;
}

// Closes a GIF that is being abandoned, with the last bytes going nowhere: the file it was
// written to is being thrown away, or is already gone.
struct AbandonGif {
  void operator()(GifFileType* gif) const {
    static const ByteSink kDiscard = [](const std::uint8_t*, std::size_t) { return true; };
    gif->UserData = const_cast<ByteSink*>(&kDiscard);
    EGifCloseFile(gif, nullptr);
  }
};

// One frame waiting for its delay, which is known only when the next frame comes.
struct PendingFrame {
  turtle::PixelRect rect;
  std::vector<std::uint32_t> colours;  // index i + 1 is colours[i]; index 0 is transparent
  std::vector<GifPixelType> indices;   // rect.Width() × rect.Height()
  std::uint64_t startSlot = 0;
};

class GifEncoder final : public FrameSink {
 public:
  GifEncoder(int width, int height, const Pacing& pacing, ByteSink out)
      : pacing_(pacing), out_(std::move(out)) {
    int error = 0;
    gif_.reset(EGifOpen(&out_, WriteToSink, &error));
    if (!gif_) Fail(error);
    // GIF89a: the version that has delays, transparency and the looping extension.
    EGifSetGifVersion(gif_.get(), true);
    Check(EGifPutScreenDesc(gif_.get(), width, height, 8, 0, nullptr));
    // Loop forever: the application extension browsers read, with a loop count of 0.
    static const GifByteType kNetscape[] = "NETSCAPE2.0";
    static const GifByteType kLoopForever[] = {1, 0, 0};
    Check(EGifPutExtensionLeader(gif_.get(), APPLICATION_EXT_FUNC_CODE));
    Check(EGifPutExtensionBlock(gif_.get(), 11, kNetscape));
    Check(EGifPutExtensionBlock(gif_.get(), 3, kLoopForever));
    Check(EGifPutExtensionTrailer(gif_.get()));
  }

  void AddFrame(const turtle::Raster& canvas, const turtle::Raster* previous,
                const turtle::PixelRect& changed, std::uint64_t startSlot) override {
    if (pending_) Write(SlotTime(startSlot, pacing_.fps, kHundredths));
    pending_ = true;
    frame_.rect = changed;
    frame_.startSlot = startSlot;
    frame_.colours.clear();
    frame_.indices.resize(static_cast<std::size_t>(changed.Width()) * changed.Height());
    std::size_t i = 0;
    std::uint32_t lastColour = 0;
    GifPixelType lastIndex = kTransparent;
    for (int y = changed.top; y < changed.bottom; ++y) {
      const std::size_t row = static_cast<std::size_t>(y) * canvas.Width();
      for (int x = changed.left; x < changed.right; ++x) {
        const std::uint32_t pixel = canvas.Bits()[row + x];
        if (previous != nullptr && previous->Bits()[row + x] == pixel) {
          frame_.indices[i++] = kTransparent;
        } else {
          if (pixel != lastColour || lastIndex == kTransparent) {
            lastColour = pixel;
            lastIndex = IndexOf(pixel);
          }
          frame_.indices[i++] = lastIndex;
        }
      }
    }
  }

  void Finish(std::uint64_t endSlot) override {
    if (pending_) {
      Write(SlotTime(endSlot, pacing_.fps, kHundredths) +
            HoldTime(pacing_.holdSeconds, kHundredths));
    }
    pending_ = false;
    int error = 0;
    if (EGifCloseFile(gif_.release(), &error) == GIF_ERROR) Fail(error);
  }

 private:
  GifPixelType IndexOf(std::uint32_t colour) {
    for (std::size_t i = 0; i < frame_.colours.size(); ++i) {
      if (frame_.colours[i] == colour) return static_cast<GifPixelType>(i + 1);
    }
    // Each curve has one colour, and every angle from 93° on is white, so even a frame that
    // gathers many curves holds far fewer colours than a table has room for.
    if (frame_.colours.size() == 255) throw std::runtime_error("more than 255 colours in a frame");
    frame_.colours.push_back(colour);
    return static_cast<GifPixelType>(frame_.colours.size());
  }

  // Writes the pending frame, which ends at `endTime` hundredths.
  void Write(std::int64_t endTime) {
    std::int64_t delay = endTime - SlotTime(frame_.startSlot, pacing_.fps, kHundredths);
    const int tableSize = TableSize(static_cast<int>(frame_.colours.size()) + 1);
    std::vector<GifColorType> table(static_cast<std::size_t>(tableSize), GifColorType{0, 0, 0});
    for (std::size_t i = 0; i < frame_.colours.size(); ++i) {
      const turtle::Channels c = turtle::ChannelsOfPixel(frame_.colours[i]);
      table[i + 1] = {c.red, c.green, c.blue};
    }
    ColorMapObject* map = GifMakeMapObject(tableSize, table.data());
    if (map == nullptr) throw std::bad_alloc();
    const turtle::PixelRect& r = frame_.rect;
    PutControl(delay < kLongestDelay ? static_cast<int>(delay) : kLongestDelay);
    const int status =
        EGifPutImageDesc(gif_.get(), r.left, r.top, r.Width(), r.Height(), false, map);
    GifFreeMapObject(map);
    Check(status);
    for (int y = 0; y < r.Height(); ++y) {
      Check(EGifPutLine(gif_.get(), frame_.indices.data() + static_cast<std::size_t>(y) * r.Width(),
                        r.Width()));
    }
    // A delay past the field's limit goes on in empty one-pixel frames.
    for (delay -= kLongestDelay; delay > 0; delay -= kLongestDelay) {
      const GifColorType two[2] = {{0, 0, 0}, {0, 0, 0}};
      GifPixelType nothing = kTransparent;
      ColorMapObject* empty = GifMakeMapObject(2, two);
      if (empty == nullptr) throw std::bad_alloc();
      PutControl(delay < kLongestDelay ? static_cast<int>(delay) : kLongestDelay);
      const int s = EGifPutImageDesc(gif_.get(), 0, 0, 1, 1, false, empty);
      GifFreeMapObject(empty);
      Check(s);
      Check(EGifPutLine(gif_.get(), &nothing, 1));
    }
  }

  // The graphics control block: keep the frame in place for the next one to draw over, and
  // show index 0 as whatever is below.
  void PutControl(int delayHundredths) {
    GraphicsControlBlock control{DISPOSE_DO_NOT, false, delayHundredths, kTransparent};
    GifByteType extension[4];
    EGifGCBToExtension(&control, extension);
    Check(EGifPutExtension(gif_.get(), GRAPHICS_EXT_FUNC_CODE, 4, extension));
  }

  static int TableSize(int colours) {
    int size = 2;
    while (size < colours) size *= 2;
    return size;
  }

  void Check(int status) {
    if (status == GIF_ERROR) Fail(gif_->Error);
  }
  [[noreturn]] static void Fail(int error) {
    // giflib reports a sink that took too few bytes as a full disk; the sink knows the reason.
    if (error == E_GIF_ERR_WRITE_FAILED || error == E_GIF_ERR_DISK_IS_FULL) throw WriteFailed();
    const char* text = GifErrorString(error);
    throw std::runtime_error(std::string("GIF encoder: ") + (text != nullptr ? text : "error"));
  }

  Pacing pacing_;
  ByteSink out_;  // giflib holds a pointer to it: it stays in place for the encoder's life
  std::unique_ptr<GifFileType, AbandonGif> gif_;
  bool pending_ = false;
  PendingFrame frame_;
};

}  // namespace

std::unique_ptr<FrameSink> MakeGifEncoder(int width, int height, const Pacing& pacing,
                                          ByteSink out) {
  return std::make_unique<GifEncoder>(width, height, pacing, std::move(out));
}

}  // namespace animation
