// Unsaved changes: the question before they go, the recovery copy while they
// last, and the copies of editors that did not close normally; the last test
// kills the real program and starts it again.
#include <QMessageBox>
#include <QProcess>
#include <QPushButton>
#include <csignal>

#include "EditorTestSupport.h"
#include "editor/EditorSupport.h"
#include "editor/RecoveryKeeper.h"
#include "editorcore/Recovery.h"

namespace quilmark::test {
namespace {

class Unsaved : public DocumentTest {
 protected:
  void SetUp() override {
    DocumentTest::SetUp();
    folder = TempFolder("unsaved");
    opened = folder + "/opened.gaf";
    ASSERT_TRUE(MakeDocument()->Save(opened.toStdString()));
  }
  // A window over the test document, named file, with one change.
  void StartChanged() {
    Start().State().CurrentGAF = doc = MakeDocument();
    window->State().CurrentFileName = (folder + "/walk.gaf").toStdString();
    window->ResetView();
    QTest::mouseClick(Arrows("ScrollXPos")->UpButton(), Qt::LeftButton);
    ASSERT_EQ(window->StatusText(3), "Modified");
    // The save dialog is answered with saveAs, the open dialog with opened.
    window->FileDialogHook = [this](const FileDialogRequest& r) { return r.save ? saveAs : opened; };
  }
  // Answers the question with button, once it has the text expected.
  void Answer(QMessageBox::StandardButton button, const QString& expected) {
    WhenModal("UnsavedQuestion", [=](QWidget* w) {
      auto* box = static_cast<QMessageBox*>(w);
      EXPECT_EQ(box->text(), expected);
      EXPECT_EQ(box->defaultButton(), box->button(QMessageBox::Save));
      if (button == QMessageBox::Cancel) return QTest::keyClick(box, Qt::Key_Escape);
      box->button(button)->click();
    });
  }
  QString Recoveries() const { return window->Recovery().Folder().c_str(); }
  QString folder, opened, saveAs;
};

TEST_F(Unsaved, CloseNewOpenAndDropAskAndOnlySaveOrDiscardLetTheDocumentGo) {
  const struct {
    const char* name;
    QString question;
    std::function<void(FrmQuilmark&)> act;
  } ways[] = {
      {"close", "closing", [](FrmQuilmark& w) { w.close(); }},
      {"new", "starting a new one", [](FrmQuilmark& w) { w.findChild<QAction*>("mnuFileNew")->trigger(); }},
      {"open", "opening another file", [](FrmQuilmark& w) { w.findChild<QAction*>("mnuFileOpen")->trigger(); }},
      {"drop", "opening another file", [this](FrmQuilmark& w) { w.DropFiles({opened}, false, false); }},
  };
  const struct {
    QMessageBox::StandardButton button;
    const char* saveTo;  // the save dialog's answer: "" cancels it
    bool goes;
  } answers[] = {{QMessageBox::Cancel, "", false},
                 {QMessageBox::Save, "", false},
                 {QMessageBox::Save, "/no/such/folder/x.gaf", false},
                 {QMessageBox::Save, "saved.gaf", true},
                 {QMessageBox::Discard, "", true}};
  for (const auto& way : ways)
    for (const auto& a : answers) {
      SCOPED_TRACE(std::string(way.name) + " " + std::to_string(a.button) + " " + a.saveTo);
      StartChanged();
      messages.clear();
      saveAs = QString(a.saveTo).startsWith('/') || !*a.saveTo ? a.saveTo : folder + "/" + a.saveTo;
      if (!saveAs.isEmpty()) QFile::remove(saveAs);
      Answer(a.button, QString("Save changes to \"walk.gaf\" before %1?").arg(way.question));
      way.act(*window);
      QCoreApplication::processEvents();
      const bool gone = std::string(way.name) == "close" ? !window->isVisible() : window->State().CurrentGAF != doc;
      const bool close = std::string(way.name) == "close", saved = a.goes && a.button == QMessageBox::Save;
      EXPECT_EQ(gone, a.goes);
      EXPECT_EQ(window->StatusText(3), saved || (gone && !close) ? "" : "Modified");
      // A save that fails is told; one that succeeds wrote the document.
      EXPECT_EQ(messages.size(), QString(a.saveTo).startsWith("/no/") ? 1 : 0);
      if (saved) {
        EXPECT_FALSE(FileBytes(saveAs).isEmpty());
      }
      if (gone && !close) {
        EXPECT_EQ(window->State().CurrentFileName,
                  std::string(way.name) == "new" ? "Untitled.gaf" : opened.toStdString());
      }
    }
  // Without changes nothing asks.
  StartChanged();
  window->Document().History().setClean();
  auto* guard = new QTimer(window.get());
  QObject::connect(guard, &QTimer::timeout, [] {
    if (auto* asked = qobject_cast<QDialog*>(QApplication::activeModalWidget())) {
      ADD_FAILURE() << "asked: " << asked->objectName().toStdString();
      asked->reject();
    }
  });
  guard->start(10);
  window->mnuFileNew_Click();
  EXPECT_EQ(window->State().CurrentFileName, "Untitled.gaf");
  window->DropFiles({opened}, false, false);
  EXPECT_EQ(window->State().CurrentFileName, opened.toStdString());
  window->close();
  EXPECT_FALSE(window->isVisible());
}

TEST_F(Unsaved, ATypedNumberNotYetAppliedCountsAsAChange) {
  Type(Box("TxtYPos"), "77", false);
  Answer(QMessageBox::Cancel, "Save changes to \"Untitled.gaf\" before starting a new one?");
  window->mnuFileNew_Click();
  EXPECT_EQ(doc->Animations.Item(1)->Frames.Item(1)->PositionY(), 77);
  EXPECT_EQ(window->State().CurrentGAF, doc);
}

TEST_F(Unsaved, TheRecoveryCopyFollowsTheChangesAndGoesWithThem) {
  RecoveryKeeper& keeper = window->Recovery();
  QDir(Recoveries()).removeRecursively();
  const QString copy = PathText(keeper.Copy().DocumentPath());
  window->State().CurrentFileName = "/w/walk.gaf";
  QTest::mouseClick(Arrows("ScrollXPos")->UpButton(), Qt::LeftButton);
  // Written a few seconds after the last change, not at once.
  EXPECT_FALSE(QFile::exists(copy));
  QTRY_VERIFY_WITH_TIMEOUT(QFile::exists(copy), RecoveryKeeper::kDelayMs + 3000);
  keeper.Wait();
  const std::string saved = (folder + "/now.gaf").toStdString();
  ASSERT_TRUE(doc->Save(saved));
  EXPECT_EQ(FileBytes(copy), FileBytes(PathText(saved)));
  EXPECT_EQ(keeper.Copy().Info().file, "/w/walk.gaf");
  EXPECT_EQ(keeper.Copy().Info().pid, QCoreApplication::applicationPid());
  // A change while a copy is written is written after it.
  QTest::mouseClick(Arrows("ScrollYPos")->UpButton(), Qt::LeftButton);
  keeper.Snapshot();
  QTest::mouseClick(Arrows("ScrollXPos")->UpButton(), Qt::LeftButton);
  keeper.Snapshot();
  QTRY_VERIFY(doc->Save(saved) && FileBytes(copy) == FileBytes(PathText(saved)));
  // Back at the clean point (undo, or a save) the copy goes.
  for (int i = 0; i < 3; ++i) Find<QAction>(*window, "mnuEditUndo")->trigger();
  keeper.Wait();
  EXPECT_FALSE(QFile::exists(copy));
  QTest::mouseClick(Arrows("ScrollXPos")->UpButton(), Qt::LeftButton);
  keeper.Snapshot();
  answer = PathText(saved);
  window->mnuFileSaveGAF_Click();
  keeper.Wait();
  EXPECT_TRUE(QDir(Recoveries()).isEmpty());
}

TEST_F(Unsaved, CopiesOfEditorsThatEndedAreRecoveredDiscardedOrKept) {
  const std::string folder = window->Recovery().Folder();
  QDir(PathText(folder)).removeRecursively();
  // Two editors that ended abnormally: one with a named file, one untitled.
  auto left = MakeDocument();
  left->Animations.Remove(3);
  for (const auto& [file, when] : {std::pair{"/w/walk.gaf", 100}, {"Untitled.gaf", 50}})
    ASSERT_TRUE(RecoveryCopy::Create(folder)->Write(*left, {file, when, 1}));
  auto ask = [](const char* button, const char* file) {
    WhenModal("RecoveryQuestion", [=](QWidget* w) {
      auto* box = static_cast<QMessageBox*>(w);
      EXPECT_EQ(box->text(), QString("Quilmark did not close normally. Recover the unsaved changes to %1?").arg(file));
      EXPECT_EQ(box->defaultButton()->text(), "&Recover");
      for (QAbstractButton* b : box->buttons())
        if (b->text() == button) b->click();
    });
  };
  // Kept for later (Escape, or its button): offered again.
  WhenModal("RecoveryQuestion", [&](QWidget* box) {
    QTest::keyClick(box, Qt::Key_Escape);
    ask("&Keep for Later", "Untitled.gaf");
  });
  window->OfferRecovery();
  EXPECT_EQ(RecoveryCopy::Left(folder).size(), 2u);
  // Recovered: the document as it was, shown as changed, saved to its file;
  // kept in this editor's own copy; the other copy stays for later.
  ask("&Recover", "/w/walk.gaf");
  window->OfferRecovery();
  EXPECT_EQ(DocumentOrder(), QStringList({"alpha", "beta"}));
  EXPECT_EQ(window->windowTitle(), "walk.gaf - Quilmark");
  EXPECT_EQ(window->StatusText(3), "Modified");
  EXPECT_EQ(window->State().CurrentFileName, "/w/walk.gaf");
  EXPECT_TRUE(QFile::exists(PathText(window->Recovery().Copy().DocumentPath())));
  auto after = RecoveryCopy::Left(folder);
  ASSERT_EQ(after.size(), 1u);
  EXPECT_EQ(after[0]->Info().file, "Untitled.gaf");
  after.clear();
  // Discarded: gone.
  ask("&Discard", "Untitled.gaf");
  window->OfferRecovery();
  EXPECT_TRUE(RecoveryCopy::Left(folder).empty());
}

// The real program in a process of its own, driven by a script of user actions.
class Program : public ::testing::Test {
 protected:
  void SetUp() override {
    home = TempFolder("program");
    ASSERT_TRUE(MakeDocument()->Save((home + "/doc.gaf").toStdString()));
  }
  void Run(const QString& script, QProcess& process, const QString& file = {}) {
    QFile f(home + "/script");
    ASSERT_TRUE(f.open(QIODevice::WriteOnly | QIODevice::Truncate));
    f.write(script.toUtf8());
    f.close();
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    for (const char* name : {"XDG_STATE_HOME", "XDG_CONFIG_HOME", "XDG_DATA_HOME", "HOME"}) env.insert(name, home);
    env.insert("QT_QPA_PLATFORM", "offscreen");
    env.insert("QUILMARK_TEST_SCRIPT", home + "/script");
    process.setProcessEnvironment(env);
    process.start(QUILMARK_EDITOR, file.isEmpty() ? QStringList() : QStringList{file});
    ASSERT_TRUE(process.waitForStarted());
  }
  // Standard output up to the script's end.
  QString Output(QProcess& process) {
    QString out;
    for (QDeadlineTimer end(30000); !out.contains("done\n") && !out.contains("failed") && !end.hasExpired();) {
      process.waitForReadyRead(100);
      out += QString::fromLocal8Bit(process.readAllStandardOutput());
    }
    return out;
  }
  QStringList Copies() { return QDir(home + "/quilmark/recovery").entryList({"*.info"}); }
  QString home;
};

TEST_F(Program, AfterAKillTheNextStartRecoversWhatASaveWouldHaveWritten) {
  QProcess editor;
  Run("type TxtXPos 17\ntrigger mnuImageRemoveSequence\ntype TxtFPS 250\nwrite " + home + "/expected.gaf\nprint\n",
      editor, home + "/doc.gaf");
  EXPECT_EQ(Output(editor), "doc.gaf - Quilmark|Modified\ndone\n");
  QTRY_VERIFY_WITH_TIMEOUT(Copies().size() == 1, 20000);
  ::kill(static_cast<pid_t>(editor.processId()), SIGKILL);
  ASSERT_TRUE(editor.waitForFinished());
  QProcess again;
  Run("press Recover\nprint\nsaveas " + home + "/recovered.gaf\nprint\nquit\n", again);
  EXPECT_EQ(Output(again), "doc.gaf - Quilmark|Modified\ndoc.gaf - Quilmark|\ndone\n");
  ASSERT_TRUE(again.waitForFinished());
  EXPECT_EQ(again.exitStatus(), QProcess::NormalExit);
  EXPECT_FALSE(FileBytes(home + "/expected.gaf").isEmpty());
  EXPECT_EQ(FileBytes(home + "/recovered.gaf"), FileBytes(home + "/expected.gaf"));
  EXPECT_TRUE(Copies().isEmpty());
}

TEST_F(Program, TerminatedWithChangesItKeepsThemAtOnceAndEndsAsTheSignalSays) {
  QProcess editor;
  Run("type TxtXPos 17\n", editor, home + "/doc.gaf");
  EXPECT_EQ(Output(editor), "done\n");
  ::kill(static_cast<pid_t>(editor.processId()), SIGTERM);
  ASSERT_TRUE(editor.waitForFinished());
  EXPECT_EQ(editor.exitStatus(), QProcess::CrashExit);
  ASSERT_EQ(Copies().size(), 1);
  classGAF kept;
  ASSERT_TRUE(kept.Load((home + "/quilmark/recovery/" + Copies()[0].replace(".info", ".gaf")).toStdString()).complete);
  EXPECT_EQ(kept.Animations.Item(1)->Frames.Item(1)->PositionX(), 17);
}

}  // namespace
}  // namespace quilmark::test
