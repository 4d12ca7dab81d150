#include "HpiBuild.h"
#include "HpiTestReader.h"
#include "archive/HpiReader.h"

namespace quilmark::test {
namespace {

Row Noise(size_t size, uint32_t seed) {
  std::mt19937 gen(seed);
  Row out(size);
  for (uint8_t& b : out) b = uint8_t(gen() >> 24);
  return out;
}

// Sprite-like bytes: runs, repeats further back than a few bytes, and noise.
Row Sprite(size_t size, uint32_t seed) {
  std::mt19937 gen(seed);
  Row out;
  while (out.size() < size) {
    const size_t run = 1 + gen() % 40;
    if (gen() % 3 == 0 && out.size() > 300) {
      const size_t from = out.size() - 1 - gen() % 300;
      for (size_t i = 0; i < run; ++i) out.push_back(out[from + i]);
    } else {
      out.insert(out.end(), run, uint8_t(gen() % 3 == 0 ? gen() : 9));
    }
  }
  out.resize(size);
  return out;
}

// An archive in a file of the test's folder, opened.
struct Opened {
  TempDir dir;
  std::unique_ptr<HpiArchive> archive;
  std::string why;
  explicit Opened(const Row& bytes) {
    WriteFile(dir.File("a.hpi"), bytes);
    archive = HpiArchive::Open(dir.File("a.hpi"), &why);
  }
  // The file's bytes, or "!" and why it could not be read.
  std::string Read(const std::string& path) {
    const HpiEntry* e = archive->Find(path);
    if (!e) return "!missing";
    Row bytes;
    std::string problem;
    if (!archive->ReadAll(*e, bytes, &problem)) return "!" + problem;
    return std::string(bytes.begin(), bytes.end());
  }
};

std::string Str(const Row& r) { return std::string(r.begin(), r.end()); }

TEST(HpiLz77, DecodesByTheRingAndRefusesWhatDoesNotEndRight) {
  // {payload, length wanted, the bytes made or "!" and the reason}
  const std::vector<std::tuple<Row, size_t, std::string>> cases = {
      // literals a b c at window 1..3, then 7 bytes from 1: a reference reads what it writes
      {{0x18, 'a', 'b', 'c', 0x15, 0x00, 0x00, 0x00}, 10, "abcabcabca"},
      // the window starts as zeros: 3 bytes from position 100
      {{0x03, 0x41, 0x06, 0x00, 0x00, 'x'}, 3, std::string(3, '\0')},
      // bytes after the end code are not data
      {{0x02, 'q', 0x00, 0x00, 'z', 'z'}, 1, "q"},
      {{0x00, 'a', 'b'}, 2, "!before its end code"},
      {{0x18, 'a', 'b', 'c', 0x15, 0x00, 0x00, 0x00}, 9, "!runs past"},
      {{0x18, 'a', 'b', 'c', 0x15, 0x00, 0x00, 0x00}, 11, "!ends after 10 of 11"},
      {{0x02, 'a', 0x00, 0x00}, 0, "!runs past"},
      {{0x02, 'a', 0x10}, 1, "!before its end code"},
      {{}, 0, "!before its end code"}};
  for (const auto& [payload, want, expected] : cases) {
    std::string out(want, '?'), why;
    const int64_t made =
        hpi::Lz77Decode(payload.data(), payload.size(), reinterpret_cast<uint8_t*>(out.data()), want, true, &why);
    if (expected[0] == '!') {
      EXPECT_EQ(made, -1) << expected;
      EXPECT_NE(why.find(expected.substr(1)), std::string::npos) << why;
    } else {
      EXPECT_EQ(out.substr(0, size_t(std::max<int64_t>(made, 0))), expected);
    }
  }
  // The test encoder and the decoder agree across the ring's wrap.
  for (const Row& data : {Sprite(65536, 1), Noise(9000, 2), Row(65536, 0), Row(1, 7)}) {
    const Row payload = Lz77Encode(data);
    Row out(data.size());
    std::string why;
    EXPECT_EQ(hpi::Lz77Decode(payload.data(), payload.size(), out.data(), out.size(), true, &why), int64_t(data.size()))
        << why;
    EXPECT_EQ(out, data);
  }
}

// Every storage, compression and obfuscation, nested and unsorted folders,
// the edges of chunking, read back with and without encryption.
TEST(HpiReader, ReadsEveryFormByteExactWithAnyKey) {
  const std::vector<ArchiveFile> files = {
      {"units\\Tank.gaf", Sprite(150000, 1), 1},
      {"units\\zeta\\deep\\x.bin", Sprite(70000, 2), 1, -1, true},
      {"anims\\b.gaf", Sprite(65536, 3), 2},
      {"anims\\a.gaf", Sprite(65537, 4), 2, -1, true},
      {"noise", Noise(140000, 5), 2, 0},
      {"noise.lz", Noise(70000, 6), 1},
      {"stored.txt", Sprite(1000, 7), 0},
      {"empty", {}, 0},
      {"empty.chunked", {}, 2},
      {"obfuscated.raw", Noise(300, 8), 2, 0, true},
      {"Units\\other.gaf", Sprite(10, 9), 1},  // a twin of "units" by letter case: left out, with what it holds
  };
  for (const uint32_t key : {0u, 1u, 0x7Fu, 0x80u, 0xC3u, 0x12345600u}) {
    SCOPED_TRACE(key);
    Opened o(BuildArchive(files, key).bytes);
    ASSERT_TRUE(o.archive) << o.why;
    EXPECT_EQ(o.archive->HeaderKey(), key);
    std::vector<std::string> paths;
    for (const HpiEntry& e : o.archive->Entries()) paths.push_back(e.path + (e.folder ? "\\" : ""));
    EXPECT_EQ(paths,
              (std::vector<std::string>{"units\\", "units\\Tank.gaf", "units\\zeta\\", "units\\zeta\\deep\\",
                                        "units\\zeta\\deep\\x.bin", "anims\\", "anims\\b.gaf", "anims\\a.gaf", "noise",
                                        "noise.lz", "stored.txt", "empty", "empty.chunked", "obfuscated.raw"}));
    ASSERT_EQ(o.archive->Notes().size(), 1u);
    EXPECT_NE(o.archive->Notes()[0].find("Units: a second entry"), std::string::npos) << o.archive->Notes()[0];
    for (const ArchiveFile& f : files) {
      if (f.path[0] == 'U') continue;
      EXPECT_EQ(o.Read(f.path), Str(f.bytes)) << f.path;
      const HpiEntry* e = o.archive->Find(f.path);
      EXPECT_EQ(std::make_tuple(e->size, int(e->storage)), std::make_tuple(uint32_t(f.bytes.size()), f.storage));
      const Row head = o.archive->ReadHead(*e, 4);
      EXPECT_EQ(head, Row(f.bytes.begin(), f.bytes.begin() + std::min<size_t>(4, f.bytes.size()))) << f.path;
      // Streamed in pieces of at most 64 KiB that add up to the file.
      Row streamed;
      size_t largest = 0;
      ASSERT_TRUE(o.archive->Read(
          *e,
          [&](const uint8_t* d, size_t n) {
            largest = std::max(largest, n), streamed.insert(streamed.end(), d, d + n);
            return true;
          },
          nullptr));
      EXPECT_TRUE(streamed == f.bytes && largest <= 65536) << f.path;
    }
  }
}

TEST(HpiReader, FindsWithoutRegardToCaseAndSeparatorAndKeepsTheFirstTwin) {
  Opened o(BuildArchive({{"b\\Tank.gaf", Row{1}, 0},
                         {"a", Row{2}, 0},
                         {"b\\TANK.GAF", Row{3}, 0},
                         {"B\\x", Row{4}, 0},
                         {"b\\y", Row{5}, 0}})
               .bytes);
  ASSERT_TRUE(o.archive) << o.why;
  // {path asked, the bytes found ("!missing" when none)}
  for (const auto& [path, found] : std::vector<std::pair<std::string, std::string>>{{"b\\tank.gaf", "\x01"},
                                                                                    {"B/TANK.gaf", "\x01"},
                                                                                    {"/b//y", "\x05"},
                                                                                    {"A", "\x02"},
                                                                                    {"b\\x", "!missing"},
                                                                                    {"b", "!a folder, not a file"},
                                                                                    {"c", "!missing"}})
    EXPECT_EQ(o.Read(path), found) << path;
  const std::vector<std::string>& notes = o.archive->Notes();
  ASSERT_EQ(notes.size(), 2u);
  EXPECT_NE(notes[0].find("b\\TANK.GAF: a second entry"), std::string::npos) << notes[0];
  EXPECT_NE(notes[1].find("B: a second entry"), std::string::npos) << notes[1];
}

TEST(HpiReader, ReadsWhatOurWriterWrites) {
  TempDir dir;
  HpiWriter writer(dir.File("w.ufo"));
  const std::vector<std::pair<std::string, Row>> files = {
      {"textures\\a.gaf", Sprite(200000, 3)}, {"b", Noise(70000, 4)}, {"c\\empty", {}}};
  for (size_t i = 0; i < files.size(); ++i) {
    WriteFile(dir.File(std::to_string(i)), files[i].second);
    ASSERT_TRUE(writer.AddFile(files[i].first, dir.File(std::to_string(i))));
  }
  ASSERT_TRUE(writer.Write());
  Opened o(ReadFile(dir.File("w.ufo")));
  ASSERT_TRUE(o.archive) << o.why;
  for (const auto& [path, bytes] : files) EXPECT_EQ(o.Read(path), Str(bytes)) << path;
  EXPECT_TRUE(o.archive->Notes().empty());
}

TEST(HpiReader, TellsArchivesByTheirHeader) {
  TempDir dir;
  WriteFile(dir.File("mod.gp3"), BuildArchive({{"a", Row{1}, 0}}).bytes);
  WriteFile(dir.File("x.ufo"), Row{'H', 'A', 'P'});
  WriteFile(dir.File("t.gaf"), Row{0, 1, 1, 0, 0, 0, 0, 0});
  // {name, an archive by its header}
  for (const auto& [name, is] : std::vector<std::pair<std::string, bool>>{
           {"mod.gp3", true}, {"x.ufo", false}, {"t.gaf", false}, {"missing.hpi", false}, {"", false}})
    EXPECT_EQ(IsHpiArchive(dir.File(name)), is) << name;
}

}  // namespace
}  // namespace quilmark::test
