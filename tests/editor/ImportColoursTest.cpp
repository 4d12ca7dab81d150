// Both import dialogs' "Dither colours" box, and what the status bar and the
// messages tell after an import about the colours that were not game colours.
// (The in-test PNG encoder comes first: the editor helpers' Bytes() would
// hide its Bytes.)
#include "../images/ImageTestSupport.h"
#include "DialogTestSupport.h"

namespace quilmark::test {
namespace {

class ImportColours : public Dialogs {
 protected:
  // Grey 100 over a palette of black (0 and most others), white (1) and grey
  // 100 itself at the transparent index: 2 × 2 pixels of it dither to
  // 0 1 0 0 (worked out in ColourMatchTest) and otherwise all become black.
  void SetUp() override {
    Dialogs::SetUp();
    GamePalette = Palette{};
    GamePalette[1] = {255, 255, 255, 0};
    GamePalette[TransparentIndex] = {100, 100, 100, 0};
    for (const char* name : {"/grey.png", "/dither.png"})
      WriteFile(Bytes(folder + name),
                BuildPng({.width = 2, .height = 2, .type = 2, .pixels = std::vector<Samples>(4, {100, 100, 100})}));
    ASSERT_TRUE(WriteBMP(Bytes(folder + "/white.bmp"), std::vector<uint8_t>(4, 1), GamePalette, 2, 2, true));
  }
  void TearDown() override {
    GamePalette = saved_;
    Dialogs::TearDown();
  }
  QString Note() { return Find<QStatusBar>(*window, "Status")->currentMessage(); }
  // Imports the files (PNG files listed) through the dialog of kind, with the
  // Dither box as given; it opens unchecked, with its tool tip.
  void Import(int kind, const QStringList& files, bool dither) {
    RunImport(kind, [&](QDialog& dialog) {
      auto* box = dialog.findChild<QCheckBox*>("chkDither");
      ASSERT_TRUE(box);
      EXPECT_FALSE(box->isChecked());
      EXPECT_EQ(box->toolTip(), kDitherTip);
      box->setChecked(dither);
      auto* types = dialog.findChild<FileTypeList*>("LstFileType");
      types->setCurrentIndex(types->findData("*.bmp *.png"));
      auto* list = dialog.findChild<FileList*>("Files");
      for (const QString& file : files) {
        SelectOnly(list, {file});
        dialog.findChild<QPushButton*>("CmdAdd")->click();
      }
      dialog.findChild<QPushButton*>("CmdOK")->click();
    });
  }
  const Palette saved_ = GamePalette;
};

TEST_F(ImportColours, TheDitherBoxReachesTheImportAndTheStatusBarTellsWhatTheColoursBecame) {
  for (int kind : {0, 1}) {
    for (const auto& [dither, file, pixels, note] :
         {std::tuple{false, "grey.png", std::vector<uint8_t>{0, 0, 0, 0},
                     "4 pixels not in the game palette (largest difference 300)"},
          {true, "dither.png", {0, 1, 0, 0}, "4 pixels not in the game palette (largest difference 465)"}}) {
      Find<QStatusBar>(*window, "Status")->clearMessage();
      Import(kind, {file}, dither);
      // Import Sequence adds a sequence named after the file; Import Frames
      // adds to the first.
      const AnimationPtr animation =
          kind == 0 ? doc->Animations.Find(QString(file).chopped(4).toStdString()) : doc->Animations.Item(1);
      ASSERT_TRUE(animation) << file;
      EXPECT_EQ(animation->Frames.Item(animation->Frames.Count())->Pixels, pixels) << kind << file;
      EXPECT_EQ(Note(), note) << kind << file;
    }
  }
  // Exact colours tell nothing.
  Find<QStatusBar>(*window, "Status")->clearMessage();
  Import(1, {"white.bmp"}, false);
  EXPECT_EQ(Note(), "");
  EXPECT_TRUE(messages.isEmpty()) << messages.join("\n").toStdString();
}

// A bitmap whose colours lie nearest to the transparent index's colour loses
// those pixels: the status bar says so, and a message warns, counted over
// every image of the import, digits grouped.
TEST_F(ImportColours, OpaquePixelsThatBecameTransparentAreWarnedOf) {
  std::vector<uint8_t> bits(size_t(1000 * 2), 0);
  std::fill(bits.begin() + 1000, bits.end(), 1);  // the top row
  WriteFile(Bytes(folder + "/near.bmp"), BuildBmp({.width = 1000, .height = 2, .clrUsed = 2,
                                                   .table = TableOf({{0, 0, 0, 0}, {101, 100, 100, 0}}),
                                                   .bits = bits}));
  Import(1, {"near.bmp", "white.bmp"}, true);
  EXPECT_EQ(doc->Animations.Item(1)->Frames.Item(doc->Animations.Item(1)->Frames.Count() - 1)->Pixels[0],
            TransparentIndex);
  EXPECT_EQ(Note(),
            "1 000 pixels not in the game palette (largest difference 1); 1 000 opaque pixels became transparent");
  EXPECT_EQ(messages, QStringList({"1 000 opaque pixels became transparent (index 9): their colours are nearest to "
                                   "the game's transparent colour. Give them another colour in the image to keep "
                                   "them visible."}));
}

}  // namespace
}  // namespace quilmark::test
