#include <QMessageBox>
#include <QPushButton>

#include "../archive/HpiBuild.h"
#include "EditorTestSupport.h"
#include "archive/HpiReader.h"
#include "dialogs/FrmOpenArchive.h"
#include "editor/RecoveryKeeper.h"
#include "editorcore/Recovery.h"

namespace quilmark::test {
namespace {

constexpr uint32_t kKey = 0x7d;

// tank.ufo, encrypted: the test document as units\tank.gaf in LZ77 chunks, a
// second GAF file in zlib chunks and a file that is no GAF, stored whole.
class ArchiveDocuments : public DocumentTest {
 protected:
  void SetUp() override {
    DocumentTest::SetUp();
    folder = TempFolder("archives");
    archive = folder + "/tank.ufo";
    classGAF other;
    AddAnimation(other, "other", {MakeFrame(5, 5, 0, 0, 44)});
    files = {{"units\\tank.gaf", SaveToBytes(*MakeDocument()), 1},
             {"units\\other.gaf", SaveToBytes(other), 2},
             {"scripts\\tank.cob", Row(300, 7), 0}};
    WriteFile(Bytes(archive), BuildArchive(files, kKey).bytes);
  }
  // Open from Archive, the dialog answered with the entry named (or cancelled).
  void OpenThroughMenu(const QString& entry, QStringList* shown = nullptr) {
    answer = archive;
    WhenModal("FrmOpenArchive", [=](QWidget* w) {
      auto* tree = w->findChild<QTreeWidget*>("ArchiveTree");
      for (QTreeWidgetItem* item : tree->findItems("*", Qt::MatchWildcard | Qt::MatchRecursive)) {
        if (shown && item->childCount() == 0) *shown << item->text(0);
        if (!entry.isEmpty() && item->text(0) == entry) tree->setCurrentItem(item);
      }
      if (entry.isEmpty()) return static_cast<QDialog*>(w)->reject();
      EXPECT_FALSE(static_cast<FrmOpenArchive*>(w)->Thumbnail().isNull());
      w->findChild<QPushButton*>("ArchiveOpen")->click();
    });
    window->findChild<QAction*>("mnuFileOpenArchive")->trigger();
  }
  // Save GAF, answering the question about the archive with the button named.
  bool SaveAnswering(const QString& button) {
    WhenModal("ArchiveSaveQuestion", [=](QWidget* w) {
      auto* box = static_cast<QMessageBox*>(w);
      if (button.isEmpty()) return box->button(QMessageBox::Cancel)->click();
      for (QAbstractButton* b : box->buttons())
        if (b->text() == button) b->click();
    });
    return window->SaveGafAs();
  }
  // What the archive holds now, by path.
  std::map<std::string, Row> Contents(uint32_t* key = nullptr) {
    std::string why;
    auto read = HpiArchive::Open(Bytes(archive), &why);
    EXPECT_TRUE(read) << why;
    std::map<std::string, Row> contents;
    if (!read) return contents;
    if (key) *key = read->HeaderKey();
    for (const HpiEntry& entry : read->Entries())
      if (!entry.folder) {
        EXPECT_TRUE(read->ReadAll(entry, contents[entry.path], &why)) << why;
      }
    return contents;
  }
  QString folder, archive;
  std::vector<ArchiveFile> files;
};

TEST_F(ArchiveDocuments, AGafOpensFromAnEncryptedArchiveAndGoesBackLeavingTheRestAsItWas) {
  QStringList shown;
  OpenThroughMenu("tank.gaf", &shown);
  shown.sort();
  EXPECT_EQ(shown, QStringList({"other.gaf", "tank.gaf"}));
  EXPECT_EQ(window->windowTitle(), "tank.ufo: units\\tank.gaf - Quilmark");
  EXPECT_EQ(SaveToBytes(window->Document().Gaf()), files[0].bytes);
  EXPECT_FALSE(window->Document().IsModified());

  QTest::mouseClick(Arrows("ScrollXPos")->UpButton(), Qt::LeftButton);
  ASSERT_TRUE(window->Document().IsModified());
  ASSERT_TRUE(SaveAnswering("Write into &Archive"));
  EXPECT_FALSE(window->Document().IsModified());
  uint32_t key = 0;
  const std::map<std::string, Row> after = Contents(&key);
  EXPECT_EQ(key, kKey);
  ASSERT_EQ(after.size(), 3u);
  EXPECT_EQ(after.at("units\\tank.gaf"), SaveToBytes(window->Document().Gaf()));
  EXPECT_NE(after.at("units\\tank.gaf"), files[0].bytes);
  EXPECT_EQ(after.at("units\\other.gaf"), files[1].bytes);
  EXPECT_EQ(after.at("scripts\\tank.cob"), files[2].bytes);

  // Or saved as a file of its own, offered under its own name; the archive
  // stays as it is.
  QTest::mouseClick(Arrows("ScrollXPos")->UpButton(), Qt::LeftButton);
  answer = folder + "/copy.gaf";
  ASSERT_TRUE(SaveAnswering("Save as &GAF File..."));
  EXPECT_EQ(asked.back().fileName, "tank.gaf");
  EXPECT_EQ(ReadFile(Bytes(answer)), SaveToBytes(window->Document().Gaf()));
  EXPECT_EQ(Contents(), after);
  // Cancel saves nothing.
  EXPECT_FALSE(SaveAnswering(""));
}

TEST_F(ArchiveDocuments, ARecoveredCopyStillGoesBackIntoItsArchive) {
  const std::string recoveries = window->Recovery().Folder();
  QDir(QString::fromStdString(recoveries)).removeRecursively();
  auto changed = MakeDocument();
  changed->Animations.Remove(2);
  const std::string name = Bytes(archive) + ":units\\tank.gaf";
  ASSERT_TRUE(RecoveryCopy::Create(recoveries)->Write(*changed, {name, 100, 1}));
  WhenModal("RecoveryQuestion", [](QWidget* w) {
    for (QAbstractButton* b : static_cast<QMessageBox*>(w)->buttons())
      if (b->text() == "&Recover") b->click();
  });
  window->OfferRecovery();
  EXPECT_EQ(window->windowTitle(), "tank.ufo: units\\tank.gaf - Quilmark");
  ASSERT_TRUE(window->Document().IsModified());
  ASSERT_TRUE(SaveAnswering("Write into &Archive"));
  EXPECT_EQ(Contents().at("units\\tank.gaf"), SaveToBytes(*changed));
}

TEST_F(ArchiveDocuments, ADroppedArchiveOpensTheDialogWhichMayBeCancelled) {
  WhenModal("FrmOpenArchive", [](QWidget* w) { static_cast<QDialog*>(w)->reject(); });
  EXPECT_TRUE(Drop({archive}, List()->mapTo(window.get(), List()->rect().center())));
  QTest::qWait(50);
  EXPECT_EQ(window->Document().SharedGaf(), doc);
  OpenThroughMenu("other.gaf");
  EXPECT_EQ(window->windowTitle(), "tank.ufo: units\\other.gaf - Quilmark");
  EXPECT_EQ(window->Document().Gaf().Animations.Item(1)->Name, "other");
}

TEST_F(ArchiveDocuments, AFileThatIsNoArchiveIsToldAndLeavesTheDocument) {
  answer = folder + "/not.ufo";
  WriteFile(Bytes(answer), Row(64, 'x'));
  window->findChild<QAction*>("mnuFileOpenArchive")->trigger();
  EXPECT_EQ(window->Document().SharedGaf(), doc);
  ASSERT_FALSE(messages.isEmpty());
  EXPECT_TRUE(messages.back().startsWith(answer + " cannot be opened as an archive: ")) << messages.back().toStdString();
}

}  // namespace
}  // namespace quilmark::test
