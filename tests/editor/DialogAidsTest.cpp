// The browsing aids of the import dialogs and the directory chooser: the path
// field, the file types, the thumbnail, and the layout at any size.
#include "DialogTestSupport.h"
#include "images/modPng.h"

namespace quilmark::test {
namespace {

// Import Sequence (0), Import Frames (1) or the chooser (2) over the main window.
std::unique_ptr<QDialog> MakeDialog(int kind, FrmQuilmark* owner) {
  if (kind == 0) return std::make_unique<FrmImportSequence>(owner, owner->State().BMPLoadDir, owner);
  if (kind == 1) return std::make_unique<FrmImportFrame>(owner, owner->State().BMPLoadDir);
  return std::make_unique<FrmDirectory>(owner, owner);
}

// The path field: Enter goes to the folder typed, or refuses, and never
// presses the default button; it follows the lists and takes a path typed
// there. In the tab order it comes between the places and the folder list, in
// the chooser first (after the last button). Access keys stay unique.
TEST_F(Dialogs, PathFieldGoesToAFolderTypedThereRefusesAnythingElseAndFollowsTheList) {
  const QColor plain = QLineEdit().palette().color(QPalette::Base);
  for (int kind : {0, 1, 2}) {
    const auto d = MakeDialog(kind, window.get());
    auto* field = d->findChild<PathField*>();
    auto* dirs = d->findChild<FolderList*>();
    auto* files = d->findChild<FileList*>();  // none in the chooser
    auto* places = d->findChild<PlacesList*>();
    QWidget* order[] = {kind == 2 ? d->findChild<QWidget*>("CmdMakeDir") : places, field, dirs};
    for (int i = 0; i < 2; ++i) {
      PressOn(*d, order[i], Qt::Key_Tab);
      EXPECT_EQ(QApplication::focusWidget(), order[i + 1]) << kind << " " << i;
    }
    // A path typed in the lists goes on in the field.
    for (const auto& [list, key] : {std::pair<QWidget*, Qt::Key>{dirs, Qt::Key_Slash}, {places, Qt::Key_AsciiTilde}}) {
      PressOn(*d, list, key);
      EXPECT_TRUE(QApplication::focusWidget() == field && field->text() == QChar(key)) << kind;
    }
    QStringList keys;
    for (QAbstractButton* button : d->findChildren<QAbstractButton*>()) keys << button->shortcut().toString();
    keys.removeAll(QString());
    EXPECT_EQ(QSet<QString>(keys.begin(), keys.end()).size(), keys.size()) << keys.join(" ").toStdString();
    const auto enter = [&](const QString& text, Qt::Key key = Qt::Key_Return) {
      field->setText(text);
      PressOn(*d, field, key);
      EXPECT_TRUE(d->isVisible() && d->result() == 0) << kind << " " << text.toStdString();
      return QStringList({dirs->Path(), files ? Lines(files).join(",") : QString()});
    };
    dirs->SetPath(folder + "/existing");
    EXPECT_EQ(field->text(), folder + "/existing");
    EXPECT_EQ(enter(folder, Qt::Key_Enter), QStringList({folder, files ? "a.bmp,b.bmp,c.bmp,d.bmp" : ""}));
    enter("~");
    EXPECT_EQ(places->Place(), QDir::homePath());
    enter(folder);
    EXPECT_EQ(enter("existing").value(0), folder + "/existing");  // beside the folder shown
    const QStringList there = enter(folder);
    for (const QString& wrong : {QString("nowhere"), folder + "/a.bmp", QString()}) {
      EXPECT_EQ(enter(wrong, wrong.isEmpty() ? Qt::Key_Enter : Qt::Key_Return), there);
      EXPECT_TRUE(field->Refused() && field->palette().color(QPalette::Base) != plain && field->text() == wrong);
    }
    QTest::keyClick(field, Qt::Key_X);
    EXPECT_TRUE(!field->Refused() && field->palette().color(QPalette::Base) == plain) << kind;
    enter("nowhere");
    dirs->OpenLine(dirs->currentRow() + 1);  // the folder "existing" in the list
    EXPECT_TRUE(field->text() == folder + "/existing" && !field->Refused()) << kind;
  }
}

TEST_F(Dialogs, FileTypesListBitmapsFirstThenPngThenBothAndPngFilesImport) {
  ASSERT_TRUE(QFile::copy(folder + "/a.bmp", folder + "/r.Bmp"));
  for (const char* name : {"/p.png", "/Q.PNG"})
    ASSERT_TRUE(WritePNG(Bytes(folder + name), std::vector<uint8_t>{100, 9, 255}, 3, 1, GamePalette));
  for (int kind : {0, 1}) {
    RunImport(kind, [](QDialog& dialog) {
    QDialog* d = &dialog;
    auto* types = d->findChild<FileTypeList*>();
    auto* files = d->findChild<FileList*>();
    EXPECT_EQ(QStringList({types->itemText(0), types->itemText(1), types->itemText(2)}),
              QStringList({"Bitmaps (*.bmp)", "PNG images (*.png)", "All images (*.bmp *.png)"}));
    EXPECT_EQ(Lines(files), QStringList({"a.bmp", "b.bmp", "c.bmp", "d.bmp", "r.Bmp"}));
    types->setCurrentIndex(1);
    EXPECT_EQ(Lines(files), QStringList({"p.png", "Q.PNG"}));
    types->setCurrentIndex(2);
    EXPECT_EQ(Lines(files), QStringList({"a.bmp", "b.bmp", "c.bmp", "d.bmp", "p.png", "Q.PNG", "r.Bmp"}));
    SelectOnly(files, {"d.bmp", "p.png"});
    d->findChild<QPushButton*>("CmdAdd")->click();
    d->findChild<QPushButton*>("CmdOK")->click();
    });
  }
  // A sequence named after the first file, and two frames added in list order.
  ASSERT_EQ(doc->Animations.Count(), 4);
  EXPECT_EQ(doc->Animations.Item(4)->Name, "d");
  EXPECT_EQ(doc->Animations.Item(4)->Frames.Item(2)->Pixels, std::vector<uint8_t>({100, 9, 255}));
  const auto& frames = window->State().CurrentAnimation->Frames;
  EXPECT_EQ(frames.Item(frames.Count())->Pixels, std::vector<uint8_t>({100, 9, 255}));
  EXPECT_EQ(frames.Item(frames.Count() - 1)->Pixels, std::vector<uint8_t>(4, 103));
  EXPECT_EQ(MakeDialog(0, window.get())->findChild<FileTypeList*>()->currentIndex(), 0);
}

// Names in the order a file manager shows them, in the lists and in a
// sequence imported from them.
TEST_F(Dialogs, ListsOrderNamesByTheirNumbersAndASequenceImportsInThatOrder) {
  // Each pair in order; letter case only breaks ties. Other scripts' digits
  // are letters: as numbers they would sort in a circle with "a10" and "aZ".
  const std::pair<const char*, const char*> ordered[] = {
      {"b2", "b10"}, {"B2", "b10"}, {"b2", "B10"}, {"a", "a1"}, {"a.bmp", "a1.bmp"}, {"a9z", "a10"}, {"x007", "x8"},
      {"9a", "10"}, {"a1b2", "a1b10"}, {"n99999999999999999999", "n100000000000000000000"}, {"A1", "a01"},
      {"a01", "a1"}, {"File", "file"}, {"a10", "aZ"}, {"aZ", "a\u0663"}, {"a10", "a\u0663"}};
  for (const auto& [a, b] : ordered) EXPECT_TRUE(NameBefore(a, b) && !NameBefore(b, a)) << a << " " << b;
  EXPECT_FALSE(NameBefore("same", "same"));
  const QString walk = folder + "/existing";
  QStringList names;
  for (int n = 1; n <= 12; ++n) {
    names << QString(n == 10 ? "Walk%1.bmp" : "walk%1.bmp").arg(n);
    const std::vector<uint8_t> row(size_t(n), 100);
    ASSERT_TRUE(WriteBMP(Bytes(walk + "/" + names.last()), row, GamePalette, n, 1, true));
  }
  for (const char* sub : {"s10", "s2"}) QDir(walk).mkdir(sub);
  RunImport(0, [&](QDialog& dialog) {
    auto& d = static_cast<FrmImportSequence&>(dialog);
    d.Dirs->SetPath(walk);
    EXPECT_EQ(Lines(d.Dirs, Qt::UserRole).mid(Lines(d.Dirs).size() - 2), QStringList({walk + "/s2", walk + "/s10"}));
    EXPECT_EQ(Lines(d.Files), names);
    d.Files->selectAll();
    d.CmdAdd_Click();
    EXPECT_EQ(Lines(d.LstFrames), names);
    d.CmdOK->click();
  });
  std::vector<int> widths;
  for (const auto& frame : doc->Animations.Item(doc->Animations.Count())->Frames) widths.push_back(frame->Width());
  EXPECT_EQ(widths, std::vector<int>({1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12}));
}

TEST_F(Dialogs, ThumbnailShowsTheHighlightedFileInGameColoursWithTransparencyAsACheckerboard) {
  Find<FrameView>(*window, "PicFrame")->SetBackground(qRgb(0, 0, 255));  // no colour of the test palette
  ASSERT_TRUE(WriteBMP(Bytes(folder + "/t.bmp"), std::vector<uint8_t>{100, 9, 255, 7, 50, 9, 200, 255}, GamePalette,
                       4, 2, true));
  ASSERT_TRUE(WritePNG(Bytes(folder + "/t.png"), std::vector<uint8_t>{100, 9, 255}, 3, 1, GamePalette));
  std::vector<uint8_t> halves(300 * 30);
  for (size_t i = 0; i < halves.size(); ++i) halves[i] = i % 300 < 150 ? 10 : 20;
  ASSERT_TRUE(WriteBMP(Bytes(folder + "/w.bmp"), halves, GamePalette, 300, 30, true));
  // Transparent on the left, index 255 ("white") on the right, lines one pixel
  // thin across (index 50) and down the right (60), and a lone pixel (70).
  std::vector<uint8_t> lines(601 * 301);
  for (size_t i = 0; i < lines.size(); ++i) {
    const size_t x = i % 601, y = i / 601;
    lines[i] = y == 151 ? 50 : x == 451 ? 60 : x == 100 && y == 52 ? 70 : x < 300 ? 9 : 255;
  }
  ASSERT_TRUE(WriteBMP(Bytes(folder + "/l.bmp"), lines, GamePalette, 601, 301, true));
  std::ofstream(Bytes(folder + "/e.bmp")) << "not a bitmap";
  const QRgb clear = 0;  // where the checkerboard shows
  for (int kind : {0, 1}) {
    const auto d = MakeDialog(kind, window.get());
    d->show();
    auto* thumbnail = d->findChild<ImportThumbnail*>();
    auto* files = d->findChild<FileList*>();
    auto* white = d->findChild<QCheckBox*>("chkWhite");
    const QSize area = thumbnail->contentsRect().size();
    const auto highlight = [&](const QString& name) {
      files->setCurrentItem(files->findItems(name, Qt::MatchExactly).value(0));
      return thumbnail->Picture();
    };
    // Each pixel of the file is a square of zoom × zoom, the largest that fits.
    const auto expectPixels = [&](const QImage& p, int columns, const std::vector<QRgb>& colours) {
      const int zoom = p.width() / columns, rows = int(colours.size()) / columns;
      ASSERT_TRUE(zoom >= 1 && p.size() == QSize(columns, rows) * zoom);
      EXPECT_TRUE(p.width() + columns > area.width() || p.height() + rows > area.height());
      for (size_t i = 0; i < colours.size(); ++i) {
        const QPoint at(int(i) % columns * zoom + zoom / 2, int(i) / columns * zoom + zoom / 2);
        EXPECT_EQ(p.pixel(at), colours[i] == clear ? CheckerColour(at) : colours[i]) << i;
      }
    };
    const QImage shown = highlight("t.bmp");
    expectPixels(shown, 4, {TestColour(100), clear, TestColour(255), TestColour(7), TestColour(50), clear,
                            TestColour(200), TestColour(255)});
    EXPECT_EQ(thumbnail->grab().toImage().pixel(thumbnail->contentsRect().center()),
              shown.pixel(shown.rect().center()));
    white->setChecked(true);
    expectPixels(thumbnail->Picture(), 4,
                 {TestColour(100), clear, clear, TestColour(7), TestColour(50), clear, TestColour(200), clear});
    d->findChild<FileTypeList*>()->setCurrentIndex(2);
    expectPixels(highlight("t.png"), 3, {TestColour(100), clear, clear});
    // Reduced to the width of the area, without blending.
    const QImage wide = highlight("w.bmp");
    EXPECT_EQ(wide.size(), QSize(area.width(), 30 * area.width() / 300));
    for (int x : {0, wide.width() / 2 - 2, wide.width() / 2 + 1, wide.width() - 1})
      EXPECT_EQ(wide.pixel(x, wide.height() / 2), TestColour(x < wide.width() / 2 ? 10 : 20)) << x;
    // Both lines survive a reduction by more than four, over either ground;
    // the lone pixel does not; what is transparent is a board of two greys.
    for (const bool whiteClear : {false, true}) {
      white->setChecked(whiteClear);
      const QImage p = highlight("l.bmp");
      ASSERT_LT(p.width() * 4, 601);
      int across = 0, wrong = 0;
      std::vector<int> down(size_t(p.width()));  // pixels of the line down, by column
      for (int y = 0; y < p.height(); ++y) {
        int run = 0;
        for (int x = 0; x < p.width(); ++x) {
          const QRgb c = p.pixel(x, y);
          run += c == TestColour(50);
          down[size_t(x)] += c == TestColour(60);
          // Away from the lines and the middle, nothing but the ground: the
          // board where the file is transparent, else white.
          const QRgb ground = x < p.width() / 2 || whiteClear ? CheckerColour({x, y}) : TestColour(255);
          if (std::abs(x - p.width() / 2) > 1 && c != TestColour(50) && c != TestColour(60)) wrong += c != ground;
        }
        across = std::max(across, run);
      }
      const int most = *std::max_element(down.begin(), down.end());
      EXPECT_TRUE(across == p.width() && most >= p.height() - 1 && wrong == 0)
          << whiteClear << " " << across << " " << most << " " << wrong;
      QSet<QRgb> greys;
      for (int x = 0; x < 16; ++x) greys << p.pixel(x, 0);
      EXPECT_EQ(greys, QSet<QRgb>({CheckerColour({0, 0}), CheckerColour({8, 0})}));
      EXPECT_NE(CheckerColour({0, 0}), CheckerColour({8, 0}));
    }
    EXPECT_TRUE(highlight("e.bmp").isNull());
    highlight("t.bmp");
    d->findChild<FolderList*>()->SetPath(folder + "/existing");
    EXPECT_TRUE(thumbnail->Picture().isNull());
  }
  EXPECT_EQ(messages, QStringList());
}

// ---------------------------------------------------------------- layout

TEST_F(Dialogs, DialogsOpenAtTheDesignAndGiveTheListsTheRoomTheyGain) {
  // The described places in twips, and the number of added rows above each.
  struct Placed {
    const char* name;
    int left, top, width, height, rowsAbove;
  };
  const std::vector<Placed> designs[] = {
      {{"Drives", 180, 180, 2895, 315, 0}, {"Dirs", 180, 600, 2895, 1215, 1}, {"Files", 180, 1920, 2895, 1845, 1},
       {"LstFrames", 3840, 600, 3315, 1815, 1}, {"CmdDelete", 3240, 1560, 435, 435, 1},
       {"CmdAdd", 3240, 1980, 435, 435, 1}, {"LstSubframes", 3840, 2880, 3315, 840, 1},
       {"CmdRemoveFrame", 3240, 2880, 435, 435, 1}, {"CmdAddFrame", 3240, 3300, 435, 435, 1},
       {"Frame1", 180, 3900, 6975, 975, 2}, {"CmdOK", 4920, 5040, 1035, 375, 2},
       {"CmdCancel", 6120, 5040, 1035, 375, 2}},
      {{"Drives", 120, 120, 2535, 315, 0}, {"Dirs", 120, 540, 2535, 1215, 1}, {"Files", 120, 1860, 2535, 1455, 1},
       {"CmdAdd", 2820, 2100, 435, 435, 1}, {"CmdDelete", 2820, 2700, 435, 435, 1},
       {"LstFrames", 3420, 540, 2535, 2790, 1}, {"Frame1", 120, 3480, 5835, 975, 2},
       {"CmdOK", 3720, 4620, 1035, 375, 2}, {"CmdCancel", 4920, 4620, 1035, 375, 2}},
      {{"LblPath", 120, 120, 3135, 255, 0}, {"Dir", 120, 480, 3135, 1890, 1}, {"Drive", 120, 2460, 3135, 315, 1},
       {"CmdOk", 3360, 480, 975, 375, 0}, {"CmdCancel", 3360, 960, 975, 375, 0},
       {"CmdMakeDir", 3360, 1440, 975, 375, 0}}};
  const QStringList lists[] = {{"Files", "LstFrames", "PicThumbnail"}, {"Files", "LstFrames", "PicThumbnail"}, {"Dir"}};
  for (int kind : {0, 1, 2}) {
    const auto d = MakeDialog(kind, window.get());
    d->show();
    d->activateWindow();
    ASSERT_TRUE(QTest::qWaitFor([&] { return d->isAncestorOf(QApplication::focusWidget()); }));
    // The focus starts in the places list, in the chooser in the path field,
    // where typing replaces the folder shown.
    EXPECT_EQ(QApplication::focusWidget(), d->findChild<QWidget*>(kind == 2 ? "TxtPath" : "Drives"));
    EXPECT_EQ(d->findChild<PathField*>()->selectedText(), kind == 2 ? QDir::currentPath() : QString());
    EXPECT_EQ(d->size(), d->minimumSize());
    for (const Placed& p : designs[kind])
      EXPECT_EQ(d->findChild<QWidget*>(p.name)->geometry(),
                QRect(p.left / 15, (p.top + 420 * p.rowsAbove) / 15, p.width / 15, p.height / 15))
          << kind << " " << p.name;
    const auto controls = d->findChildren<QWidget*>(QString(), Qt::FindDirectChildrenOnly);
    // Every control lies inside the dialog; only those that meet in the design
    // (the buttons of a pair touch) meet at other sizes.
    const auto meeting = [&] {
      QStringList pairs;
      for (QWidget* a : controls) {
        EXPECT_TRUE(d->rect().contains(a->geometry())) << a->objectName().toStdString();
        for (QWidget* b : controls)
          if (a < b && a->geometry().intersects(b->geometry())) pairs << a->objectName() + "/" + b->objectName();
      }
      return pairs;
    };
    // The file types show their longest entry whole.
    const auto* types = d->findChild<FileTypeList*>();  // none in the chooser
    EXPECT_TRUE(!types || types->width() >= types->sizeHint().width()) << kind;
    const QStringList designMeeting = meeting();
    QHash<QWidget*, QRect> before;
    for (QWidget* c : controls) before[c] = c->geometry();
    // OK and Cancel keep their distances to their corner: the bottom right
    // one, the chooser's top right.
    const auto fromCorner = [&] {
      QList<QPoint> distances;
      for (const char* name : {kind == 2 ? "CmdOk" : "CmdOK", "CmdCancel"}) {
        const QRect r = d->findChild<QWidget*>(name)->geometry();
        distances << QPoint(d->width() - r.right(), kind == 2 ? r.top() : d->height() - r.bottom());
      }
      return distances;
    };
    const QList<QPoint> designCorner = fromCorner();
    d->resize(d->size() + QSize(300, 200));
    EXPECT_EQ(meeting(), designMeeting);
    EXPECT_EQ(fromCorner(), designCorner) << kind;
    for (const QString& name : lists[kind]) {
      QWidget* list = d->findChild<QWidget*>(name);
      EXPECT_TRUE(list->width() > before[list].width() && list->height() > before[list].height()) << kind;
    }
    d->resize(d->minimumSize());
    for (QWidget* c : controls) EXPECT_EQ(c->geometry(), before[c]) << kind << c->objectName().toStdString();
  }
}

}  // namespace
}  // namespace quilmark::test
