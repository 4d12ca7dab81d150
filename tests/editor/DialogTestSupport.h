// Helpers of the dialogs' GUI tests: the main window over the test document
// and a folder of small bitmaps, and the lines of the dialogs' lists.
#pragma once

#include "EditorTestSupport.h"
#include "dialogs/FrmDirectory.h"
#include "dialogs/FrmImportFrame.h"
#include "dialogs/FrmImportSequence.h"
#include "dialogs/FrmReplaceIndex.h"
#include "images/modBmp.h"

namespace quilmark::test {

// The lines of a list, or their item data.
inline QStringList Lines(const QListWidget* list, int role = Qt::DisplayRole) {
  QStringList lines;
  for (int i = 0; i < list->count(); ++i) lines << list->item(i)->data(role).toString();
  return lines;
}
inline void SelectOnly(QListWidget* list, const QStringList& texts) {
  list->clearSelection();
  for (int i = 0; i < list->count(); ++i) list->item(i)->setSelected(texts.contains(list->item(i)->text()));
}

// The main window over the test document, and a folder holding the bitmaps
// a.bmp to d.bmp, a text file and the folder "existing".
class Dialogs : public DocumentTest {
 protected:
  void SetUp() override {
    DocumentTest::SetUp();
    folder = TempFolder("dialogs");
    QDir(folder).mkdir("existing");
    const int sizes[][2] = {{4, 2}, {6, 3}, {8, 4}, {2, 2}};
    for (int i = 0; i < 4; ++i) {
      std::vector<uint8_t> pixels(static_cast<size_t>(sizes[i][0] * sizes[i][1]), uint8_t(100 + i));
      ASSERT_TRUE(WriteBMP(Bytes(folder + "/" + QChar('a' + i) + ".bmp"), pixels, GamePalette, sizes[i][0],
                           sizes[i][1], true));
    }
    ASSERT_TRUE(QFile(folder + "/notes.txt").open(QIODevice::WriteOnly));
    window->State().BMPLoadDir = Bytes(folder);
  }
  // The label shows the folder list's folder, and the list highlights its line.
  static void ExpectShows(const FrmDirectory& chooser, const QString& path) {
    EXPECT_EQ(QStringList({chooser.LblPath->text(), chooser.Dir->Path()}), QStringList({path, path}));
    ASSERT_TRUE(chooser.Dir->currentItem() && chooser.Dir->currentItem()->isSelected());
    EXPECT_EQ(chooser.Dir->currentItem()->text().trimmed(), path == "/" ? "/" : FileNameOf(path));
  }
  // The window's import command (0 Import Sequence, 1 Import Frames), its
  // dialog answered by steps.
  void RunImport(int kind, const std::function<void(QDialog&)>& steps) {
    WhenModal(kind == 0 ? "FrmImportSequence" : "FrmImportFrame",
              [steps](QWidget* w) { steps(*static_cast<QDialog*>(w)); });
    kind == 0 ? window->mnuImagesImportSequence_Click() : window->mnuFrameImport_Click();
  }
  QString folder;
};

// Shows the dialog as the active window, gives target the focus and presses
// key there, as a user's keyboard does: a key the target leaves goes on to
// the dialog.
inline void PressOn(QDialog& dialog, QWidget* target, Qt::Key key) {
  dialog.show();
  dialog.activateWindow();
  ASSERT_TRUE(QTest::qWaitFor([&] { return QApplication::activeWindow() == &dialog; }));
  target->setFocus(Qt::TabFocusReason);
  ASSERT_EQ(QApplication::focusWidget(), target) << target->objectName().toStdString();
  QTest::keyClick(target, key);
}
// Replace Index, its dialog answered.
inline void ReplaceIndex(FrmQuilmark& window, int from, int to, FrmReplaceIndex::Scope scope) {
  WhenModal("FrmReplaceIndex", [=](QWidget* w) {
    w->findChild<QSpinBox*>("ReplaceFrom")->setValue(from);
    w->findChild<QSpinBox*>("ReplaceTo")->setValue(to);
    w->findChild<QComboBox*>("ReplaceScope")->setCurrentIndex(scope);
    static_cast<QDialog*>(w)->accept();
  });
  window.mnuImagesReplaceIndex_Click();
}
inline bool Rejected(const QDialog& d) { return !d.isVisible() && d.result() == QDialog::Rejected; }
inline bool Accepted(const QDialog& d) { return !d.isVisible() && d.result() == QDialog::Accepted; }

}  // namespace quilmark::test
