// Writing frame images as 8-bit palettised PNG files.
#include <spng.h>

#include <memory>
#include <new>

#include "base/AtomicFile.h"
#include "document/classGAFFrame.h"
#include "images/modPng.h"

namespace quilmark {

namespace {

struct ContextFree {
  void operator()(spng_ctx* ctx) const { spng_ctx_free(ctx); }
};

int WriteToVector(spng_ctx*, void* user, void* data, size_t length) {
  auto* file = static_cast<std::vector<uint8_t>*>(user);
  const auto* bytes = static_cast<const uint8_t*>(data);
  try {
    file->insert(file->end(), bytes, bytes + length);
  } catch (const std::bad_alloc&) {
    return SPNG_IO_ERROR;
  }
  return 0;
}

int WriteToFile(spng_ctx*, void* user, void* data, size_t length) {
  return static_cast<AtomicFile*>(user)->Write(data, length) ? 0 : SPNG_IO_ERROR;
}

bool Fail(std::string* error, const std::string& why) {
  if (error) *error = why;
  return false;
}

// Encodes the image through write(user, …); see EncodePNG.
bool Encode(std::span<const uint8_t> pixels, int32_t width, int32_t height, const Palette& palette,
            spng_rw_fn* write, void* user, std::string* error) {
  if (width <= 0 || height <= 0)
    return Fail(error, "a PNG image cannot be " + std::to_string(width) + " × " + std::to_string(height) +
                           " pixels: each side needs at least one");
  const size_t count = static_cast<size_t>(width) * static_cast<size_t>(height);
  if (pixels.size() < count) return Fail(error, "the image's size does not match its pixels");
  std::unique_ptr<spng_ctx, ContextFree> ctx(spng_ctx_new(SPNG_CTX_ENCODER));
  if (!ctx) return Fail(error, "not enough memory");
  spng_ihdr ihdr{};
  ihdr.width = static_cast<uint32_t>(width);
  ihdr.height = static_cast<uint32_t>(height);
  ihdr.bit_depth = 8;
  ihdr.color_type = SPNG_COLOR_TYPE_INDEXED;
  spng_plte plte{};
  plte.n_entries = 256;
  for (size_t i = 0; i < 256; ++i) plte.entries[i] = {palette[i].Red, palette[i].Green, palette[i].Blue, 255};
  // Entries after the last one listed are opaque.
  spng_trns trns{};
  trns.n_type3_entries = TransparentIndex + 1;
  for (size_t i = 0; i < trns.n_type3_entries; ++i) trns.type3_alpha[i] = i == TransparentIndex ? 0 : 255;
  int status = spng_set_png_stream(ctx.get(), write, user);
  if (status == 0) status = spng_set_ihdr(ctx.get(), &ihdr);
  if (status == 0) status = spng_set_plte(ctx.get(), &plte);
  if (status == 0) status = spng_set_trns(ctx.get(), &trns);
  // Filters seldom pay for themselves on palette indices.
  if (status == 0) status = spng_set_option(ctx.get(), SPNG_FILTER_CHOICE, SPNG_FILTER_CHOICE_NONE);
  // Sprites are runs of few indices: zlib's fastest level packs them nearly
  // as well as its default, at several times the speed.
  if (status == 0) status = spng_set_option(ctx.get(), SPNG_IMG_COMPRESSION_LEVEL, 1);
  if (status == 0) status = spng_encode_image(ctx.get(), pixels.data(), count, SPNG_FMT_PNG, SPNG_ENCODE_FINALIZE);
  if (status == SPNG_IO_ERROR) return Fail(error, "the file could not be written");
  if (status != 0) return Fail(error, std::string("the image could not be encoded: ") + spng_strerror(status));
  return true;
}

}  // namespace

bool EncodePNG(std::span<const uint8_t> pixels, int32_t width, int32_t height, const Palette& palette,
               std::vector<uint8_t>& file, std::string* error) {
  file.clear();
  return Encode(pixels, width, height, palette, WriteToVector, &file, error);
}

bool WritePNG(const std::string& filename, std::span<const uint8_t> pixels, int32_t width, int32_t height,
              const Palette& palette, std::string* error, OutputName name) {
  AtomicFile file(filename, name);
  std::string why;
  if (!file.Open()) return Fail(error, file.Error());
  if (!Encode(pixels, width, height, palette, WriteToFile, &file, &why)) {
    // The file's own reason, when writing it was what failed.
    return Fail(error, file.Error().empty() ? why : file.Error());
  }
  if (file.Commit()) return true;
  return Fail(error, file.Error());
}

}  // namespace quilmark
