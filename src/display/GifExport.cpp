#include "display/GifExport.h"

#include <gif_lib.h>

#include <algorithm>
#include <climits>
#include <memory>
#include <vector>

#include "display/FrameCompose.h"

namespace quilmark {
namespace {

constexpr int32_t kMaxGifSide = 65535;

struct Output {
  const GifSink* sink;
  bool failed = false;
};

int WriteOut(GifFileType* gif, const GifByteType* data, int size) {
  auto* out = static_cast<Output*>(gif->UserData);
  if (out->failed || !(*out->sink)(data, static_cast<size_t>(size))) {
    out->failed = true;
    return 0;
  }
  return size;
}

struct CloseGif {
  void operator()(GifFileType* gif) const { EGifCloseFile(gif, nullptr); }
};

// The box that holds every frame, about the common origin.
ComposedImage CanvasOf(const classGAFAnimation& animation) {
  int64_t left = INT64_MAX, top = INT64_MAX, right = INT64_MIN, bottom = INT64_MIN;
  for (const FramePtr& frame : animation.Frames) {
    const ComposedImage box = BoxOf(*frame);
    if (box.Empty()) continue;
    left = std::min<int64_t>(left, box.left);
    top = std::min<int64_t>(top, box.top);
    right = std::max<int64_t>(right, int64_t{box.left} + box.width);
    bottom = std::max<int64_t>(bottom, int64_t{box.top} + box.height);
  }
  ComposedImage canvas;
  if (left >= right) return canvas;
  canvas.left = static_cast<int32_t>(left);
  canvas.top = static_cast<int32_t>(top);
  // Frames placed far apart may make a side beyond 32 bits' half; the zoomed
  // size is checked before anything of it is made.
  canvas.width = static_cast<int32_t>(std::min<int64_t>(right - left, INT32_MAX));
  canvas.height = static_cast<int32_t>(std::min<int64_t>(bottom - top, INT32_MAX));
  return canvas;
}

}  // namespace

bool EncodeAnimationGif(const classGAFAnimation& animation, const GifOptions& options, const Palette& palette,
                        const GifSink& sink, std::string* why) {
  const auto refuse = [why](const std::string& reason) {
    if (why) *why = reason;
    return false;
  };
  if (options.zoom < 1 || options.zoom > kMaxGifZoom)
    return refuse("the zoom must be 1 to " + std::to_string(kMaxGifZoom));
  if (options.delay < 0 || options.delay > 65535) return refuse("the delay must be 0 to 65535 hundredths");
  ComposedImage canvas = CanvasOf(animation);
  if (canvas.Empty()) return refuse("the animation has no frame with pixels");
  const int64_t width = int64_t{canvas.width} * options.zoom, height = int64_t{canvas.height} * options.zoom;
  if (width > kMaxGifSide || height > kMaxGifSide)
    return refuse("the frames take " + std::to_string(width) + " x " + std::to_string(height) +
                  " pixels, more than a GIF file can hold (65535 a side)");

  Output output{&sink};
  int error = 0;
  std::unique_ptr<GifFileType, CloseGif> gif(EGifOpen(&output, WriteOut, &error));
  if (!gif) return refuse(GifErrorString(error));
  const auto failed = [&] { return refuse(output.failed ? "writing failed" : GifErrorString(gif->Error)); };
  GifColorType colours[256];
  for (int i = 0; i < 256; ++i) colours[i] = {palette[size_t(i)].Red, palette[size_t(i)].Green, palette[size_t(i)].Blue};
  ColorMapObject* map = GifMakeMapObject(256, colours);
  if (!map) return refuse("out of memory");
  EGifSetGifVersion(gif.get(), true);
  const int screen = EGifPutScreenDesc(gif.get(), int(width), int(height), 8, TransparentIndex, map);
  GifFreeMapObject(map);
  if (screen == GIF_ERROR) return failed();
  // Loops for ever.
  const GifByteType loop[] = {1, 0, 0};
  if (EGifPutExtensionLeader(gif.get(), APPLICATION_EXT_FUNC_CODE) == GIF_ERROR ||
      EGifPutExtensionBlock(gif.get(), 11, "NETSCAPE2.0") == GIF_ERROR ||
      EGifPutExtensionBlock(gif.get(), 3, loop) == GIF_ERROR || EGifPutExtensionTrailer(gif.get()) == GIF_ERROR)
    return failed();

  // Each frame covers the whole canvas, cleared to transparent before the
  // next one is drawn.
  GraphicsControlBlock control{DISPOSE_BACKGROUND, false, options.delay, TransparentIndex};
  GifByteType extension[4];
  EGifGCBToExtension(&control, extension);
  canvas.pixels.resize(size_t(canvas.width) * size_t(canvas.height));
  std::vector<GifPixelType> line(static_cast<size_t>(width));
  for (const FramePtr& frame : animation.Frames) {
    std::fill(canvas.pixels.begin(), canvas.pixels.end(), TransparentIndex);
    DrawIndices(*frame, canvas.pixels.data(), canvas);
    if (EGifPutExtension(gif.get(), GRAPHICS_EXT_FUNC_CODE, 4, extension) == GIF_ERROR ||
        EGifPutImageDesc(gif.get(), 0, 0, int(width), int(height), false, nullptr) == GIF_ERROR)
      return failed();
    for (int32_t y = 0; y < canvas.height; ++y) {
      // The encoder masks the pixels of the line it is given in place.
      GifPixelType* row = canvas.pixels.data() + size_t(y) * size_t(canvas.width);
      GifPixelType* put = row;
      if (options.zoom > 1) {
        for (int32_t x = 0; x < canvas.width; ++x)
          std::fill_n(line.begin() + int64_t{x} * options.zoom, options.zoom, row[x]);
        put = line.data();
      }
      for (int32_t repeat = 0; repeat < options.zoom; ++repeat)
        if (EGifPutLine(gif.get(), put, int(width)) == GIF_ERROR) return failed();
    }
  }
  int closing = 0;
  if (EGifCloseFile(gif.release(), &closing) == GIF_ERROR)
    return refuse(output.failed ? "writing failed" : GifErrorString(closing));
  return true;
}

bool WriteAnimationGif(const classGAFAnimation& animation, const GifOptions& options, const Palette& palette,
                       const std::string& path, std::string* why, OutputName name) {
  AtomicFile file(path, name);
  if (!file.Open()) {
    if (why) *why = file.Error();
    return false;
  }
  const bool written =
      EncodeAnimationGif(animation, options, palette, [&file](const uint8_t* data, size_t size) {
        return file.Write(data, size);
      }, why);
  if (!written) return false;
  if (!file.Commit()) {
    if (why) *why = file.Error();
    return false;
  }
  return true;
}

}  // namespace quilmark
