// The browsing aids of the import dialogs and the directory chooser: the path
// field, the file types, the thumbnail, and the layout at any size.
#include "DialogTestSupport.h"
#include "images/modPng.h"

namespace quilmark::test {
namespace {

// The three dialogs over the main window, made fresh.
std::unique_ptr<QDialog> MakeDialog(int kind, FrmQuilmark* owner) {
  if (kind == 0) return std::make_unique<FrmImportSequence>(owner, nullptr, owner);
  if (kind == 1) return std::make_unique<FrmImportFrame>(owner, owner, owner);
  return std::make_unique<FrmDirectory>(owner, owner);
}
template <class T>
T* Child(const QDialog& d) {
  return d.findChild<T*>();
}

TEST_F(Dialogs, PathFieldGoesToAFolderTypedThereRefusesAnythingElseAndFollowsTheList) {
  const QColor plain = QLineEdit().palette().color(QPalette::Base);
  for (int kind : {0, 1, 2}) {
    const auto d = MakeDialog(kind, window.get());
    auto* field = Child<PathField>(*d);
    auto* dirs = Child<FolderList>(*d);
    auto* files = Child<FileList>(*d);  // none in the chooser
    const auto enter = [&](const QString& text) {
      field->setText(text);
      PressOn(*d, field, Qt::Key_Return);
    };
    dirs->SetPath(folder + "/existing");
    EXPECT_EQ(field->text(), folder + "/existing");
    enter(folder);
    EXPECT_EQ(dirs->Path(), folder);
    if (files) {
      EXPECT_EQ(Lines(files), QStringList({"a.bmp", "b.bmp", "c.bmp", "d.bmp"}));
    }
    enter("~");
    EXPECT_EQ(QStringList({dirs->Path(), Child<PlacesList>(*d)->Place()}),
              QStringList({QDir::homePath(), QDir::homePath()}));
    enter(folder);
    enter("existing");  // beside the folder shown
    EXPECT_EQ(dirs->Path(), folder + "/existing");
    // Enter stayed in the field: the default button was not pressed.
    EXPECT_TRUE(d->isVisible()) << kind;
    enter(folder);
    for (const QString& wrong : {QString("nowhere"), folder + "/a.bmp", QString()}) {
      enter(wrong);
      EXPECT_TRUE(field->Refused() && field->palette().color(QPalette::Base) != plain) << wrong.toStdString();
      EXPECT_EQ(QStringList({field->text(), dirs->Path()}), QStringList({wrong, folder}));
      if (files) {
        EXPECT_EQ(files->count(), 4);
      }
    }
    QTest::keyClick(field, Qt::Key_X);
    EXPECT_TRUE(!field->Refused() && field->palette().color(QPalette::Base) == plain) << kind;
    enter("nowhere");
    dirs->OpenLine(dirs->currentRow() + 1);  // the folder "existing" in the list
    EXPECT_TRUE(field->text() == folder + "/existing" && !field->Refused()) << kind;
  }
}

TEST_F(Dialogs, FileTypesListBitmapsFirstThenPngThenBothWhateverTheLetterCase) {
  for (const char* name : {"p.png", "Q.PNG", "r.Bmp"}) ASSERT_TRUE(QFile::copy(folder + "/a.bmp", folder + "/" + name));
  for (int kind : {0, 1, 0}) {
    const auto d = MakeDialog(kind, window.get());
    auto* types = Child<FileTypeList>(*d);
    auto* files = Child<FileList>(*d);
    ASSERT_EQ(types->count(), 3);
    EXPECT_EQ(QStringList({types->itemText(0), types->itemText(1), types->itemText(2)}),
              QStringList({"Bitmaps (*.bmp)", "PNG images (*.png)", "All images (*.bmp *.png)"}));
    EXPECT_EQ(types->currentIndex(), 0);
    EXPECT_EQ(Lines(files), QStringList({"a.bmp", "b.bmp", "c.bmp", "d.bmp", "r.Bmp"}));
    types->setCurrentIndex(1);
    EXPECT_EQ(Lines(files), QStringList({"p.png", "Q.PNG"}));
    types->setCurrentIndex(2);
    EXPECT_EQ(Lines(files), QStringList({"a.bmp", "b.bmp", "c.bmp", "d.bmp", "p.png", "Q.PNG", "r.Bmp"}));
  }
  FrmDirectory chooser(window.get(), window.get());
  EXPECT_EQ(chooser.findChildren<QComboBox*>(), QList<QComboBox*>({chooser.Drive}));
}

TEST_F(Dialogs, PngFilesImportThroughBothDialogs) {
  ASSERT_TRUE(WritePNG(Bytes(folder + "/p.png"), {100, 9, 255}, 3, 1, GamePalette));
  FrmImportSequence sequence(window.get(), nullptr, window.get());
  sequence.LstFileType->setCurrentIndex(1);
  SelectOnly(sequence.Files, {"p.png"});
  sequence.CmdAdd_Click();
  sequence.CmdOK_Click();
  ASSERT_EQ(doc->Animations.Count(), 4);
  const FramePtr built = doc->Animations.Item(4)->Frames.Item(1);
  EXPECT_TRUE(doc->Animations.Item(4)->Name == "p" && built->Pixels == std::vector<uint8_t>({100, 9, 255}));
  FrmImportFrame frames(window.get(), window.get(), window.get());
  frames.LstFileType->setCurrentIndex(2);
  SelectOnly(frames.Files, {"p.png", "d.bmp"});
  frames.CmdAdd_Click();
  frames.CmdOK_Click();
  const auto& added = Editor().CurrentAnimation->Frames;
  ASSERT_GE(added.Count(), 2);
  EXPECT_EQ(added.Item(added.Count() - 1)->Pixels, std::vector<uint8_t>(4, 103));  // d.bmp first, in list order
  EXPECT_EQ(added.Item(added.Count())->Pixels, std::vector<uint8_t>({100, 9, 255}));
  EXPECT_EQ(messages, QStringList());
}

// ---------------------------------------------------------------- thumbnail

TEST_F(Dialogs, ThumbnailShowsTheHighlightedFileInGameColoursOnTheViewBackground) {
  const QRgb back = qRgb(0, 0, 255);  // no colour of the test palette
  window->PicFrame->SetBackground(back);
  ASSERT_TRUE(WriteBMP(Bytes(folder + "/t.bmp"), {100, 9, 255, 7, 50, 9, 200, 255}, GamePalette, 4, 2, true));
  ASSERT_TRUE(WritePNG(Bytes(folder + "/t.png"), {100, 9, 255}, 3, 1, GamePalette));
  std::vector<uint8_t> halves(300 * 30, 10);
  for (size_t i = 0; i < halves.size(); ++i) halves[i] = i % 300 < 150 ? 10 : 20;
  ASSERT_TRUE(WriteBMP(Bytes(folder + "/w.bmp"), halves, GamePalette, 300, 30, true));
  std::ofstream(Bytes(folder + "/e.bmp")) << "not a bitmap";
  for (int kind : {0, 1}) {
    const auto d = MakeDialog(kind, window.get());
    d->show();
    auto* thumbnail = Child<ImportThumbnail>(*d);
    auto* files = Child<FileList>(*d);
    auto* white = d->findChild<QCheckBox*>("chkWhite");
    const QSize area = thumbnail->contentsRect().size();
    const auto highlight = [&](const QString& name) {
      files->setCurrentItem(files->findItems(name, Qt::MatchExactly).value(0));
      return thumbnail->Picture();
    };
    // Each pixel of the file at (x, y) is a square of zoom × zoom pixels.
    const auto expectPixels = [&](const QImage& p, int columns, const std::vector<QRgb>& colours) {
      const int zoom = p.width() / columns;
      ASSERT_TRUE(zoom >= 1 && p.size() == QSize(columns, int(colours.size()) / columns) * zoom);
      EXPECT_TRUE(p.width() + columns > area.width() || p.height() + int(colours.size()) / columns > area.height());
      for (size_t i = 0; i < colours.size(); ++i)
        EXPECT_EQ(p.pixel(int(i) % columns * zoom + zoom / 2, int(i) / columns * zoom + zoom / 2), colours[i]) << i;
    };
    QImage shown = highlight("t.bmp");
    expectPixels(shown, 4, {TestColour(100), back, TestColour(255), TestColour(7), TestColour(50), back,
                            TestColour(200), TestColour(255)});
    const QImage painted = thumbnail->grab().toImage();
    const QPoint middle = thumbnail->contentsRect().center();
    EXPECT_EQ(painted.pixel(middle), shown.pixel(shown.rect().center()));
    EXPECT_EQ(painted.pixel(thumbnail->contentsRect().topLeft()), back);
    white->setChecked(true);
    expectPixels(thumbnail->Picture(), 4, {TestColour(100), back, back, TestColour(7), TestColour(50), back,
                                           TestColour(200), back});
    white->setChecked(false);
    Child<FileTypeList>(*d)->setCurrentIndex(2);
    expectPixels(highlight("t.png"), 3, {TestColour(100), back, TestColour(255)});
    // Scaled down to the width of the area, without blending.
    shown = highlight("w.bmp");
    EXPECT_EQ(shown.size(), QSize(area.width(), 30 * area.width() / 300));
    for (int x = 0; x < shown.width(); ++x)
      if (std::abs(2 * x + 1 - shown.width()) > 2) {  // not on the seam
        EXPECT_EQ(shown.pixel(x, shown.height() / 2), TestColour(x < shown.width() / 2 ? 10 : 20)) << x;
      }
    EXPECT_TRUE(highlight("e.bmp").isNull());
    highlight("t.bmp");
    Child<FolderList>(*d)->SetPath(folder + "/existing");
    EXPECT_TRUE(thumbnail->Picture().isNull());
  }
  EXPECT_EQ(messages, QStringList());
}

// ---------------------------------------------------------------- layout

// A control's place in the design, in twips, and how many added rows stand
// above it.
struct Placed {
  const char* name;
  int left, top, width, height, rowsAbove;
};

TEST_F(Dialogs, DialogsOpenAtTheDesignAndGiveTheListsTheRoomTheyGain) {
  const std::vector<Placed> designs[] = {
      {{"Drives", 180, 180, 2895, 315, 0}, {"Dirs", 180, 600, 2895, 1215, 1}, {"Files", 180, 1920, 2895, 1845, 1},
       {"LstFrames", 3840, 600, 3315, 1815, 1}, {"CmdDelete", 3240, 1560, 435, 435, 1},
       {"CmdAdd", 3240, 1980, 435, 435, 1}, {"LstSubframes", 3840, 2880, 3315, 840, 1},
       {"CmdRemoveFrame", 3240, 2880, 435, 435, 1}, {"CmdAddFrame", 3240, 3300, 435, 435, 1},
       {"Frame1", 180, 3900, 6975, 975, 2}, {"CmdOK", 4920, 5040, 1035, 375, 2}, {"CmdCancel", 6120, 5040, 1035, 375, 2}},
      {{"Drives", 120, 120, 2535, 315, 0}, {"Dirs", 120, 540, 2535, 1215, 1}, {"Files", 120, 1860, 2535, 1455, 1},
       {"CmdAdd", 2820, 2100, 435, 435, 1}, {"CmdDelete", 2820, 2700, 435, 435, 1},
       {"LstFrames", 3420, 540, 2535, 2790, 1}, {"Frame1", 120, 3480, 5835, 975, 2},
       {"CmdOK", 3720, 4620, 1035, 375, 2}, {"CmdCancel", 4920, 4620, 1035, 375, 2}},
      {{"LblPath", 120, 120, 3135, 255, 0}, {"Dir", 120, 480, 3135, 1890, 1}, {"Drive", 120, 2460, 3135, 315, 1},
       {"CmdOk", 3360, 480, 975, 375, 0}, {"CmdCancel", 3360, 960, 975, 375, 0},
       {"CmdMakeDir", 3360, 1440, 975, 375, 0}}};
  const char* lists[][3] = {{"Files", "LstFrames", "PicThumbnail"}, {"Files", "LstFrames", "PicThumbnail"},
                            {"Dir", "Dir", "Dir"}};
  for (int kind : {0, 1, 2}) {
    const auto d = MakeDialog(kind, window.get());
    d->show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(d.get()));
    EXPECT_EQ(d->size(), d->minimumSize());
    const auto controls = d->findChildren<QWidget*>(QString(), Qt::FindDirectChildrenOnly);
    // Every control lies inside the dialog, and only the controls that meet in
    // the design (the buttons of a pair touch) meet at other sizes.
    const auto meeting = [&] {
      QStringList pairs;
      for (QWidget* a : controls) {
        EXPECT_TRUE(d->rect().contains(a->geometry())) << a->objectName().toStdString();
        for (QWidget* b : controls)
          if (a < b && a->geometry().intersects(b->geometry())) pairs << a->objectName() + "/" + b->objectName();
      }
      return pairs;
    };
    const QStringList designMeeting = meeting();
    for (const Placed& p : designs[kind]) {
      const QRect pixels(p.left / 15, (p.top + 420 * p.rowsAbove) / 15, p.width / 15, p.height / 15);
      EXPECT_EQ(d->findChild<QWidget*>(p.name)->geometry(), pixels) << kind << " " << p.name;
    }
    QHash<QWidget*, QRect> before;
    for (QWidget* c : controls) before[c] = c->geometry();
    d->resize(d->size() + QSize(300, 200));
    EXPECT_EQ(meeting(), designMeeting);
    for (const char* name : lists[kind]) {
      QWidget* list = d->findChild<QWidget*>(name);
      EXPECT_TRUE(list->width() > before[list].width() && list->height() > before[list].height()) << name;
    }
    // The buttons keep their distance to the corner they belong to.
    const char* corner = kind == 2 ? "CmdOk" : "CmdOK";
    auto* button = d->findChild<QWidget*>(corner);
    EXPECT_EQ(button->geometry().topRight(), before[button].topRight() + QPoint(300, kind == 2 ? 0 : 200));
    QWidget* first = d->findChild<QWidget*>(kind == 2 ? "LblPath" : "Drives");
    EXPECT_EQ(first->pos(), before[first].topLeft());
    d->resize(d->minimumSize());
    for (QWidget* c : controls) EXPECT_EQ(c->geometry(), before[c]) << c->objectName().toStdString();
  }
}

// Tab runs from the places list through the path field to the folder list
// (from the folder list to the places list in the chooser), and no two
// controls of a dialog answer to one access key.
TEST_F(Dialogs, PathFieldSitsInTheTabOrderAndAccessKeysAreUniqueInEveryDialog) {
  for (int kind : {0, 1, 2}) {
    const auto d = MakeDialog(kind, window.get());
    QWidget* order[] = {Child<PlacesList>(*d), Child<PathField>(*d), Child<FolderList>(*d), Child<PlacesList>(*d)};
    for (int i = kind == 2 ? 1 : 0; i < (kind == 2 ? 3 : 2); ++i) {
      PressOn(*d, order[i], Qt::Key_Tab);
      EXPECT_EQ(QApplication::focusWidget(), order[i + 1]) << kind << " " << i;
    }
    QStringList keys;
    for (QAbstractButton* button : d->findChildren<QAbstractButton*>()) keys << button->shortcut().toString();
    for (QLabel* label : d->findChildren<QLabel*>()) keys << QKeySequence::mnemonic(label->text()).toString();
    keys.removeAll(QString());
    EXPECT_EQ(keys.size(), QSet<QString>(keys.begin(), keys.end()).size()) << keys.join(" ").toStdString();
    EXPECT_EQ(keys.size(), kind == 2 ? 1 : 3) << keys.join(" ").toStdString();
  }
}

}  // namespace
}  // namespace quilmark::test
