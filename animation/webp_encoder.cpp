#include <webp/encode.h>
#include <webp/mux.h>

#include <memory>
#include <string>

#include "animation/encoders.h"

namespace animation {

namespace {

constexpr int kMilliseconds = 1000;
// A frame's duration is a 24-bit field, and libwebp refuses a step between two timestamps that
// does not fit in it. A longer frame goes on in steps of the same picture, which libwebp joins to
// the frame before up to the limit and writes as frames that change nothing past it.
constexpr int kLongestStep = (1 << 24) - 1;  // milliseconds

struct DeleteEncoder {
  void operator()(WebPAnimEncoder* encoder) const { WebPAnimEncoderDelete(encoder); }
};

class WebPEncoder final : public FrameSink {
 public:
  WebPEncoder(int width, int height, const Pacing& pacing, ByteSink out)
      : pacing_(pacing), out_(std::move(out)) {
    WebPAnimEncoderOptions options;
    if (!WebPAnimEncoderOptionsInit(&options)) Fail("libwebp version mismatch");
    options.anim_params.loop_count = 0;  // forever
    options.allow_mixed = 0;             // lossless only
    encoder_.reset(WebPAnimEncoderNew(width, height, &options));
    if (!encoder_) Fail("cannot start the animation encoder");
    if (!WebPConfigInit(&config_)) Fail("libwebp version mismatch");
    // Lossless, every pixel's colour kept exactly, at the default effort (method 4): the
    // highest effort takes a hundred times longer for a file a few per cent smaller.
    config_.lossless = 1;
    config_.exact = 1;
    config_.method = 4;
  }

  void AddFrame(const turtle::Raster& canvas, const turtle::Raster* previous,
                const turtle::PixelRect&, std::uint64_t startSlot) override {
    // The encoder finds the changed rectangle itself, against its own copy of the last frame.
    const int start = Time(startSlot);
    if (previous != nullptr) GoOn(previous, start);
    Add(&canvas, start);
  }

  void Finish(std::uint64_t endSlot) override {
    const int end = Time(endSlot) + static_cast<int>(HoldTime(pacing_.holdSeconds, kMilliseconds));
    // The last frame's picture is not at hand here: calls without a picture carry it on, as
    // libwebp adds each step to the frame before, and the last of them is the end.
    GoOn(nullptr, end);
    Add(nullptr, end);
    WebPData file;
    WebPDataInit(&file);
    if (!WebPAnimEncoderAssemble(encoder_.get(), &file)) {
      Fail(WebPAnimEncoderGetError(encoder_.get()));
    }
    const bool written = out_(file.bytes, file.size);
    WebPDataClear(&file);
    if (!written) throw WriteFailed();
  }

 private:
  // Lets the last frame's `picture` (nullptr at the end) last until `time`, in steps the
  // duration field holds.
  void GoOn(const turtle::Raster* picture, int time) {
    while (time - last_ > kLongestStep) Add(picture, last_ + kLongestStep);
  }

  // `picture` from `time` on; nullptr ends the animation.
  void Add(const turtle::Raster* picture, int time) {
    WebPPicture frame;
    if (!WebPPictureInit(&frame)) Fail("libwebp version mismatch");
    if (picture != nullptr) {
      frame.use_argb = 1;
      frame.width = picture->Width();
      frame.height = picture->Height();
      // The raster's pixels are 0xffRRGGBB words, which is the picture's own ARGB layout; the
      // encoder only reads them.
      frame.argb = const_cast<std::uint32_t*>(picture->Bits());
      frame.argb_stride = picture->Width();
    }
    if (!WebPAnimEncoderAdd(encoder_.get(), picture != nullptr ? &frame : nullptr, time,
                            picture != nullptr ? &config_ : nullptr)) {
      Fail(WebPAnimEncoderGetError(encoder_.get()));
    }
    last_ = time;
  }

  int Time(std::uint64_t slot) const {
    return static_cast<int>(SlotTime(slot, pacing_.fps, kMilliseconds));
  }
  [[noreturn]] static void Fail(const char* what) {
    throw std::runtime_error(std::string("WebP encoder: ") + (what != nullptr ? what : "error"));
  }

  Pacing pacing_;
  ByteSink out_;
  WebPConfig config_;
  std::unique_ptr<WebPAnimEncoder, DeleteEncoder> encoder_;
  int last_ = 0;  // milliseconds: the time of the last call to the encoder
};

}  // namespace

std::unique_ptr<FrameSink> MakeWebPEncoder(int width, int height, const Pacing& pacing,
                                           ByteSink out) {
  return std::make_unique<WebPEncoder>(width, height, pacing, std::move(out));
}

}  // namespace animation
