#include <gtest/gtest.h>

#include <random>

#include "document/RowCode.h"
#include "document/classGAFFrame.h"

namespace quilmark {
namespace {

using Row = std::vector<uint8_t>;

Row Encode(const Row& pixels) {
  Row code;
  EXPECT_TRUE(EncodeRowPixels(pixels.data(), static_cast<int32_t>(pixels.size()), code));
  return code;
}

// Decodes into a fresh row of width pixels, filled with 9 as loading does.
std::optional<Row> Decode(const Row& code, size_t width) {
  Row pixels(width, TransparentIndex);
  if (!DecodeRowPixels(code.data(), static_cast<int32_t>(code.size()), pixels.data(),
                       static_cast<int64_t>(pixels.size()), 0))
    return std::nullopt;
  return pixels;
}

Row Sequence(int from, int to) {
  Row r;
  for (int v = from; v <= to; ++v) r.push_back(static_cast<uint8_t>(v));
  return r;
}

// Rows and their code by hand: the encoder makes the code, the decoder gives
// the row back from it.
TEST(RowCode, HandWrittenCodesBothWays) {
  // 55 different values fill a literal run; the repeat then holds only the two after it.
  Row literal = Sequence(10, 64), literal_code{0xD8};
  literal_code.insert(literal_code.end(), literal.begin(), literal.end());
  literal.insert(literal.end(), {64, 64});
  literal_code.insert(literal_code.end(), {0x06, 0x40});
  const std::vector<std::tuple<const char*, Row, Row>> cases = {
      {"every kind", {9, 9, 9, 5, 5, 5, 7, 8, 9}, {0x07, 0x0A, 0x05, 0x04, 0x07, 0x08, 0x03}},
      {"literal", {1, 2, 3}, {0x08, 1, 2, 3}},
      {"transparency past one run", Row(130, 9), {0xF1, 0x15}},
      {"transparency of one full run", Row(120, 9), {0xF1}},
      {"repeat past one run", Row(56, 4), {0xDA, 0x04, 0x02, 0x04}},
      {"one transparent", {9}, {0x03}},
      {"one opaque", {200}, {0x00, 0xC8}},
      {"transparent then repeat", {9, 9, 7, 7, 7}, {0x05, 0x0A, 0x07}},
      {"full literal then repeat", literal, literal_code},
      // Repeats take the first equal pixel from the literal run: 1 2 2 keeps only 1 literal.
      {"literal then repeat", {1, 2, 2}, {0x00, 1, 0x06, 2}},
      // A repeat of 55 is emitted and the run goes on as a new repeat without a literal.
      {"repeat of 57", Row(57, 3), {0xDA, 3, 0x06, 3}},
      // Equal pixels separated by transparency start new literal runs.
      {"equal pixels apart", {4, 9, 4}, {0x00, 4, 0x03, 0x00, 4}},
      // Trailing transparency is coded, not dropped.
      {"trailing transparency", {6, 6, 9, 9}, {0x06, 6, 0x05}},
  };
  for (const auto& [what, pixels, code] : cases) {
    SCOPED_TRACE(what);
    EXPECT_EQ(Encode(pixels), code);
    EXPECT_EQ(Decode(code, pixels.size()), pixels);
  }
  EXPECT_EQ(Encode({}), Row{});
}

TEST(RowEncoder, FlagBitsStepUpUntilTheMaskIsSet) {
  EXPECT_EQ(SetFlagBits(5, 2), 6);
  EXPECT_EQ(SetFlagBits(252, 3), 255);
  EXPECT_FALSE(SetFlagBits(256, 0).has_value());
}

TEST(RowEncoder, RowsOfLimitWidthFailOnlyWhenTheCodeIsTooLong) {
  Row wide_literal(32767);
  for (size_t i = 0; i < wide_literal.size(); ++i) wide_literal[i] = static_cast<uint8_t>(i % 2 ? 1 : 2);
  Row code;
  EXPECT_FALSE(EncodeRowPixels(wide_literal.data(), 32767, code));  // 56 bytes per 55 pixels
  Row wide_clear(32767, 9);
  EXPECT_TRUE(EncodeRowPixels(wide_clear.data(), 32767, code));
  EXPECT_EQ(code.size(), 274u);
}

// Codes the encoder never makes are read; code cut short or running past the
// pixels is refused (nullopt).
TEST(RowDecoder, CodesNoEncoderMakesAndCodeCutShortOrRunningPastThePixels) {
  // Control bytes past the encoder's limits: 127 transparent, 64 repeated.
  Row far = Row(127 + 64, 9);
  std::fill(far.begin() + 127, far.end(), 0x33);
  const std::vector<std::tuple<const char*, Row, size_t, std::optional<Row>>> cases = {
      {"a transparent run of 0", {0x01}, 3, Row{9, 9, 9}},
      {"fewer pixels than the width", {0x00, 0x20}, 3, Row{0x20, 9, 9}},
      {"runs past the encoder's limits", {0xFF, 0xFE, 0x33}, far.size(), far},
      {"skipping past the end writes nothing", {0x0B}, 2, Row{9, 9}},
      {"repeat without its value", {0x0A}, 5, std::nullopt},
      {"literal of 3 with 2 values", {0x08, 1, 2}, 5, std::nullopt},
      {"3 pixels into 2", {0x0A, 1}, 2, std::nullopt},
      {"a write past the end after a skip past it", {0x0B, 0x00, 1}, 5, std::nullopt},
  };
  for (const auto& [what, code, width, pixels] : cases) EXPECT_EQ(Decode(code, width), pixels) << what;
}

TEST(RowDecoder, CodeSpillsIntoTheNextRow) {
  classGAFFrame f;
  f.SetWidth(3);
  f.SetHeight(2);
  std::fill(f.Pixels.begin(), f.Pixels.end(), TransparentIndex);
  const Row row0{0x0E, 0x05};  // four 5s: one spills into row 1
  ASSERT_TRUE(f.DecodeRow(row0.data(), 2, 0));
  EXPECT_EQ(f.Pixels, (Row{5, 5, 5, 5, 9, 9}));
  const Row row1{0x03, 0x00, 0x07};  // row 1's own code overwrites from column 1
  ASSERT_TRUE(f.DecodeRow(row1.data(), 3, 1));
  EXPECT_EQ(f.Pixels, (Row{5, 5, 5, 5, 7, 9}));
  const Row past{0x0E, 0x01};
  EXPECT_FALSE(f.DecodeRow(past.data(), 2, 1));  // the last row cannot spill
}

// The encoder's rule taken literally, one pixel at a time; the library's
// encoder takes whole runs and must give the same bytes for every row.
Row EncodePixelByPixel(const Row& pixels) {
  Row out;
  int t = 0, rc = 0, lc = 0, prev = -1;
  uint8_t rv = 0;
  uint8_t lit[55];
  bool repeating = false;
  auto emit_t = [&] { out.push_back(static_cast<uint8_t>(*SetFlagBits(2 * t, 1))); t = 0; };
  auto emit_r = [&] { out.push_back(*SetFlagBits(4 * (rc - 1), 2)); out.push_back(rv); rc = 0; };
  auto emit_l = [&] { out.push_back(*SetFlagBits(4 * (lc - 1), 0)); out.insert(out.end(), lit, lit + lc); lc = 0; };
  for (const uint8_t p : pixels) {
    if (p == 9) {
      if (++t == 120) emit_t();
      if (rc > 0) emit_r(); else if (lc > 0) emit_l();
      repeating = false;
    } else if (p == prev) {
      rv = p;
      ++rc;
      if (!repeating) {
        repeating = true;
        if (lc > 0) { --lc; ++rc; }
      }
      if (rc == 55) emit_r();
      if (t > 0) emit_t(); else if (lc > 0) emit_l();
    } else {
      lit[lc++] = p;
      if (lc == 55) emit_l();
      if (t > 0) emit_t(); else if (rc > 0) emit_r();
      repeating = false;
    }
    prev = p;
  }
  if (t > 0) emit_t(); else if (rc > 0) emit_r(); else if (lc > 0) emit_l();
  return out;
}

TEST(RowEncoder, RunWiseEncoderMatchesThePixelRule) {
  std::mt19937 rng(7);
  // Run lengths around the limits (54…56, 119…121, 109…111) are the likely slips.
  const int lengths[] = {1, 1, 1, 2, 2, 3, 53, 54, 55, 56, 57, 109, 110, 111, 119, 120, 121, 240, 241};
  for (int trial = 0; trial < 20000; ++trial) {
    Row pixels;
    const size_t width = 1 + rng() % 600;
    const int palette = 1 + static_cast<int>(rng() % 4);
    while (pixels.size() < width) {
      const int len = rng() % 3 == 0 ? lengths[rng() % std::size(lengths)] : 1 + static_cast<int>(rng() % 5);
      const uint8_t v = rng() % 3 == 0 ? 9 : static_cast<uint8_t>(rng() % palette);
      pixels.insert(pixels.end(), std::min<size_t>(len, width - pixels.size()), v);
    }
    const Row code = Encode(pixels);
    ASSERT_EQ(code, EncodePixelByPixel(pixels)) << "trial " << trial;
    ASSERT_EQ(Decode(code, width), pixels) << "trial " << trial;
  }
}

// Decodes the rows of one image with the given decoder, as loading does:
// into pixels set to 9 beforehand, or left unset for the decoder to set.
// Rows without code are skipped, as the loader skips them.
struct Decoded {
  bool ok = true;
  Row pixels;
  int64_t written_end = 0;
  bool operator==(const Decoded&) const = default;
};
Decoded DecodeImage(RowDecoder kind, const std::vector<Row>& rows, int32_t width, bool preset) {
  Decoded d;
  d.pixels.assign(rows.size() * static_cast<size_t>(width), preset ? TransparentIndex : 0xCD);
  const auto size = static_cast<int64_t>(d.pixels.size());
  RowsProgress progress{0, preset ? size : 0};
  for (size_t y = 0; y < rows.size() && d.ok; ++y) {
    if (rows[y].empty()) continue;
    Row padded = rows[y];
    padded.resize(padded.size() + kRowCodePadding, 0xA5);  // what the loader's slack may hold
    d.ok = DecodeRowsPixelsWith(kind, padded.data(), static_cast<int32_t>(rows[y].size()), d.pixels.data(), size,
                                static_cast<int64_t>(y) * width, width, true, progress);
  }
  FinishRowsPixels(d.pixels.data(), size, progress);
  d.written_end = progress.written_end;
  if (!d.ok) d = {false, {}, 0};  // a failed image is dropped whole
  return d;
}

// Every decoder the processor offers gives what the exact one gives into an
// image set to 9, whether its pixels were set beforehand or not: on the
// encoder's rows, on rows that spill or run past the image, on rows without
// code, on code cut short and on noise.
TEST(RowDecoder, FastDecodersMatchTheExactOne) {
  std::mt19937 rng(11);
  std::vector<RowDecoder> kinds;
  for (RowDecoder kind : {RowDecoder::Exact, RowDecoder::Sse2, RowDecoder::Avx512})
    if (RowDecoderAvailable(kind)) kinds.push_back(kind);
  ASSERT_GT(kinds.size(), 1u);
  for (int trial = 0; trial < 3000; ++trial) {
    const int32_t width = 1 + static_cast<int32_t>(rng() % (trial % 10 == 0 ? 5000 : 300));
    const size_t height = 1 + rng() % 6;
    std::vector<Row> rows(height);
    for (Row& code : rows) {
      switch (rng() % 5) {
        case 4: break;  // no code: the row is skipped
        case 0: {  // noise
          code.resize(rng() % (trial % 10 == 0 ? 4200 : 200));  // some around the prepared limit
          for (uint8_t& b : code) b = static_cast<uint8_t>(rng());
          break;
        }
        case 1: {  // elements of every kind and length, maybe spilling
          for (int n = static_cast<int>(rng() % 40); n > 0; --n) {
            const uint8_t c = static_cast<uint8_t>(rng());
            code.push_back(c);
            const int values = (c & 1) ? 0 : (c & 2) ? 1 : (c >> 2) + 1;
            for (int i = 0; i < values; ++i) code.push_back(static_cast<uint8_t>(rng()));
          }
          if (rng() % 4 == 0 && !code.empty()) code.pop_back();  // cut short
          break;
        }
        default: {  // the encoder's own rows
          Row pixels(static_cast<size_t>(width));
          for (size_t x = 0; x < pixels.size();) {
            const size_t len = std::min<size_t>(1 + rng() % 70, pixels.size() - x);
            const unsigned kind = rng() % 3;
            for (size_t i = 0; i < len; ++i)
              pixels[x + i] = kind == 0 ? TransparentIndex : static_cast<uint8_t>(kind == 1 ? 40 : rng());
            x += len;
          }
          code = Encode(pixels);
        }
      }
    }
    const Decoded exact = DecodeImage(RowDecoder::Exact, rows, width, true);
    for (RowDecoder kind : kinds)
      for (bool preset : {true, false}) {
        if (kind == RowDecoder::Exact && preset) continue;
        ASSERT_EQ(DecodeImage(kind, rows, width, preset), exact)
            << "trial " << trial << " decoder " << static_cast<int>(kind) << " preset " << preset << " ok "
            << exact.ok;
      }
  }
}

}  // namespace
}  // namespace quilmark
