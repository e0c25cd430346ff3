#pragma once
// Animation files from frames: animated WebP (lossless, exact colours, through libwebp's
// animation encoder) and GIF (through giflib, a small colour table per frame, so every colour
// is kept exactly without a quantiser). Both loop forever. The bytes go to a ByteSink as they
// are ready: the GIF frame by frame, the WebP file whole at the end. No files are opened here.

#include <cstddef>
#include <cstdint>
#include <functional>
#include <memory>
#include <stdexcept>

#include "animation/frames.h"

namespace animation {

// Takes the next bytes of the file; false when they could not be written.
using ByteSink = std::function<bool(const std::uint8_t* data, std::size_t size)>;

// The sink refused bytes: the file's own error says why.
class WriteFailed : public std::runtime_error {
 public:
  WriteFailed() : std::runtime_error("the file could not be written") {}
};

enum class Format { WebP, Gif };

// FrameSinks that encode a width × height animation into `out`. They throw WriteFailed when
// `out` fails and std::runtime_error when the encoder does.
[[nodiscard]] std::unique_ptr<FrameSink> MakeGifEncoder(int width, int height, const Pacing& pacing,
                                                        ByteSink out);
[[nodiscard]] std::unique_ptr<FrameSink> MakeWebPEncoder(int width, int height,
                                                         const Pacing& pacing, ByteSink out);

}  // namespace animation
