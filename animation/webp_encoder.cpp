#include <webp/encode.h>
#include <webp/mux.h>

#include <memory>
#include <new>
#include <string>
#include <vector>

#include "animation/encoders.h"

namespace animation {

namespace {

constexpr int kMilliseconds = 1000;
// A frame's duration is a 24-bit field: a longer frame goes on in frames that change nothing.
constexpr std::int64_t kLongestDuration = (1 << 24) - 1;  // milliseconds
constexpr std::uint32_t kUnchanged = 0;                   // fully transparent: the frame before

struct DeleteMux {
  void operator()(WebPMux* mux) const { WebPMuxDelete(mux); }
};

// One encoded frame waiting for its duration, which is known only when the next frame comes.
struct PendingFrame {
  WebPMemoryWriter bitstream;
  int left = 0;
  int top = 0;
  bool blend = false;
  std::int64_t start = 0;  // milliseconds
};

// Writes animated WebP through libwebp's muxer: every frame is only the rectangle that changed,
// encoded once, losslessly, with the pixels that did not change transparent over the frame
// before. Holds the encoded frames and one rectangle of pixels, never a whole canvas of its own;
// libwebp's own animation encoder keeps several whole canvases and tries several encodings of
// every frame, which at scale 16 takes gigabytes and minutes.
class WebPEncoder final : public FrameSink {
 public:
  WebPEncoder(int width, int height, const Pacing& pacing, ByteSink out)
      : width_(width), height_(height), pacing_(pacing), out_(std::move(out)), mux_(WebPMuxNew()) {
    if (!mux_) throw std::bad_alloc();
    if (!WebPConfigInit(&config_)) Fail("libwebp version mismatch");
    // Lossless at the default effort (method 4): the highest effort takes a hundred times
    // longer for a file a few per cent smaller.
    config_.lossless = 1;
    config_.method = 4;
    // Every colour exactly, and the pictures it is given left as they are: the first frame is
    // the canvas itself, and the unchanged pixels are all zero already.
    config_.exact = 1;
    WebPMemoryWriterInit(&frame_.bitstream);
  }
  ~WebPEncoder() override {
    WebPMemoryWriterClear(&frame_.bitstream);
    WebPMemoryWriterClear(&filler_);
  }
  WebPEncoder(const WebPEncoder&) = delete;
  WebPEncoder& operator=(const WebPEncoder&) = delete;

  void AddFrame(const turtle::Raster& canvas, const turtle::Raster* previous,
                const turtle::PixelRect& changed, std::uint64_t startSlot) override {
    const std::int64_t start = SlotTime(startSlot, pacing_.fps, kMilliseconds);
    if (pending_) Push(start);
    // Frame offsets are stored halved: the rectangle starts on even coordinates.
    const turtle::PixelRect r{changed.left & ~1, changed.top & ~1, changed.right, changed.bottom};
    const std::size_t first = static_cast<std::size_t>(r.top) * canvas.Width() + r.left;
    if (previous == nullptr) {
      Encode(canvas.Bits() + first, canvas.Width(), r.Width(), r.Height());  // all of it shows
    } else {
      pixels_.resize(static_cast<std::size_t>(r.Width()) * r.Height());
      std::uint32_t* to = pixels_.data();
      for (int y = r.top; y < r.bottom; ++y) {
        const std::size_t row = static_cast<std::size_t>(y) * canvas.Width();
        for (int x = r.left; x < r.right; ++x) {
          const std::uint32_t pixel = canvas.Bits()[row + x];
          *to++ = previous->Bits()[row + x] == pixel ? kUnchanged : pixel;
        }
      }
      Encode(pixels_.data(), r.Width(), r.Width(), r.Height());
      pixels_ = {};  // a large rectangle's memory goes back at once
    }
    frame_.left = r.left;
    frame_.top = r.top;
    frame_.blend = previous != nullptr;
    frame_.start = start;
    pending_ = true;
  }

