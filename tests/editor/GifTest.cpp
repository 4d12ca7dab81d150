#include <QBuffer>
#include <QImageReader>
#include <QSpinBox>

#include "EditorTestSupport.h"
#include "display/GifExport.h"

namespace quilmark::test {
namespace {

// Three frames about one origin: a plain one, one placed up and to the left
// of it, and one of two overlapping subframes whose transparent pixels let the
// first show through.
AnimationPtr Sample() {
  auto animation = std::make_shared<classGAFAnimation>();
  auto plain = MakeFrame(4, 3, 0, 0, 20);
  plain->Pixels[5] = TransparentIndex;
  auto shifted = MakeFrame(2, 2, 3, 1, 30);
  auto composed = MakeFrame(1, 1, 0, 0, 99);
  composed->Subframes.Add(MakeFrame(3, 2, 1, 0, 40));
  auto over = MakeFrame(2, 2, 0, -1, 50);
  over->Pixels[0] = TransparentIndex;
  composed->Subframes.Add(over);
  for (const FramePtr& f : {plain, shifted, composed}) animation->Frames.Add(f);
  return animation;
}

// The palette index at (x, y) of the canvas from (-3, -1) to (4, 3), drawn
// here pixel by pixel from the frames' images.
int Expected(const classGAFFrame& frame, int x, int y) {
  int index = TransparentIndex;
  const auto paint = [&](const classGAFFrame& image) {
    const int ix = x - 3 + image.PositionX(), iy = y - 1 + image.PositionY();
    if (ix < 0 || iy < 0 || ix >= image.Width() || iy >= image.Height()) return;
    const int value = image.Pixels[size_t(iy * image.Width() + ix)];
    if (value != TransparentIndex) index = value;
  };
  if (frame.Subframes.IsEmpty()) paint(frame);
  for (const FramePtr& sub : frame.Subframes) paint(*sub);
  return index;
}

TEST(GifExport, QtReadsEveryFrameAsComposedPlacedZoomedLoopingInTheGameColours) {
  ASSERT_TRUE(LoadPalette(Bytes(WriteTestPalette())));
  const AnimationPtr animation = Sample();
  for (int zoom : {1, 3}) {
    QByteArray bytes;
    std::string why;
    ASSERT_TRUE(EncodeAnimationGif(*animation, {zoom, 7}, GamePalette, [&bytes](const uint8_t* data, size_t size) {
      bytes.append(reinterpret_cast<const char*>(data), qsizetype(size));
      return true;
    }, &why)) << why;
    QBuffer buffer(&bytes);
    QImageReader reader(&buffer, "gif");
    ASSERT_TRUE(reader.canRead());
    EXPECT_EQ(reader.imageCount(), 3);
    EXPECT_EQ(reader.loopCount(), -1);
    for (int f = 0; f < 3; ++f) {
      const QImage image = reader.read();
      ASSERT_EQ(image.size(), QSize(7 * zoom, 4 * zoom)) << reader.errorString().toStdString();
      EXPECT_EQ(reader.nextImageDelay(), 70);
      for (int y = 0; y < image.height(); ++y)
        for (int x = 0; x < image.width(); ++x) {
          const int index = Expected(*animation->Frames.Item(f + 1), x / zoom, y / zoom);
          const QRgb pixel = image.pixel(x, y);
          if (index == TransparentIndex) {
            EXPECT_EQ(qAlpha(pixel), 0) << f << " " << x << "," << y;
          } else {
            EXPECT_EQ(pixel, TestColour(index)) << f << " " << x << "," << y;
          }
        }
    }
  }
}

TEST(GifExport, WhatCannotBeAGifIsRefusedWithAReason) {
  const AnimationPtr animation = Sample();
  auto far = std::make_shared<classGAFAnimation>();
  far->Frames.Add(MakeFrame(2, 2, 32000, 0, 20));
  far->Frames.Add(MakeFrame(2, 2, -32000, 0, 20));
  const auto never = [](const uint8_t*, size_t) { return false; };
  const auto keep = [](const uint8_t*, size_t) { return true; };
  struct Case {
    const classGAFAnimation* animation;
    GifOptions options;
    bool sinkWorks;
    std::string why;
  };
  const classGAFAnimation empty;
  for (const Case& c : {Case{&empty, {}, true, "the animation has no frame with pixels"},
                        {animation.get(), {0, 10}, true, "the zoom must be 1 to 16"},
                        {animation.get(), {1, -1}, true, "the delay must be 0 to 65535 hundredths"},
                        {far.get(), {3, 10}, true, "the frames take 192006 x 6 pixels, more than a GIF file can hold "
                                                   "(65535 a side)"},
                        {animation.get(), {}, false, "writing failed"}}) {
    std::string why;
    EXPECT_FALSE(EncodeAnimationGif(*c.animation, c.options, GamePalette, c.sinkWorks ? GifSink(keep) : GifSink(never),
                                    &why));
    EXPECT_EQ(why, c.why);
  }
}

TEST_F(DocumentTest, ExportSequenceAsGifWritesTheSelectedAnimationAtTheChosenZoom) {
  answer = TempFolder("gif") + "/out.gif";
  WhenModal("FrmGif", [](QWidget* d) {
    d->findChild<QSpinBox*>("GifZoom")->setValue(2);
    static_cast<QDialog*>(d)->accept();
  });
  window->findChild<QAction*>("mnuImagesExportGif")->trigger();
  EXPECT_EQ(asked.back().fileName, "alpha.gif");
  QImageReader reader(answer);
  EXPECT_EQ(reader.imageCount(), 3);
  // alpha's frames reach from -7, -5 to 5, 5 about their origin.
  EXPECT_EQ(reader.read().size(), QSize(24, 20));
}

}  // namespace
}  // namespace quilmark::test
