#include <QMenuBar>
#include <QMessageBox>
#include <QPushButton>

#include "DialogTestSupport.h"

namespace quilmark::test {
namespace {

class Undo : public DocumentTest {
 protected:
  void SetUp() override {
    DocumentTest::SetUp();
    folder = TempFolder("undo");
    for (int i = 0; i < 3; ++i) {
      std::vector<uint8_t> pixels(static_cast<size_t>(6 * (i + 2)), uint8_t(110 + i));
      ASSERT_TRUE(WriteBMP(Bytes(folder + "/" + QChar('a' + i) + ".bmp"), pixels, GamePalette, 6, i + 2, true));
    }
    window->State().BMPLoadDir = Bytes(folder);
  }
  // The document as the next save writes it.
  std::string Saved() {
    EXPECT_TRUE(window->State().CurrentGAF->Save(Bytes(folder + "/saved.gaf")));
    return FileBytes(folder + "/saved.gaf").toStdString();
  }
  void Trigger(QAction* action) {
    ASSERT_TRUE(action->isEnabled()) << action->text().toStdString();
    action->trigger();
  }
  void Trigger(const char* action) { Trigger(window->findChild<QAction*>(action)); }
  // What the user sees: the highlighted row, the frame and subframe shown,
  // and the list's rows with their counts.
  QString View() {
    QStringList rows;
    for (int i = 0; i < List()->topLevelItemCount(); ++i)
      rows << Cell(i, 0) + ":" + Cell(i, 1) + "/" + Cell(i, 2) + "/" + Cell(i, 3);
    const EditorState& st = window->State();
    QTreeWidgetItem* current = List()->currentItem();
    return QString("%1 %2.%3 [%4]")
        .arg(current ? current->text(0) : "-")
        .arg(st.CurrentFrame)
        .arg(st.CurrentSubframe)
        .arg(rows.join(" "));
  }
  // Runs an import command whose dialog is answered with the files named.
  void ImportThrough(const char* command, const QString& dialog, const QStringList& files) {
    WhenModal(dialog, [files](QWidget* w) {
      SelectOnly(w->findChild<QListWidget*>("Files"), files);
      w->findChild<QPushButton*>("CmdAdd")->click();
      w->findChild<QPushButton*>("CmdOK")->click();
    });
    Trigger(command);
  }
  QString folder;
};

TEST_F(Undo, EveryKindOfStepGoesBackAndForthByteForByteAndShowsWhereItActed) {
  FrmQuilmark& w = *window;
  struct Step {
    QString name;
    std::function<void()> make;
    std::function<void()> prepare = [] {};  // what is shown before it
  };
  const auto menu = [this](const char* action) { return [this, action] { Trigger(action); }; };
  const std::vector<Step> steps = {
      {"X Position", [&] { QTest::mouseClick(Arrows("ScrollXPos")->UpButton(), Qt::LeftButton); }},
      {"Y Position", [&] { Type(Box("TxtYPos"), "-40"); }},
      {"Framerate", [&] { QTest::mouseClick(Arrows("ScrollFPS")->DownButton(), Qt::LeftButton); }},
      {"Compress", [&] { QTest::mouseClick(Find<QCheckBox>(w, "chkCompressed"), Qt::LeftButton); }},
      {"Animate",
       [&] {
         QTest::mouseDClick(List()->viewport(), Qt::LeftButton, {},
                            List()->visualItemRect(List()->topLevelItem(1)).center());
       },
       [&] { ClickRow(1); }},
      {"Rename", [&] { RenameRow(0, "zeta"); }},
      {"Create Sequence", [&] { AnswerInputBox("delta"); Trigger("mnuImagesCreateSequence"); }},
      {"Remove Sequence", menu("mnuImageRemoveSequence")},
      {"Reverse Frames", menu("mnuImagesReverseFrames")},
      {"Remove Frame", menu("mnuFrameRemove")},
      {"Duplicate Frame", menu("mnuFrameDuplicate")},
      {"Remove Subframe", menu("mnuSubframeRemove")},
      {"Import Sequence", [&] { ImportThrough("mnuImagesImportSequence", "FrmImportSequence", {"a.bmp", "b.bmp"}); }},
      {"Import Frames", [&] { ImportThrough("mnuFrameImport", "FrmImportFrame", {"b.bmp", "c.bmp"}); }},
      {"Import Subframes", [&] { ImportThrough("mnuSubframeImport", "FrmImportFrame", {"c.bmp"}); },
       [&] { Slider("ScrollFrames")->setValue(1); }},
      {"Compress All Images", menu("mnuImagesCompress")},
      {"Replace Index", [&] { ReplaceIndex(w, 20, 21, FrmReplaceIndex::Document); }},
      // The frame strip's steps, on frames selected there.
      {"Move Frames", [&] { DragFrame(1, 3); }},
      {"Remove Frames", [&] { StripKey(Qt::Key_Delete); }, [&] { ClickFrame(0, Qt::ControlModifier); }},
      {"Set Framerate",
       [&] {
         WhenModal("FrmFramerate", [](QWidget* d) {
           d->findChild<QSpinBox*>("FramerateValue")->setValue(77);
           static_cast<QDialog*>(d)->accept();
         });
         Trigger("StripFramerate");
       },
       [&] { StripKey(Qt::Key_A, Qt::ControlModifier); }},
      {"Compress Frames", menu("StripCompress"), [&] { StripKey(Qt::Key_A, Qt::ControlModifier); }},
      {"Shift Frames",
       [&] {
         WhenModal("FrmShift", [](QWidget* d) {
           d->findChild<QSpinBox*>("ShiftAcross")->setValue(3);
           d->findChild<QSpinBox*>("ShiftDown")->setValue(-2);
           static_cast<QDialog*>(d)->accept();
         });
         Trigger("StripShift");
       },
       [&] { ClickFrame(2, Qt::ShiftModifier); }},
      {"Paste Frames", [&] { StripKey(Qt::Key_V, Qt::ControlModifier); },
       [&] {
         ClickFrame(2);
         StripKey(Qt::Key_C, Qt::ControlModifier);
       }},
  };
  for (const Step& step : steps) {
    // Every step starts on a fresh document from alpha's second frame, second
    // subframe shown.
    w.State().CurrentGAF = doc = MakeDocument();
    w.ResetView();
    w.Document().History().clear();
    Slider("ScrollFrames")->setValue(2);
    Slider("ScrollSubframes")->setValue(2);
    step.prepare();
    const std::string before = Saved();
    const QString shownBefore = View();
    step.make();
    const std::string after = Saved();
    const QString shownAfter = View();
    ASSERT_NE(before, after) << step.name.toStdString();
    EXPECT_EQ(Find<QAction>(w, "mnuEditUndo")->text(), "&Undo " + step.name);
    EXPECT_EQ(w.StatusText(3), "Modified");
    Trigger(Find<QAction>(w, "mnuEditUndo"));
    EXPECT_EQ(Saved(), before) << step.name.toStdString();
    EXPECT_EQ(Find<QAction>(w, "mnuEditRedo")->text(), "&Redo " + step.name);
    // Where the step acted, as it was (a step that opened a dialog or a box
    // shows where it began).
    EXPECT_EQ(View(), shownBefore) << step.name.toStdString();
    EXPECT_EQ(w.StatusText(3), "");
    Trigger(Find<QAction>(w, "mnuEditRedo"));
    EXPECT_EQ(Saved(), after) << step.name.toStdString();
    EXPECT_EQ(View(), shownAfter) << step.name.toStdString();
    EXPECT_FALSE(Find<QAction>(w, "mnuEditRedo")->isEnabled());
  }
}

TEST_F(Undo, ArrowRunsMergeTypedValuesDoNotAndTheHistoryFollowsOpenNewAndSave) {
  FrmQuilmark& w = *window;
  const int before = w.Document().History().count();
  for (int i = 0; i < 3; ++i) QTest::mouseClick(Arrows("ScrollXPos")->UpButton(), Qt::LeftButton);
  EXPECT_EQ(w.Document().History().count(), before + 1);
  Type(Box("TxtXPos"), "30");
  QTest::mouseClick(Arrows("ScrollXPos")->UpButton(), Qt::LeftButton);
  EXPECT_EQ(w.Document().History().count(), before + 3);
  EXPECT_EQ(doc->Animations.Item(1)->Frames.Item(1)->PositionX(), 31);
  Trigger(Find<QAction>(w, "mnuEditUndo"));
  Trigger(Find<QAction>(w, "mnuEditUndo"));
  EXPECT_EQ(Box("TxtXPos")->text(), "8");
  // Saving marks the clean point; undoing past it and back moves "Modified".
  answer = folder + "/kept.gaf";
  Trigger("mnuFileSaveGAF");
  EXPECT_EQ(w.StatusText(3), "");
  Trigger(Find<QAction>(w, "mnuEditUndo"));
  EXPECT_EQ(w.StatusText(3), "Modified");
  Trigger(Find<QAction>(w, "mnuEditRedo"));
  EXPECT_EQ(w.StatusText(3), "");
  EXPECT_TRUE(Find<QAction>(w, "mnuEditRedo")->isEnabled());  // the save kept the history
  // Open and New start afresh.
  Trigger("mnuFileOpen");
  EXPECT_FALSE(Find<QAction>(w, "mnuEditUndo")->isEnabled() || Find<QAction>(w, "mnuEditRedo")->isEnabled());
  Trigger("mnuImageRemoveSequence");
  WhenModal("UnsavedQuestion",
            [](QWidget* box) { static_cast<QMessageBox*>(box)->button(QMessageBox::Discard)->click(); });
  Trigger("mnuFileNew");
  EXPECT_EQ(w.Document().History().count(), 0);
  EXPECT_EQ(Find<QAction>(w, "mnuEditUndo")->text(), "&Undo");
  EXPECT_EQ(w.StatusText(3), "");
}

TEST_F(Undo, EditingKeysInATextBoxEditItsText) {
  FrmQuilmark& w = *window;
  ASSERT_TRUE(QTest::qWaitForWindowActive(&w));
  Trigger("mnuImageRemoveSequence");
  ASSERT_EQ(doc->Animations.Count(), 2);
  // Del, Ctrl+Z and Ctrl+Y in the X box: the text changes, the document not.
  Type(Box("TxtXPos"), "123", false);
  QTest::keyClick(Box("TxtXPos"), Qt::Key_Home);
  QTest::keyClick(Box("TxtXPos"), Qt::Key_Delete);
  EXPECT_EQ(Box("TxtXPos")->text(), "23");
  QTest::keyClick(Box("TxtXPos"), Qt::Key_Z, Qt::ControlModifier);
  EXPECT_EQ(Box("TxtXPos")->text(), "123");
  QTest::keyClick(Box("TxtXPos"), Qt::Key_Y, Qt::ControlModifier);
  EXPECT_EQ(doc->Animations.Count(), 2);
  // Elsewhere, the keys act on the document.
  List()->setFocus();
  QTest::keyClick(List(), Qt::Key_Z, Qt::ControlModifier);  // the typed 123, then the removal
  QTest::keyClick(List(), Qt::Key_Z, Qt::ControlModifier);
  EXPECT_EQ(doc->Animations.Count(), 3);
  EXPECT_EQ(w.StatusText(2), "alpha");
  QTest::keyClick(List(), Qt::Key_Y, Qt::ControlModifier);
  EXPECT_EQ(doc->Animations.Count(), 2);
  QTest::keyClick(List(), Qt::Key_Z, Qt::ControlModifier | Qt::ShiftModifier);
  EXPECT_EQ(doc->Animations.Count(), 2);  // nothing left to redo
  // The Edit menu sits between File and Images, with View.
  QStringList menus;
  for (QAction* menu : w.menuBar()->actions()) menus << menu->text();
  EXPECT_EQ(menus, QStringList({"&File", "&Edit", "&View", "&Images", "&Help"}));
}

TEST_F(Undo, WhatWasTypedIsAStepBeforeUndoAndTheKeysActOnTheDocumentWhenTheBoxHasNothingToUndo) {
  FrmQuilmark& w = *window;
  ASSERT_TRUE(QTest::qWaitForWindowActive(&w));
  const FramePtr first = doc->Animations.Item(1)->Frames.Item(1);
  // Enter applies the typed value and keeps the focus in the box.
  Type(Box("TxtXPos"), "40", false);
  QTest::keyClick(Box("TxtXPos"), Qt::Key_Return);
  EXPECT_EQ(first->PositionX(), 40);
  EXPECT_TRUE(Box("TxtXPos")->hasFocus());
  // Tab commits the next value and moves on to a box with no edit of its
  // own: Ctrl+Z and Ctrl+Y there undo and redo the document's step.
  QTest::keyClicks(Box("TxtXPos"), "41");
  QTest::keyClick(Box("TxtXPos"), Qt::Key_Tab);
  auto* next = qobject_cast<QLineEdit*>(QApplication::focusWidget());
  ASSERT_TRUE(next && next != Box("TxtXPos"));
  QTest::keyClick(next, Qt::Key_Z, Qt::ControlModifier);
  EXPECT_EQ(first->PositionX(), 40);
  QTest::keyClick(next, Qt::Key_Y, Qt::ControlModifier);
  EXPECT_EQ(first->PositionX(), 41);
  // An open rename is committed before Undo runs, as a step of its own,
  // which the undo then undoes; the history is never changed by the undo.
  for (const bool keys : {false, true}) {
    SCOPED_TRACE(keys ? "Ctrl+Z in the name editor" : "Edit menu");
    ClickRow(0);
    QLineEdit* editor = EditCell(0);
    ASSERT_TRUE(editor);
    editor->setText("zzTop");  // as a paste: no typing of its own to undo
    keys ? QTest::keyClick(editor, Qt::Key_Z, Qt::ControlModifier) : Trigger(Find<QAction>(w, "mnuEditUndo"));
    QCoreApplication::processEvents();
    EXPECT_EQ(DocumentOrder(), QStringList({"alpha", "beta", "gamma"}));
    EXPECT_EQ(Cell(0, 0), "alpha");
    EXPECT_EQ(Find<QAction>(w, "mnuEditRedo")->text(), "&Redo Rename");
    EXPECT_EQ(first->PositionX(), 41);
    EXPECT_EQ(w.StatusText(3), "Modified");
    Trigger(Find<QAction>(w, "mnuEditRedo"));
    EXPECT_EQ(DocumentOrder(), QStringList({"beta", "gamma", "zzTop"}));
    Trigger(Find<QAction>(w, "mnuEditUndo"));
  }
  // With the name left as it was, Ctrl+Z in the editor undoes the last
  // document step and records none.
  const int steps = w.Document().History().index();
  QTest::keyClick(EditCell(0), Qt::Key_Z, Qt::ControlModifier);
  EXPECT_EQ(w.Document().History().index(), steps - 1);
  EXPECT_EQ(first->PositionX(), 40);
}

TEST_F(Undo, ARandomRunOfStepsUndoneToTheStartGivesTheOpenedFileBack) {
  FrmQuilmark& w = *window;
  answer = QString(QUILMARK_SAMPLES) + "/demo.gaf";
  Trigger("mnuFileOpen");
  const std::string start = Saved();
  std::mt19937 random(12345);
  auto pick = [&](int n) { return static_cast<int>(random() % static_cast<unsigned>(std::max(n, 1))); };
  for (int i = 0; i < 200; ++i) {
    const int rows = List()->topLevelItemCount();
    if (rows > 0) ClickRow(pick(rows));
    if (Slider("ScrollFrames")->isEnabled())
      Slider("ScrollFrames")->setValue(1 + pick(Slider("ScrollFrames")->maximum()));
    if (Slider("ScrollSubframes")->isEnabled())
      Slider("ScrollSubframes")->setValue(1 + pick(Slider("ScrollSubframes")->maximum()));
    switch (pick(9)) {
      case 0: QTest::mouseClick(Arrows("ScrollXPos")->UpButton(), Qt::LeftButton); break;
      case 1: QTest::mouseClick(Arrows("ScrollYPos")->DownButton(), Qt::LeftButton); break;
      case 2: QTest::mouseClick(Arrows("ScrollFPS")->UpButton(), Qt::LeftButton); break;
      case 3:
        if (Find<QCheckBox>(w, "chkCompressed")->isEnabled())
          QTest::mouseClick(Find<QCheckBox>(w, "chkCompressed"), Qt::LeftButton);
        break;
      case 4: w.ListGAF_DblClick(); break;
      case 5: if (rows > 0) RenameRow(pick(rows), QString("n%1").arg(i)); break;
      case 6: Trigger("mnuFrameRemove"); break;
      case 7: window->findChild<QAction*>("mnuSubframeRemove")->trigger(); break;
      case 8: Trigger(pick(4) == 0 ? "mnuImageRemoveSequence" : "mnuImagesCompress"); break;
    }
  }
  ASSERT_GT(w.Document().History().count(), 50);
  while (Find<QAction>(w, "mnuEditUndo")->isEnabled()) Find<QAction>(w, "mnuEditUndo")->trigger();
  EXPECT_EQ(Saved(), start);
  EXPECT_EQ(w.StatusText(3), "");
}

}  // namespace
}  // namespace quilmark::test
