#include <sstream>

#include "ImageTestSupport.h"
#include "cli/Commands.h"
#include "images/Manifest.h"
#include "images/modBmp.h"

namespace quilmark {
namespace {

// A game palette in which every index has its own colour except 200, which
// repeats 100: a mapping would turn 200 into 100, keeping the indices does not.
class Folder : public test::ImageTest {
 protected:
  Folder() { GamePalette[200] = GamePalette[100]; }

  // explode, then implode; the saved bytes of the result.
  std::vector<uint8_t> RoundTrip(const classGAF& doc, const std::string& format = "bmp") {
    const std::string folder = dir.File("folder-" + std::to_string(++runs_));
    std::filesystem::create_directories(folder);
    std::vector<std::string> errors;
    EXPECT_TRUE(ExplodeDocument(doc, folder, format, errors)) << (errors.empty() ? "" : errors[0]);
    classGAF back;
    std::string error;
    EXPECT_TRUE(ImplodeDocument(folder, back, error)) << error;
    return test::SaveToBytes(back);
  }

 private:
  int runs_ = 0;
};

// Random documents: sizes 0 to 40, names with every Latin-1 letter, nested
// subframes three deep, compressed bytes 0 and 1, extreme positions.
classGAF RandomDocument(unsigned seed) {
  std::mt19937 random(seed);
  auto pick = [&](int lo, int hi) { return std::uniform_int_distribution<int>(lo, hi)(random); };
  std::function<FramePtr(int)> frame = [&](int depth) {
    const int w = pick(0, 40), h = pick(0, 3) == 0 ? 0 : pick(1, 40);
    std::vector<uint8_t> pixels(static_cast<size_t>(w * h));
    for (uint8_t& p : pixels) p = static_cast<uint8_t>(pick(0, 255));
    auto f = test::MakeFrame(w, h, pixels);
    EXPECT_TRUE(f->SetPositionX(pick(0, 1) ? pick(-32768, 32767) : pick(-5, 5)));
    EXPECT_TRUE(f->SetPositionY(pick(-32768, 32767)));
    f->FPS = pick(0, 2) == 0 ? pick(INT32_MIN, INT32_MAX) : pick(0, 100);
    f->SetCompressedByte(static_cast<uint8_t>(pick(0, 1)));
    if (depth < 3 && pick(0, 2) == 0)
      for (int s = pick(1, 3); s > 0; --s) f->Subframes.Add(frame(depth + 1));
    return f;
  };
  classGAF doc;
  std::string letters;
  for (int c = 0xC0; c <= 0xFF; ++c) letters.push_back(static_cast<char>(c));
  for (int a = pick(1, 4); a > 0; --a) {
    const std::string name = letters.substr(static_cast<size_t>(pick(0, 60)), 4) + " " + std::to_string(a) + "/x";
    const AnimationPtr animation = test::AddAnimation(doc, name, {}, pick(0, 1) == 1);
    for (int f = pick(0, 5); f > 0; --f) animation->Frames.Add(frame(0));
  }
  // A name longer than the file's 32 bytes, every Latin-1 letter in it; its
  // 200 would come back as 100 if the images' colours were mapped.
  test::AddAnimation(doc, letters, {test::MakeFrame(2, 2, {1, 200, 9, 255})});
  return doc;
}

TEST_F(Folder, ExplodeThenImplodeGivesTheSavedFileBackByteForByte) {
  for (unsigned seed = 1; seed <= 12; ++seed) {
    const classGAF doc = RandomDocument(seed);
    const std::string format = seed % 2 ? "png" : "bmp";
    EXPECT_EQ(RoundTrip(doc, format), test::SaveToBytes(doc)) << "seed " << seed << " " << format;
  }
  // The demo document through the batch tool: implode of its explode is what
  // convert writes.
  std::ostringstream err;
  const std::string demo = std::string(QUILMARK_SOURCE_DIR) + "/samples/demo.gaf";
  std::filesystem::create_directories(dir.File("demo"));
  ASSERT_EQ(RunExplodeCommand({demo, dir.File("demo")}, err), 0) << err.str();
  EXPECT_TRUE(std::filesystem::exists(dir.File("demo/spinner_01.png")));
  ASSERT_EQ(RunImplodeCommand({dir.File("demo"), dir.File("demo.gaf")}, err), 0) << err.str();
  classGAF loaded;
  ASSERT_TRUE(loaded.Load(demo).complete);
  EXPECT_EQ(test::ReadFile(dir.File("demo.gaf")), test::SaveToBytes(loaded));
}

TEST_F(Folder, ExplodeTakesOnlyAWholeFileIntoAFolder) {
  classGAF doc = RandomDocument(3);
  ASSERT_TRUE(doc.Save(dir.File("whole.gaf")));
  std::vector<uint8_t> bytes = test::ReadFile(dir.File("whole.gaf"));
  bytes.resize(bytes.size() - 5);
  test::WriteFile(dir.File("cut.gaf"), bytes);
  std::filesystem::create_directories(dir.File("out"));
  const std::pair<std::vector<std::string>, int> cases[] = {
      {{dir.File("whole.gaf"), dir.File("out"), "--format", "gif"}, 2},
      {{dir.File("whole.gaf")}, 2},
      {{dir.File("whole.gaf"), dir.File("missing/deeper")}, 1},
      {{dir.File("cut.gaf"), dir.File("out")}, 1},
  };
  for (const auto& [args, status] : cases) {
    std::ostringstream err;
    EXPECT_EQ(RunExplodeCommand(args, err), status) << args.back();
    EXPECT_FALSE(err.str().empty());
  }
  EXPECT_TRUE(std::filesystem::is_empty(dir.File("out")));
  EXPECT_FALSE(std::filesystem::exists(dir.File("missing")));
  std::ostringstream err;
  EXPECT_EQ(RunImplodeCommand({dir.File("out"), dir.File("new.gaf")}, err), 1);
  EXPECT_NE(err.str().find("quilmark.json: no such file"), std::string::npos) << err.str();
  EXPECT_FALSE(std::filesystem::exists(dir.File("new.gaf")));
}

// Explode over an earlier explode, with links standing at the names it makes
// up: the links are replaced, never written through; the earlier images the
// new manifest does not name go, and nothing else; a failed explode leaves no
// manifest at all.
TEST_F(Folder, ExplodeOverAnEarlierOneReplacesLinksAndLeavesNoStaleImages) {
  classGAF before, after;
  test::AddAnimation(before, "walk", {test::MakeFrame(1, 1, {1}), test::MakeFrame(1, 1, {2}), test::MakeFrame(1, 1, {3})});
  test::AddAnimation(after, "walk", {test::MakeFrame(1, 1, {4})});
  test::AddAnimation(after, "run", {test::MakeFrame(1, 1, {5})});
  const std::string folder = dir.File("d"), elsewhere = dir.File("elsewhere.txt");
  std::ostringstream err;
  ASSERT_TRUE(before.Save(dir.File("before.gaf")) && after.Save(dir.File("after.gaf")));
  ASSERT_EQ(RunExplodeCommand({dir.File("before.gaf"), folder, "--format", "png"}, err), 0) << err.str();
  test::WriteFile(elsewhere, {'k'});
  test::WriteFile(folder + "/notes.txt", {'n'});
  std::filesystem::create_symlink(elsewhere, folder + "/run_01.png");
  ASSERT_EQ(RunExplodeCommand({dir.File("after.gaf"), folder, "--format", "png"}, err), 0) << err.str();
  EXPECT_EQ(test::FileNames(folder), (std::set<std::string>{"notes.txt", "quilmark.json", "run_01.png", "walk_01.png"}));
  EXPECT_FALSE(std::filesystem::is_symlink(folder + "/run_01.png"));
  EXPECT_EQ(test::ReadFile(elsewhere), std::vector<uint8_t>{'k'});
  ASSERT_EQ(RunImplodeCommand({folder, dir.File("back.gaf")}, err), 0) << err.str();
  EXPECT_EQ(test::ReadFile(dir.File("back.gaf")), test::ReadFile(dir.File("after.gaf")));
  // The manifest's own name as a link, into a folder that did not exist.
  const std::string fresh = dir.File("fresh");
  std::filesystem::create_directory(fresh);
  std::filesystem::create_symlink(elsewhere, fresh + "/quilmark.json");
  ASSERT_EQ(RunExplodeCommand({dir.File("after.gaf"), fresh}, err), 0) << err.str();
  EXPECT_FALSE(std::filesystem::is_symlink(fresh + "/quilmark.json"));
  EXPECT_EQ(test::ReadFile(elsewhere), std::vector<uint8_t>{'k'});
  // An image that cannot be written: the earlier manifest is gone, no new one
  // is written, so implode takes neither document.
  std::filesystem::remove(folder + "/run_01.png");
  std::filesystem::create_directory(folder + "/run_01.png");
  EXPECT_EQ(RunExplodeCommand({dir.File("after.gaf"), folder, "--format", "png"}, err), 1);
  EXPECT_FALSE(std::filesystem::exists(folder + "/quilmark.json"));
  EXPECT_EQ(RunImplodeCommand({folder, dir.File("none.gaf")}, err), 1);
  EXPECT_TRUE(std::filesystem::exists(folder + "/notes.txt"));
}

TEST_F(Folder, TheManifestNamesTheExportsFilesAndOneChangeIsOneLine) {
  classGAF doc;
  for (const char* name : {"a/b", "a_b"}) {
    auto parent = test::MakeFrame(3, 3);
    parent->Subframes.Add(test::MakeFrame(2, 1, {1, 2}));
    parent->Subframes.Add(test::MakeFrame(0, 0));
    test::AddAnimation(doc, name, {parent, test::MakeFrame(1, 1, {5})});
  }
  const std::string before = ManifestText(doc, "png");
  // "a/b" is written as a_b; "a_b" then takes a numbered name, as in export.
  for (const char* file : {"\"image\": \"a_b_01_01.png\"", "\"image\": \"a_b_02.png\"", "\"image\": \"a_b~2_02.png\""})
    EXPECT_NE(before.find(file), std::string::npos) << file << "\n" << before;
  EXPECT_NE(before.find("\"name\": \"a/b\""), std::string::npos);
  // The frame with subframes and the empty subframe have no image.
  size_t nulls = 0;
  for (size_t at = 0; (at = before.find("\"image\": null", at)) != std::string::npos; ++at) ++nulls;
  EXPECT_EQ(nulls, 4u);
  ASSERT_TRUE(doc.Animations.Item(2)->Frames.Item(2)->SetPositionX(-7));
  const std::string after = ManifestText(doc, "png");
  std::istringstream a(before), b(after);
  std::string la, lb;
  int differing = 0, lines = 0;
  while (std::getline(a, la) && std::getline(b, lb)) {
    ++lines;
    if (la != lb) ++differing;
  }
  EXPECT_EQ(differing, 1);
  EXPECT_GT(lines, 40);
}

// The game's indices are kept (the round trips above hold a 200 in both
// formats); a picture from another program, with its own colour table, is mapped.
TEST_F(Folder, ImagesWithAColourTableOfTheirOwnAreMapped) {
  classGAF doc;
  test::AddAnimation(doc, "walk", {test::MakeFrame(4, 1, {200, 100, 9, 3})});
  const std::string folder = dir.File("other");
  std::filesystem::create_directories(folder);
  std::vector<std::string> errors;
  ASSERT_TRUE(ExplodeDocument(doc, folder, "bmp", errors));
  Palette reversed{};
  for (int i = 0; i < 256; ++i) reversed[i] = GamePalette[255 - i];
  ASSERT_TRUE(WriteBMP(folder + "/walk_01.bmp", std::vector<uint8_t>{55, 155, 246, 252}, reversed, 4, 1, true));
  classGAF back;
  std::string error;
  ASSERT_TRUE(ImplodeDocument(folder, back, error)) << error;
  EXPECT_EQ(back.Animations.Item(1)->Frames.Item(1)->Pixels, std::vector<uint8_t>({100, 100, 9, 3}));
}

TEST_F(Folder, BadManifestsAreRefusedNamingTheFieldAndWriteNothing) {
  classGAF doc;
  auto parent = test::MakeFrame(2, 2);
  parent->Subframes.Add(test::MakeFrame(3, 1, {1, 2, 3}));
  test::AddAnimation(doc, "tank", {test::MakeFrame(2, 1, {4, 5}), parent});
  const std::string folder = dir.File("bad");
  std::filesystem::create_directories(folder);
  std::vector<std::string> errors;
  ASSERT_TRUE(ExplodeDocument(doc, folder, "bmp", errors));
  const std::string good = ManifestText(doc, "bmp");
  auto replaced = [&](const std::string& from, const std::string& to) {
    std::string text = good;
    const size_t at = text.find(from);
    EXPECT_NE(at, std::string::npos) << from;
    return at == std::string::npos ? text : text.replace(at, from.size(), to);
  };
  // The animation twice under the given names.
  const size_t list = good.find("\"animations\": [") + 15, end = good.rfind(']');
  const auto twice = [&](const std::string& first, const std::string& second) {
    std::string a = good.substr(list, end - list), b = a;
    a.replace(a.find("\"tank\""), 6, "\"" + first + "\"");
    b.replace(b.find("\"tank\""), 6, "\"" + second + "\"");
    return good.substr(0, list) + a + "," + b + good.substr(end);
  };
  const std::string a32(32, 'a');
  ASSERT_TRUE(WriteBMP(folder + "/small.bmp", std::vector<uint8_t>{1, 2}, GamePalette, 2, 1, true));
  const std::pair<std::string, std::string> cases[] = {
      {"{\"format\": ", folder + "/quilmark.json: not JSON: line 1, column 12"},
      {replaced("\"x\": 0", "\"x\": 0, \"x\": 1"), "animations[0].frames[0].x: given twice in one object"},
      {replaced("\"x\": 0", "\"x\": 1E400"), folder + "/quilmark.json: not JSON: a number out of range"},
      {replaced("\"name\": \"tank\"", "\"name\": \"\""), "animations[0].name: empty"},
      {replaced("\"name\": \"tank\"", "\"name\": \"t\\u0000nk\""), "animations[0].name: has a 0 character, which ends a name"},
      {replaced("tank_01.bmp", "link.bmp"), "animations[0].frames[0].image: link.bmp leads out of the folder"},
      {replaced("tank_01.bmp", "notes.txt"), "animations[0].frames[0].image: notes.txt: neither a BMP nor a PNG image"},
      {replaced("\"x\": 0", "\"x\": \"left\""), "animations[0].frames[0].x: not a whole number"},
      {replaced("\"y\": 0,\n", ""), "animations[0].frames[0].y: missing"},
      {replaced("\"x\": 0", "\"x\": 40000"), "animations[0].frames[0].x: out of range (-32768 to 32767)"},
      {replaced("\"animated\": false", "\"animated\": 1"), "animations[0].animated: not true or false"},
      {replaced("\"name\": \"tank\"", "\"name\": \"t\\u0101nk\""), "animations[0].name: has a character outside Latin-1"},
      {replaced("tank_01.bmp", "gone.bmp"), "animations[0].frames[0].image: gone.bmp: no such file"},
      {replaced("tank_02_01.bmp", "small.bmp"), "animations[0].frames[1].subframes[0].image: small.bmp is 2 x 1, not 3 x 1"},
      {replaced("tank_01.bmp", "../tank_01.bmp"), "animations[0].frames[0].image: not a file name in the folder"},
      {replaced("\"compressed\": 0", "\"compressed\": 2"), "animations[0].frames[0].compressed: out of range (0 to 1)"},
      {replaced("\"version\": 1", "\"version\": 2"), "manifest.version: not a version this program reads"},
      {replaced("\"subframes\": []", "\"subframes\": {}"), "animations[0].frames[0].subframes: not a list"},
      // Two of one name, letter case aside, or of names a file keeps alike.
      {twice("tank", "TANK"), "animations[1].name: another animation has this name"},
      {twice(a32 + "1", a32 + "2"), "animations[1].name: another animation has the same first 32 bytes, all a file keeps"},
  };
  std::filesystem::copy_file(dir.File("bad/tank_01.bmp"), dir.File("keep.gaf"));
  std::filesystem::create_symlink(dir.File("keep.gaf"), folder + "/link.bmp");
  test::WriteFile(folder + "/notes.txt", {'n', 'o'});
  const std::vector<uint8_t> untouched = test::ReadFile(dir.File("keep.gaf"));
  for (const auto& [text, expected] : cases) {
    std::ofstream(folder + "/" + kManifestName, std::ios::binary | std::ios::trunc) << text;
    std::ostringstream err;
    EXPECT_EQ(RunImplodeCommand({folder, dir.File("keep.gaf")}, err), 1) << expected;
    EXPECT_EQ(err.str(), expected + "\n") << text;
    EXPECT_EQ(test::ReadFile(dir.File("keep.gaf")), untouched) << expected;
  }
  // Subframes nested deeper than any file holds.
  Manifest manifest;
  std::string error;
  std::string deep;
  for (int i = 0; i < 71; ++i)
    deep = "{\"image\": null, \"width\": 0, \"height\": 0, \"x\": 0, \"y\": 0, \"fps\": 0, \"compressed\": 0, "
           "\"subframes\": [" + deep + "]}";
  EXPECT_FALSE(ParseManifest("{\"format\": \"quilmark-gaf-folder\", \"version\": 1, \"animations\": [{\"name\": "
                             "\"a\", \"animated\": true, \"frames\": [" + deep + "]}]}",
                             manifest, error));
  EXPECT_NE(error.find("subframes nested too deeply"), std::string::npos) << error;
}

}  // namespace
}  // namespace quilmark
