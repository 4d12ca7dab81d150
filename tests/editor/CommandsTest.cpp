#include <QDesktopServices>
#include <QRegularExpression>

#include "../archive/HpiTestReader.h"
#include "EditorTestSupport.h"
#include "dialogs/FrmAbout.h"
#include "dialogs/FrmDirectory.h"
#include "DialogTestSupport.h"
#include "dialogs/FrmImportFrame.h"

namespace quilmark::test {
namespace {

using Commands = DocumentTest;

TEST_F(Commands, CreateSequenceAddsAnAnimatedEmptySequenceUnderAFreeName) {
  ClickRow(1);
  // Cancelled or empty: nothing, not even a reset (beta stays current); a
  // taken name: nothing added, but the view is reset.
  // Names are kept to the file's 32 bytes: two that agree in those are one.
  const std::string x32(32, 'x');
  const std::string long1 = x32 + "1", long2 = x32 + "2";
  for (const auto& [text, cancel, count, current] :
       {std::tuple{"", true, 3, "beta"}, {"", false, 3, "beta"}, {"ALPHA", false, 3, "alpha"},
        {"delta", false, 4, "alpha"}, {long1.c_str(), false, 5, "alpha"}, {long2.c_str(), false, 5, "alpha"}}) {
    AnswerInputBox(text, cancel);
    window->mnuImagesCreateSequence_Click();
    EXPECT_EQ(doc->Animations.Count(), count) << text;
    EXPECT_EQ(window->State().CurrentAnimation->Name, current) << text;
  }
  EXPECT_EQ(ListNames(), QStringList({"alpha", "beta", "gamma", "delta", QString::fromStdString(x32)}));
  EXPECT_EQ(Find<QStatusBar>(*window, "Status")->currentMessage(),
            "Not created: there is a sequence \"" + QString::fromStdString(x32) + "\" already");
  EXPECT_TRUE(doc->Animations.Item(4)->Animated && doc->Animations.Item(4)->Frames.Count() == 0);
  // F2 and the toolbar button run it too.
  AnswerInputBox("byKey");
  window->activateWindow();  // for the shortcut
  ASSERT_TRUE(QTest::qWaitForWindowActive(window.get()));
  List()->setFocus();
  QTest::keyClick(List(), Qt::Key_F2);
  AnswerInputBox("byButton");
  window->Toolbar_ButtonClick("create");
  EXPECT_TRUE(doc->Animations.Contains("byKey") && doc->Animations.Contains("byButton"));
}

TEST_F(Commands, RemoveSequenceByMenuAndDeleteKeyAndOnAnEmptyDocument) {
  ClickRow(1);
  window->mnuImageRemoveSequence_Click();
  EXPECT_EQ(ListNames(), QStringList({"alpha", "gamma"}));
  EXPECT_EQ(window->State().CurrentAnimation->Name, "alpha");
  // (Delete in a text box edits its text: Undo.EditingKeysInATextBoxEditItsText.)
  window->activateWindow();
  ASSERT_TRUE(QTest::qWaitForWindowActive(window.get()));
  List()->setFocus();
  QTest::keyClick(List(), Qt::Key_Delete);
  EXPECT_EQ(ListNames(), QStringList({"gamma"}));
  window->Document().Reset(std::make_shared<classGAF>(), "Untitled.gaf");
  window->mnuImageRemoveSequence_Click();
  EXPECT_TRUE(List()->topLevelItemCount() == 0 && !Find<QPushButton>(*window, "CmdFrame")->isEnabled());
}

TEST_F(Commands, RemoveFrameAndSubframeRefreshTheCounts) {
  classGAFAnimation& alpha = *doc->Animations.Item(1);
  window->mnuSubframeRemove_Click();  // no subframe selected: nothing
  EXPECT_EQ(Cell(0, 3), "3");
  Slider("ScrollFrames")->setValue(2);
  Slider("ScrollSubframes")->setValue(2);
  window->mnuSubframeRemove_Click();
  EXPECT_EQ(alpha.Frames.Item(2)->Subframes.Count(), 1);
  EXPECT_EQ(QStringList({Box("TxtWidth")->text(), Cell(0, 3)}), QStringList({"6", "2"}));
  window->mnuFrameRemove_Click();
  EXPECT_TRUE(alpha.Frames.Item(2)->Width() == 2 && Slider("ScrollFrames")->maximum() == 2);  // the third moved up
  EXPECT_EQ(QStringList({Cell(0, 2), Cell(0, 3)}), QStringList({"2", "1"}));
  // The last frame of beta: an empty animation is left, and stays so.
  ClickRow(1);
  window->mnuFrameRemove_Click();
  window->mnuFrameRemove_Click();
  EXPECT_EQ(Cell(1, 2), "0");
  EXPECT_TRUE(Find<QPushButton>(*window, "CmdFrame")->isEnabled() &&
              !Find<QPushButton>(*window, "CmdSubframe")->isEnabled());
}

TEST_F(Commands, ExportsWriteTheSelectedImagesAndReportFailuresOnce) {
  const QString folder = TempFolder("exports");
  auto written = [&] { return QDir(folder).entryList(QDir::Files, QDir::Name); };
  answer = folder + "/sub.bmp";
  window->mnuSubframeExport_Click();  // no subframe selected: nothing
  answer = folder + "/frame.bmp";
  window->mnuFrameExport_Click();
  EXPECT_EQ(written(), QStringList({"frame.bmp"}));
  // Every image into the folder chosen; failures counted once.
  QDir(folder).removeRecursively();
  QDir(folder).mkpath("alpha_02_01.bmp");  // a folder where a file would go
  const QStringList alpha{"alpha_01.bmp", "alpha_02_02.bmp", "alpha_03_01.bmp"};
  for (const auto& [command, files] : {std::pair{&FrmQuilmark::mnuImagesExportSequence_Click, alpha},
                                       {&FrmQuilmark::mnuImagesExportAll_Click, alpha + QStringList{"beta_01.bmp"}}}) {
    WhenModal("FrmDirectory", [folder](QWidget* w) {
      static_cast<FrmDirectory*>(w)->Dir->SetPath(folder);
      QTest::mouseClick(static_cast<FrmDirectory*>(w)->CmdOk, Qt::LeftButton);
    });
    (window.get()->*command)();
    EXPECT_EQ(written(), files);
  }
  ASSERT_EQ(messages.size(), 2);
  for (int i = 0; i < 2; ++i)
    EXPECT_TRUE(messages[i].startsWith(
        QString("1 image could not be written (%1 written):\n%2/alpha_02_01.bmp").arg(3 + i).arg(folder)))
        << messages[i].toStdString();
  ExpectControlsBack();
  // A cancelled chooser exports nothing.
  QDir(folder).removeRecursively();
  WhenModal("FrmDirectory", [](QWidget* w) { static_cast<FrmDirectory*>(w)->CmdCancel->click(); });
  window->mnuImagesExportAll_Click();
  EXPECT_FALSE(QDir(folder).exists());
}

TEST_F(Commands, ImportSubframesAndImportFramesOpenInTheirModes) {
  for (const auto& [command, subframes] :
       {std::pair{&FrmQuilmark::mnuSubframeImport_Click, true}, {&FrmQuilmark::mnuFrameImport_Click, false}}) {
    WhenModal("FrmImportFrame", [subframes](QWidget* w) {
      auto* d = static_cast<FrmImportFrame*>(w);
      EXPECT_EQ(d->SubframeMode(), subframes);
      EXPECT_FALSE(d->chkCenter->isChecked() || d->chkWhite->isChecked() || d->chkCompress->isChecked());
      d->CmdCancel->click();
    });
    (window.get()->*command)();
  }
}

class LinkCatcher : public QObject {
  Q_OBJECT
 public:
  QList<QUrl> urls;
 public slots:
  void Open(const QUrl& url) { urls << url; }
};

// Index 20 fills alpha's first frame, and stands once in alpha's second (in
// a subframe) and third frames and in beta's.
TEST_F(Commands, ReplaceIndexActsOnTheShownFrameTheAnimationOrTheDocument) {
  doc->Animations.Item(1)->Frames.Item(2)->Subframes.Item(1)->Pixels[0] = 20;
  doc->Animations.Item(1)->Frames.Item(3)->Pixels[1] = 20;
  doc->Animations.Item(2)->Frames.Item(1)->Pixels[2] = 20;
  const auto count = [this](int index) {
    QList<int> counts;
    for (const AnimationPtr& animation : doc->Animations)
      for (const FramePtr& frame : animation->Frames) {
        int n = int(std::count(frame->Pixels.begin(), frame->Pixels.end(), uint8_t(index)));
        for (const FramePtr& sub : frame->Subframes)
          n += int(std::count(sub->Pixels.begin(), sub->Pixels.end(), uint8_t(index)));
        counts << n;
      }
    return counts;
  };
  ASSERT_EQ(count(20), QList<int>({99, 1, 1, 1}));
  ReplaceIndex(*window, 20, 21, FrmReplaceIndex::Frame);
  EXPECT_EQ(count(20), QList<int>({0, 1, 1, 1}));
  EXPECT_EQ(count(21), QList<int>({99, 0, 0, 0}));
  ReplaceIndex(*window, 20, 21, FrmReplaceIndex::Animation);
  EXPECT_EQ(count(20), QList<int>({0, 0, 0, 1}));
  ReplaceIndex(*window, 20, 21, FrmReplaceIndex::Document);
  EXPECT_EQ(count(20), QList<int>({0, 0, 0, 0}));
  EXPECT_EQ(window->Document().History().count(), 3);
  // An index no pixel holds is no step, with a note.
  ReplaceIndex(*window, 20, 21, FrmReplaceIndex::Document);
  EXPECT_EQ(window->Document().History().count(), 3);
  EXPECT_EQ(Find<QStatusBar>(*window, "Status")->currentMessage(), "No pixel holds index 20 there");
}

TEST_F(Commands, CtrlDDuplicatesTheShownFrameRightAfterItAndShowsTheCopy) {
  const AnimationPtr alpha = doc->Animations.Item(1);
  Slider("ScrollFrames")->setValue(2);
  const FramePtr second = alpha->Frames.Item(2);
  QTest::keyClick(window.get(), Qt::Key_D, Qt::ControlModifier);
  ASSERT_EQ(alpha->Frames.Count(), 4);
  const FramePtr copy = alpha->Frames.Item(3);
  EXPECT_TRUE(copy != second && alpha->Frames.Item(2) == second && window->State().CurrentFrame == 3);
  EXPECT_EQ(std::vector<uint8_t>(copy->Pixels.begin(), copy->Pixels.end()),
            std::vector<uint8_t>(second->Pixels.begin(), second->Pixels.end()));
  EXPECT_EQ(copy->Subframes.Count(), 2);
  // A change to the copy leaves the original as it was.
  copy->Subframes.Item(1)->Pixels[0] = 99;
  EXPECT_NE(second->Subframes.Item(1)->Pixels[0], 99);
}

TEST_F(Commands, AboutBoxLinksOpenTheBuildsAddresses) {
  LinkCatcher catcher;
  for (const char* scheme : {"file", "https", "mailto"}) QDesktopServices::setUrlHandler(scheme, &catcher, "Open");
  FrmAbout about(window.get());
  QTest::mouseClick(about.LblHomePage, Qt::LeftButton);
  QTest::mouseClick(about.Label4, Qt::LeftButton);
  for (const char* scheme : {"file", "https", "mailto"}) QDesktopServices::unsetUrlHandler(scheme);
  ASSERT_EQ(catcher.urls, QList<QUrl>({FrmAbout::HomePage(), QUrl("mailto:" + FrmAbout::MailAddress())}));
  // The default home page is the README, found also where nothing was installed.
  const QUrl& home = catcher.urls[0];
  EXPECT_TRUE(!home.isLocalFile() || (QFile::exists(home.toLocalFile()) && home.fileName() == "README.md"));
}

// ---------------------------------------------------------------- UFO export

TEST_F(Commands, UfoExportPacksTheSavedDocumentAndLeavesNoTemporaryFile) {
  const QString folder = TempFolder("ufo");
  QDir(folder).mkdir("out");
  window->State().GAFSaveDir = folder.toStdString();
  // The file answered (empty: the save dialog cancelled), whether the folder
  // question is cancelled, and where the document lands (empty: no archive,
  // and no question).
  for (const auto& [file, cancelQuestion, inArchive] :
       {std::tuple{QString(), false, std::string()}, {"/out/tank.ufo", false, "textures\\tank.gaf"},
        {"/tank.abc", true, "tank.gaf"}, {"/missing/tank.ufo", false, ""}}) {
    answer = file.isEmpty() ? QString() : folder + file;
    bool savedBeforeAsking = false, controlsDisabled = false;
    if (!inArchive.empty())
      AnswerInputBox("textures", cancelQuestion, [&] {
        savedBeforeAsking = QFile::exists(answer + ".gaf");
        controlsDisabled = !Find<QToolBar>(*window, "Toolbar")->isEnabled() && !List()->isEnabled();
      });
    window->mnuFileSaveUFO_Click();
    EXPECT_FALSE(QFile::exists(answer + ".gaf")) << file.toStdString();
    ExpectControlsBack();
    if (inArchive.empty()) {
      EXPECT_FALSE(!answer.isEmpty() && QFile::exists(answer));
      continue;
    }
    EXPECT_TRUE(savedBeforeAsking && controlsDisabled);
    const std::string reference = (folder + "/reference.gaf").toStdString();
    ASSERT_TRUE(doc->Save(reference));
    EXPECT_EQ(OnlyFile(ReadFile(answer.toStdString())), std::pair(inArchive, ReadFile(reference)));
    if (file.startsWith("/out")) {
      EXPECT_EQ(window->State().GAFSaveDir, (folder + "/out").toStdString());
    }
  }
  EXPECT_EQ(asked.first().folder, folder);
  EXPECT_TRUE(messages.size() == 1 && messages[0].contains("could not be exported"));
}

TEST_F(Commands, AFailedUfoExportIsToldWithTheNormalPointerNamingTheArchiveOnce) {
  const QString folder = TempFolder("ufo-gone") + "/out";
  QString seen;
  window->MessageHook = [&seen](const QString& text, const QString&, MessageIcon icon) {
    seen = QString("%1 %2|%3").arg(QApplication::overrideCursor() ? "busy" : "normal",
                                   icon == MessageIcon::Information ? "information" : "other", text);
  };
  // The archive's folder goes while the folder question is open: the export
  // is then under way, with the busy pointer.
  for (const QString& archive : {folder + "/tank.ufo", folder}) {
    QDir().mkpath(folder);
    answer = archive;
    if (archive != folder) AnswerInputBox("textures", false, [&] { QDir(folder).removeRecursively(); });
    window->mnuFileSaveUFO_Click();
    const QString text = seen.section('|', 1);
    EXPECT_EQ(seen.section('|', 0, 0), "normal information") << archive.toStdString();
    // (The temporary file beside it, the archive's name plus ".gaf", is another path.)
    EXPECT_EQ(text.count(QRegularExpression(QRegularExpression::escape(archive) + "(?!\\.gaf)")), 1)
        << text.toStdString();
    EXPECT_TRUE(text.startsWith(archive + " could not be exported: ")) << text.toStdString();
    ExpectControlsBack();
  }
}

}  // namespace
}  // namespace quilmark::test

#include "CommandsTest.moc"
