// Zooming the frame view and the preview, files dropped on the main window,
// and the image types Export Frame and Export Subframe offer.
#include <QMimeData>
#include <QUrl>
#include <QWheelEvent>

#include "EditorTestSupport.h"
#include "display/qt/FrmPreview.h"
#include "images/FrameImages.h"

namespace quilmark::test {
namespace {

// The smallest rectangle of the picture holding any of the colours.
QRect Extent(const QImage& picture, std::initializer_list<QRgb> colours) {
  QRect box;
  for (int y = 0; y < picture.height(); ++y)
    for (int x = 0; x < picture.width(); ++x)
      if (std::find(colours.begin(), colours.end(), picture.pixel(x, y) | 0xff000000u) != colours.end())
        box |= QRect(x, y, 1, 1);
  return box;
}

class View : public DocumentTest {
 protected:
  // One 10 x 10 frame at (5, 5), its origin pixel (5, 5) index 77, the rest 20.
  void ShowMarkedFrame() {
    auto frame = MakeFrame(10, 10, 5, 5, 20);
    frame->Pixels[5 * 10 + 5] = 77;
    auto animation = doc->Animations.Item(1);
    animation->Frames.Clear();
    animation->Frames.Add(frame);
    window->ResetView();
  }
  void Wheel(QWidget* target, int turn, Qt::KeyboardModifiers modifiers) {
    const QPointF at = QPointF(target->rect().center());
    QWheelEvent wheel(at, target->mapToGlobal(at), QPoint(), QPoint(0, turn), Qt::NoButton, modifiers,
                      Qt::NoScrollPhase, false);
    QApplication::sendEvent(target, &wheel);
  }
  QString ZoomShown() { return Find<QLabel>(*window, "StatusZoom")->text(); }
};

TEST_F(View, KeysAndTheControlWheelStepTheZoomWhichTheStatusBarShowsAndOpeningKeeps) {
  EXPECT_EQ(ZoomShown(), "100%");
  for (const auto& [key, shown] : {std::pair{Qt::Key_Equal, "200%"}, {Qt::Key_Plus, "300%"}, {Qt::Key_Minus, "200%"},
                                   {Qt::Key_0, "100%"}}) {
    QTest::keyClick(window.get(), key, Qt::ControlModifier);
    EXPECT_EQ(ZoomShown(), shown) << shown;
  }
  // The wheel zooms only with Ctrl; half notches add up.
  for (const auto& [turn, modifiers, zoom] : {std::tuple{120, Qt::NoModifier, 1}, {120, Qt::ControlModifier, 2},
                                              {60, Qt::ControlModifier, 2}, {60, Qt::ControlModifier, 3}}) {
    Wheel(Find<FrameView>(*window, "PicFrame"), turn, modifiers);
    EXPECT_EQ(Find<FrameView>(*window, "PicFrame")->Zoom(), zoom) << turn << " " << int(modifiers);
  }
  for (int i = 0; i < 10; ++i) Wheel(Find<FrameView>(*window, "PicFrame"), 120, Qt::ControlModifier);
  EXPECT_EQ(ZoomShown(), "1600%");
  Wheel(Find<FrameView>(*window, "PicFrame"), -240, Qt::ControlModifier);
  EXPECT_EQ(ZoomShown(), "800%");
  // The zoom lasts for the run: a new document keeps it.
  window->mnuFileNew_Click();
  EXPECT_EQ(Find<FrameView>(*window, "PicFrame")->Zoom(), 8);
  EXPECT_EQ(ZoomShown(), "800%");
}

TEST_F(View, EnlargedPixelsAreBlocksAroundTheOriginOrTheCentredImage) {
  ShowMarkedFrame();
  const QPoint middle(Find<FrameView>(*window, "PicFrame")->width() / 2,
                      Find<FrameView>(*window, "PicFrame")->height() / 2);
  for (int zoom : {1, 2, 8}) {
    SCOPED_TRACE(zoom);
    Find<FrameView>(*window, "PicFrame")->SetZoom(zoom);
    Find<QAction>(*window, "mnuViewCenter")->setChecked(false);
    window->mnuViewCenter_Click();
    const QImage picture = Find<FrameView>(*window, "PicFrame")->grab().toImage();
    const QRect image = Extent(picture, {TestColour(20), TestColour(77)});
    const QRect origin = Extent(picture, {TestColour(77)});
    EXPECT_EQ(image.size(), QSize(10 * zoom, 10 * zoom));
    EXPECT_EQ(origin.size(), QSize(zoom, zoom));
    EXPECT_EQ(origin.topLeft() - image.topLeft(), QPoint(5 * zoom, 5 * zoom));
    // The origin pixel's corner is on the view's middle.
    EXPECT_LE((origin.topLeft() - middle).manhattanLength(), 2);
    Find<QAction>(*window, "mnuViewCenter")->setChecked(true);
    window->mnuViewCenter_Click();
    const QRect centred =
        Extent(Find<FrameView>(*window, "PicFrame")->grab().toImage(), {TestColour(20), TestColour(77)});
    EXPECT_EQ(centred.size(), image.size());
    EXPECT_LE((centred.center() - middle).manhattanLength(), 2);
  }
}

TEST_F(View, APreviewZoomsByItselfWithItsOwnKeysAndWheel) {
  QPointer<FrmPreview> preview = FrmPreview::Open(doc->Animations.Item(1), window.get());
  ASSERT_TRUE(preview);
  preview->TmrAnimate->stop();
  preview->activateWindow();
  ASSERT_TRUE(QTest::qWaitForWindowActive(preview.data()));
  // The main window's zoom keys stay live over a tool window of its own; the
  // preview must take them, not leave them to both or to the main window.
  QTest::keyClick(preview.data(), Qt::Key_Equal, Qt::ControlModifier);
  EXPECT_EQ(preview->Canvas->Zoom(), 2);
  EXPECT_EQ(Find<FrameView>(*window, "PicFrame")->Zoom(), 1);
  EXPECT_EQ(preview->windowTitle(), "Preview - 'alpha' (200%)");
  Wheel(preview->Canvas, 240, Qt::ControlModifier);
  EXPECT_EQ(preview->Canvas->Zoom(), 4);
  // Frame 1 of alpha (10 x 10 of index 20 at (5, 5)) 4 times over, its origin
  // on the canvas's middle.
  preview->PreviewFrame = 1;
  ASSERT_TRUE(preview->TmrAnimate_Timer());
  const QImage canvas = preview->Canvas->grab().toImage();
  const QRect image = Extent(canvas, {TestColour(20)});
  EXPECT_EQ(image.size(), QSize(40, 40));
  const QPoint middle(preview->Canvas->width() / 2, preview->Canvas->height() / 2);
  EXPECT_LE((image.topLeft() + QPoint(20, 20) - middle).manhattanLength(), 2);
  QTest::keyClick(preview.data(), Qt::Key_0, Qt::ControlModifier);
  EXPECT_EQ(preview->windowTitle(), "Preview - 'alpha'");
  preview->close();
}

class Drops : public View {
 protected:
  QPoint OverPicture() {
    return Find<FrameView>(*window, "PicFrame")
        ->mapTo(window.get(), Find<FrameView>(*window, "PicFrame")->rect().center());
  }
  QPoint OverList() { return List()->mapTo(window.get(), List()->rect().center()); }
  // Image files of sides 5, 4 and 3 under names whose order is by number and
  // without letter case.
  QStringList WriteImages() {
    folder = TempFolder("drops");
    const QStringList names{folder + "/b10.bmp", folder + "/A1.png", folder + "/b2.bmp"};
    const int sides[] = {3, 5, 4};
    for (int i = 0; i < 3; ++i) {
      const ImageFormat format = names[i].endsWith(".png") ? ImageFormat::Png : ImageFormat::Bmp;
      EXPECT_TRUE(ExportFrame(*MakeFrame(sides[i], sides[i], 0, 0, 33), names[i].toStdString(), format).ok());
    }
    return names;
  }
  static std::vector<int> Widths(const Collection<classGAFFrame>& frames) {
    std::vector<int> widths;
    for (const auto& f : frames) widths.push_back(f->Width());
    return widths;
  }
  QString folder;
};

TEST_F(Drops, ImagesOnThePictureBecomeFramesInNameOrderAsOneStepOrWithShiftSubframes) {
  const QStringList images = WriteImages();
  std::ofstream(QString(folder + "/notes.txt").toStdString()) << "not an image";
  QDir(folder).mkdir("more.bmp");  // a folder, whatever its name says
  const auto alpha = doc->Animations.Item(1);
  // Not taken over the list.
  EXPECT_FALSE(Drop(images, OverList()));
  EXPECT_EQ(alpha->Frames.Count(), 3);
  ASSERT_TRUE(Drop(images + QStringList{folder + "/more.bmp", folder + "/notes.txt"}, OverPicture()));
  EXPECT_EQ(Widths(alpha->Frames), (std::vector<int>{10, 4, 2, 5, 4, 3}));
  EXPECT_EQ(Find<QStatusBar>(*window, "Status")->currentMessage(),
            "1 file and 1 folder ignored: not a BMP or PNG image");
  EXPECT_EQ(window->Document().History().undoText(), "Import Frames");
  EXPECT_EQ(Cell(0, 2), "6");
  window->Document().History().undo();
  EXPECT_EQ(alpha->Frames.Count(), 3);
  // With Shift they become subframes of the frame shown.
  Slider("ScrollFrames")->setValue(2);
  ASSERT_TRUE(Drop(images, OverPicture(), Qt::ShiftModifier));
  EXPECT_EQ(Widths(alpha->Frames.Item(2)->Subframes), (std::vector<int>{6, 8, 5, 4, 3}));
  EXPECT_EQ(window->Document().History().undoText(), "Import Subframes");
  EXPECT_EQ(alpha->Frames.Count(), 3);
  EXPECT_TRUE(messages.isEmpty()) << messages.join("\n").toStdString();
}

TEST_F(Drops, OnlyOtherFilesOrNoSequenceLeaveTheDocumentWithANote) {
  const QStringList images = WriteImages();
  std::ofstream(QString(folder + "/a.txt").toStdString()) << "a";
  std::ofstream(QString(folder + "/b.txt").toStdString()) << "b";
  QDir(folder).mkdir("sprites");
  QDir(folder).mkdir("more");
  // A folder is called one, and one alone is named.
  const std::pair<QStringList, const char*> notes[] = {
      {{folder + "/a.txt", folder + "/b.txt"}, "2 files ignored: not a GAF file, BMP or PNG image"},
      {{folder + "/sprites/"}, "\"sprites\" is a folder: drop the files inside it"},
      {{folder + "/sprites", folder + "/more"}, "2 folders ignored: drop the files inside them"},
      {{folder + "/a.txt", folder + "/sprites"}, "1 file and 1 folder ignored: not a GAF file, BMP or PNG image"}};
  for (const auto& [dropped, note] : notes) {
    ASSERT_TRUE(Drop(dropped, OverPicture()));
    EXPECT_EQ(Find<QStatusBar>(*window, "Status")->currentMessage(), note);
  }
  window->mnuFileNew_Click();
  ASSERT_TRUE(Drop(images, OverPicture()));
  EXPECT_EQ(window->State().CurrentGAF->Animations.Count(), 0);
  EXPECT_EQ(Find<QStatusBar>(*window, "Status")->currentMessage(), "Create or choose a sequence to add the images to");
  EXPECT_EQ(window->Document().History().count(), 0);
}

TEST_F(Drops, AGafFileOpensAnywhereAsOpenDoes) {
  const QString dir = TempFolder("dropgaf");
  const QString path = dir + "/dropped.gaf";
  ASSERT_TRUE(QFile::copy(QString(QUILMARK_SAMPLES) + "/demo.gaf", path));
  const QStringList images = WriteImages();
  QDir(folder).mkdir("other.gaf");  // a folder: not opened, even first
  ASSERT_TRUE(Drop({folder + "/other.gaf", images[0], path, images[1], images[2]}, OverList()));
  EXPECT_EQ(window->State().CurrentFileName, path.toStdString());
  EXPECT_EQ(window->State().GAFLoadDir, dir.toStdString());
  EXPECT_EQ(ListNames(), (QStringList{"spinner", "tank", "blast", "empty"}));
  EXPECT_EQ(window->Document().History().count(), 0);
  EXPECT_EQ(Find<QStatusBar>(*window, "Status")->currentMessage(),
            "Opened dropped.gaf; ignored: other.gaf (folder), b10.bmp, A1.png and 1 more");
  ASSERT_TRUE(Drop({path, images[2]}, OverList()));
  EXPECT_EQ(Find<QStatusBar>(*window, "Status")->currentMessage(), "Opened dropped.gaf; ignored: b2.bmp");
  ExpectControlsBack();
}

TEST_F(View, ExportFrameAndSubframeOfferPngAfterBmpAndWriteWhatTheNameSays) {
  const QString dir = TempFolder("exportpng");
  for (auto command : {&FrmQuilmark::mnuFrameExport_Click, &FrmQuilmark::mnuSubframeExport_Click}) {
    // A frame of its own, then a subframe.
    Slider("ScrollFrames")->setValue(command == &FrmQuilmark::mnuFrameExport_Click ? 1 : 2);
    for (const char* ending : {"png", "bmp"}) {
      answer = dir + "/shown." + ending;
      QFile::remove(answer);
      (window.get()->*command)();
      EXPECT_EQ(asked.last().filter, "BMP files (*.bmp)|*.bmp|PNG files (*.png)|*.png");
      EXPECT_TRUE(FileBytes(answer).startsWith(std::string(ending) == "png" ? "\x89PNG" : "BM")) << ending;
    }
  }
  EXPECT_TRUE(messages.isEmpty()) << messages.join("\n").toStdString();
}

}  // namespace
}  // namespace quilmark::test
