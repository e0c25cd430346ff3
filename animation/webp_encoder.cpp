#include <webp/encode.h>
#include <webp/mux.h>

#include <memory>
#include <string>

#include "animation/encoders.h"

namespace animation {

namespace {

constexpr int kMilliseconds = 1000;

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

  void AddFrame(const turtle::Raster& canvas, const turtle::Raster*, const turtle::PixelRect&,
                std::uint64_t startSlot) override {
    // The encoder finds the changed rectangle itself, against its own copy of the last frame.
    WebPPicture picture;
    if (!WebPPictureInit(&picture)) Fail("libwebp version mismatch");
    picture.use_argb = 1;
    picture.width = canvas.Width();
    picture.height = canvas.Height();
    // The raster's pixels are 0xffRRGGBB words, which is the picture's own ARGB layout; the
    // encoder only reads them.
    picture.argb = const_cast<std::uint32_t*>(canvas.Bits());
    picture.argb_stride = canvas.Width();
    if (!WebPAnimEncoderAdd(encoder_.get(), &picture, Time(startSlot), &config_)) {
      Fail(WebPAnimEncoderGetError(encoder_.get()));
    }
  }

  void Finish(std::uint64_t endSlot) override {
    const int end = Time(endSlot) + static_cast<int>(HoldTime(pacing_.holdSeconds, kMilliseconds));
    if (!WebPAnimEncoderAdd(encoder_.get(), nullptr, end, nullptr)) {
      Fail(WebPAnimEncoderGetError(encoder_.get()));
    }
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
};

}  // namespace

std::unique_ptr<FrameSink> MakeWebPEncoder(int width, int height, const Pacing& pacing,
                                           ByteSink out) {
  return std::make_unique<WebPEncoder>(width, height, pacing, std::move(out));
}

}  // namespace animation
