#include "animation/animate.h"

#include <gif_lib.h>
#include <gtest/gtest.h>
#include <webp/demux.h>

#include <algorithm>
#include <cstring>
#include <string>
#include <vector>

#include "support/raster_helpers.h"

namespace {

using turtle::PixelRect;
using turtle::Raster;

// What a sink was handed: each frame's rectangle, start slot and whether it had a previous
// picture, then the end slot.
struct RecordingSink final : animation::FrameSink {
  struct Frame {
    PixelRect rect;
    std::uint64_t slot;
    bool first;
    friend bool operator==(const Frame&, const Frame&) = default;
  };
  std::vector<Frame> frames;
  std::uint64_t end = 0;
  void AddFrame(const Raster&, const Raster* previous, const PixelRect& changed,
                std::uint64_t slot) override {
    frames.push_back({changed, slot, previous == nullptr});
  }
  void Finish(std::uint64_t endSlot) override { end = endSlot; }
};

TEST(AnimationTest, FramesHoldOnlyWhatChangedAndUnchangedSlotsLengthenTheFrameBefore) {
  // Each curve of the script paints one pixel: "x,y" in colour 1 or 2, or "-" for nothing.
  struct Case {
    const char* what;
    std::uint64_t every;
    std::vector<std::string> curves;
    std::vector<RecordingSink::Frame> frames;
    std::uint64_t end;
  } cases[] = {
      {"one per curve; a curve over its own colour adds a slot",
       1,
       {"1:1,1", "1:1,1", "2:3,2"},
       {{{0, 0, 8, 4}, 0, true}, {{3, 2, 4, 3}, 2, false}},
       3},
      {"one per two curves; the last frame is kept",
       2,
       {"1:0,0", "1:5,3", "2:2,2", "2:6,1", "1:7,3"},
       {{{0, 0, 8, 4}, 0, true}, {{2, 1, 7, 3}, 1, false}, {{7, 3, 8, 4}, 2, false}},
       3},
      {"no curve at all: the canvas as one frame", 3, {}, {{{0, 0, 8, 4}, 0, true}}, 1},
  };
  for (const Case& c : cases) {
    Raster canvas(8, 4, 0xff000000u);
    RecordingSink sink;
    animation::FrameTaker taker(sink, c.every);
    for (const std::string& curve : c.curves) {
      int colour = 0, x = 0, y = 0;
      std::sscanf(curve.c_str(), "%d:%d,%d", &colour, &x, &y);
      canvas.DrawLine(x + 0.5, y + 0.5, x + 0.5, y + 0.5, 0xff000000u + colour);
      taker.AfterCurve(canvas);
    }
    taker.Finish(canvas);
    EXPECT_EQ(sink.frames, c.frames) << c.what;
    EXPECT_EQ(sink.end, c.end) << c.what;
    EXPECT_EQ(animation::SlotsFor(c.curves.size(), c.every), c.end) << c.what;
  }
}

// The pictures and the end times of an animation file, decoded by the libraries' own readers.
struct Decoded {
  std::vector<Raster> frames;
  std::vector<int> ends;  // hundredths (GIF) or milliseconds (WebP) from the start
  int loops = -1;
};

Decoded DecodeWebP(const std::vector<std::uint8_t>& bytes) {
  Decoded d;
  const WebPData data{bytes.data(), bytes.size()};
  WebPAnimDecoderOptions options;
  WebPAnimDecoderOptionsInit(&options);
  options.color_mode = MODE_BGRA;  // 0xAARRGGBB words, the raster's own layout
  WebPAnimDecoder* decoder = WebPAnimDecoderNew(&data, &options);
  if (decoder == nullptr) return d;
  WebPAnimInfo info;
  WebPAnimDecoderGetInfo(decoder, &info);
  d.loops = static_cast<int>(info.loop_count);
  std::uint8_t* pixels = nullptr;
  int end = 0;
  while (WebPAnimDecoderGetNext(decoder, &pixels, &end)) {
    Raster frame(static_cast<int>(info.canvas_width), static_cast<int>(info.canvas_height), 0);
    std::memcpy(frame.Bits(), pixels, info.canvas_width * info.canvas_height * 4);
    d.frames.push_back(std::move(frame));
    d.ends.push_back(end);
  }
  WebPAnimDecoderDelete(decoder);
  return d;
}

Decoded DecodeGif(const std::vector<std::uint8_t>& bytes) {
  Decoded d;
  struct Reader {
    const std::vector<std::uint8_t>& bytes;
    std::size_t at = 0;
  } reader{bytes};
  const InputFunc read = [](GifFileType* gif, GifByteType* out, int n) {
    auto& r = *static_cast<Reader*>(gif->UserData);
    const int count = static_cast<int>(std::min<std::size_t>(n, r.bytes.size() - r.at));
    std::memcpy(out, r.bytes.data() + r.at, static_cast<std::size_t>(count));
    r.at += static_cast<std::size_t>(count);
    return count;
  };
  int error = 0;
  GifFileType* gif = DGifOpen(&reader, read, &error);
  if (gif == nullptr || DGifSlurp(gif) == GIF_ERROR) return d;
  Raster canvas(gif->SWidth, gif->SHeight, 0);
  int end = 0;
  PixelRect cleared;  // where the frame before is taken away, as its disposal asks
  for (int i = 0; i < gif->ImageCount; ++i) {
    const SavedImage& image = gif->SavedImages[i];
    for (int y = cleared.top; y < cleared.bottom; ++y) {
      std::fill_n(canvas.Bits() + y * canvas.Width() + cleared.left, cleared.Width(), 0u);
    }
    for (int e = 0; e < image.ExtensionBlockCount; ++e) {
      const ExtensionBlock& block = image.ExtensionBlocks[e];
      if (block.Function == APPLICATION_EXT_FUNC_CODE && block.ByteCount == 11 &&
          std::memcmp(block.Bytes, "NETSCAPE2.0", 11) == 0 && e + 1 < image.ExtensionBlockCount) {
        const ExtensionBlock& loop = image.ExtensionBlocks[e + 1];
        d.loops = loop.Bytes[1] | loop.Bytes[2] << 8;
      }
    }
    GraphicsControlBlock control{};
    DGifSavedExtensionToGCB(gif, i, &control);
    const GifImageDesc& at = image.ImageDesc;
    const bool kept = control.DisposalMode == DISPOSE_DO_NOT;
    cleared =
        kept ? PixelRect{} : PixelRect{at.Left, at.Top, at.Left + at.Width, at.Top + at.Height};
    const ColorMapObject* map = at.ColorMap != nullptr ? at.ColorMap : gif->SColorMap;
    for (int y = 0; y < at.Height; ++y) {
      for (int x = 0; x < at.Width; ++x) {
        const int index = image.RasterBits[y * at.Width + x];
        if (index == control.TransparentColor) continue;
        const GifColorType c = map->Colors[index];
        canvas.Bits()[(at.Top + y) * canvas.Width() + at.Left + x] =
            0xff000000u | c.Red << 16 | c.Green << 8 | c.Blue;
      }
    }
    end += control.DelayTime;
    // An empty one-pixel frame only carries on the delay of the frame before.
    if (at.Width == 1 && at.Height == 1 && !d.ends.empty() &&
        image.RasterBits[0] == control.TransparentColor) {
      d.ends.back() = end;
      continue;
    }
    d.frames.push_back(canvas);
    d.ends.push_back(end);
  }
  DGifCloseFile(gif, &error);
  return d;
}

class AnimationFileTest : public testing::TestWithParam<animation::Format> {};

TEST_P(AnimationFileTest, FramesAreTheCanvasAfterEachCurveOnTimeAndLoopingForever) {
  animation::AnimationRequest request;
  request.render = {&sweeps::kStyle2Sweep, 0, 3, 1};  // 4 passes and the closing curve
  request.format = GetParam();
  request.pacing = {30, 1.5};
  std::vector<std::uint8_t> bytes;
  const auto end = animation::Animate(request, [&bytes](const std::uint8_t* data, std::size_t n) {
    bytes.insert(bytes.end(), data, data + n);
    return true;
  });
  ASSERT_EQ(end, sweeps::SweepEnd::RanOut);
  const bool gif = GetParam() == animation::Format::Gif;
  const Decoded d = gif ? DecodeGif(bytes) : DecodeWebP(bytes);
  ASSERT_EQ(d.frames.size(), 5u);
  EXPECT_EQ(d.loops, 0);
  // Frame k ends at round(k / 30 s) on the format's clock; the last one holds 1.5 s more.
  const std::vector<int> ends = gif ? std::vector<int>{3, 7, 10, 13, 17 + 150}
                                    : std::vector<int>{33, 67, 100, 133, 167 + 1500};
  EXPECT_EQ(d.ends, ends);
  // A render can stop before any pass but not between the last pass and the closing curve.
  for (const std::uint64_t k : {1u, 2u, 3u}) {
    const Raster stopped =
        sweeps::Render(request.render, [k](std::uint64_t done, auto) { return done < k; }).image;
    EXPECT_EQ(testing_support::HashPixels(d.frames[k - 1]), testing_support::HashPixels(stopped))
        << "frame " << k;
  }
  EXPECT_EQ(testing_support::HashPixels(d.frames.back()),
            testing_support::HashPixels(sweeps::Render(request.render).image));
}

INSTANTIATE_TEST_SUITE_P(BothFormats, AnimationFileTest,
                         testing::Values(animation::Format::WebP, animation::Format::Gif));

TEST(AnimationTest, GifDelaysPastTheFieldLimitCarryOnAndAFailedWriteIsReported) {
  animation::AnimationRequest request;
  request.render = {&sweeps::kStyle3Sweep, 0, -5, 1};  // no curve: the black canvas alone
  request.format = animation::Format::Gif;
  request.pacing = {1, 60};
  std::vector<std::uint8_t> bytes;
  animation::Animate(request, [&bytes](const std::uint8_t* data, std::size_t n) {
    bytes.insert(bytes.end(), data, data + n);
    return true;
  });
  const Decoded d = DecodeGif(bytes);
  ASSERT_EQ(d.frames.size(), 1u);
  EXPECT_EQ(d.ends, std::vector<int>{100 + 6000});

  for (const animation::Format format : {animation::Format::Gif, animation::Format::WebP}) {
    request.format = format;
    EXPECT_THROW(
        animation::Animate(request, [](const std::uint8_t*, std::size_t) { return false; }),
        animation::WriteFailed);
  }
}

TEST(AnimationTest, WebPFramesPastTheDurationLimitGoOnAsTheSamePicture) {
  // Whole canvases of colours 1, 2, ... starting at the given slots (1 fps, so a slot is a
  // second); WebP holds at most 16,777,215 ms in a frame.
  struct Case {
    const char* what;
    std::vector<std::uint64_t> starts;
    std::uint64_t endSlot;
    double hold;
    std::vector<int> ends;  // milliseconds, of each picture as a viewer sees it
  } cases[] = {
      {"two long frames in the middle",
       {0, 40000, 80000},
       80001,
       0,
       {40000000, 80000000, 80001000}},
      {"the last frame long with its hold", {0, 1}, 50000, 60, {1000, 50060000}},
  };
  for (const Case& c : cases) {
    std::vector<std::uint8_t> bytes;
    const auto encoder = animation::MakeWebPEncoder(
        8, 4, {1, c.hold}, [&bytes](const std::uint8_t* data, std::size_t n) {
          bytes.insert(bytes.end(), data, data + n);
          return true;
        });
    Raster previous(8, 4, 0);
    for (std::size_t k = 0; k < c.starts.size(); ++k) {
      const Raster canvas(8, 4, 0xff000001u + static_cast<std::uint32_t>(k));
      encoder->AddFrame(canvas, k == 0 ? nullptr : &previous, {0, 0, 8, 4}, c.starts[k]);
      previous = canvas;
    }
    encoder->Finish(c.endSlot);
    // A frame that goes on past the limit may come back as several of the same picture.
    const Decoded d = DecodeWebP(bytes);
    std::vector<std::uint32_t> colours;
    std::vector<int> ends;
    for (std::size_t i = 0; i < d.frames.size(); ++i) {
      if (!colours.empty() && colours.back() == d.frames[i].Pixel(0, 0)) {
        ends.back() = d.ends[i];
        continue;
      }
      colours.push_back(d.frames[i].Pixel(0, 0));
      ends.push_back(d.ends[i]);
    }
    EXPECT_EQ(colours.size(), c.starts.size()) << c.what;
    EXPECT_EQ(colours.back(), 0xff000000u + c.starts.size()) << c.what;
    EXPECT_EQ(ends, c.ends) << c.what;
  }
}

}  // namespace