  void Finish(std::uint64_t endSlot) override {
    if (pending_) {
      Push(SlotTime(endSlot, pacing_.fps, kMilliseconds) +
           HoldTime(pacing_.holdSeconds, kMilliseconds));
    }
    WebPMuxAnimParams params;
    params.bgcolor = 0xff000000u;
    params.loop_count = 0;  // forever
    Check(WebPMuxSetAnimationParams(mux_.get(), &params));
    Check(WebPMuxSetCanvasSize(mux_.get(), width_, height_));
    WebPData file;
    WebPDataInit(&file);
    Check(WebPMuxAssemble(mux_.get(), &file));
    const bool written = out_(file.bytes, file.size);
    WebPDataClear(&file);
    if (!written) throw WriteFailed();
  }

 private:
  // Encodes width x height pixels from `argb`, rows `stride` apart, as the pending frame.
  void Encode(const std::uint32_t* argb, int stride, int width, int height) {
    WebPPicture picture;
    if (!WebPPictureInit(&picture)) Fail("libwebp version mismatch");
    picture.use_argb = 1;
    picture.width = width;
    picture.height = height;
    picture.argb = const_cast<std::uint32_t*>(argb);  // only read
    picture.argb_stride = stride;
    WebPMemoryWriterClear(&frame_.bitstream);
    WebPMemoryWriterInit(&frame_.bitstream);
    picture.writer = WebPMemoryWrite;
    picture.custom_ptr = &frame_.bitstream;
    if (!WebPEncode(&config_, &picture)) {
      const WebPEncodingError error = picture.error_code;
      if (error == VP8_ENC_ERROR_OUT_OF_MEMORY || error == VP8_ENC_ERROR_BITSTREAM_OUT_OF_MEMORY) {
        throw std::bad_alloc();
      }
      Fail(("cannot encode a frame (error " + std::to_string(error) + ")").c_str());
    }
  }

  // Writes the pending frame, which ends at `end` milliseconds; a duration past the field's
  // limit goes on in frames of one transparent pixel.
  void Push(std::int64_t end) {
    std::int64_t duration = end - frame_.start;
    PushFrame({frame_.bitstream.mem, frame_.bitstream.size}, frame_.left, frame_.top,
              duration < kLongestDuration ? duration : kLongestDuration, frame_.blend);
    for (duration -= kLongestDuration; duration > 0; duration -= kLongestDuration) {
      if (filler_.size == 0) {
        const std::uint32_t transparent = kUnchanged;
        Encode(&transparent, 1, 1, 1);
        filler_ = frame_.bitstream;  // kept: frame_'s writer is not cleared before it is
        WebPMemoryWriterInit(&frame_.bitstream);
      }
      PushFrame({filler_.mem, filler_.size}, 0, 0,
                duration < kLongestDuration ? duration : kLongestDuration, true);
    }
    pending_ = false;
  }

  void PushFrame(WebPData bitstream, int left, int top, std::int64_t duration, bool blend) {
    WebPMuxFrameInfo info{};
    info.bitstream = bitstream;
    info.x_offset = left;
    info.y_offset = top;
    info.duration = static_cast<int>(duration);
    info.id = WEBP_CHUNK_ANMF;
    info.dispose_method = WEBP_MUX_DISPOSE_NONE;
    info.blend_method = blend ? WEBP_MUX_BLEND : WEBP_MUX_NO_BLEND;
    Check(WebPMuxPushFrame(mux_.get(), &info, 1));
  }

  static void Check(WebPMuxError status) {
    if (status == WEBP_MUX_MEMORY_ERROR) throw std::bad_alloc();
    if (status != WEBP_MUX_OK) Fail(("muxer error " + std::to_string(status)).c_str());
  }
  [[noreturn]] static void Fail(const char* what) {
    throw std::runtime_error(std::string("WebP encoder: ") + what);
  }

  int width_;
  int height_;
  Pacing pacing_;
  ByteSink out_;
  std::unique_ptr<WebPMux, DeleteMux> mux_;
  WebPConfig config_;
  PendingFrame frame_;
  bool pending_ = false;
  WebPMemoryWriter filler_{};  // one transparent pixel, encoded at the first long frame
  std::vector<std::uint32_t> pixels_;
};

}  // namespace

std::unique_ptr<FrameSink> MakeWebPEncoder(int width, int height, const Pacing& pacing,
                                           ByteSink out) {
  return std::make_unique<WebPEncoder>(width, height, pacing, std::move(out));
}

}  // namespace animation
