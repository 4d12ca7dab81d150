// The Import Sequence dialog: builds a new animation of the open document
// from BMP (or PNG) files, one classFrameList per frame.
#pragma once

#include <QCheckBox>
#include <QDialog>
#include <QGroupBox>
#include <QLabel>
#include <QListWidget>
#include <QPushButton>
#include <functional>
#include <vector>

#include "dialogs/FileBrowser.h"
#include "dialogs/ImportThumbnail.h"
#include "images/FrameImages.h"
#include "images/classFrameList.h"

namespace quilmark {

class MessageSink;

class FrmImportSequence : public QDialog {
  Q_OBJECT
 public:
  // The lists start at loadDir; messages receives the dialog's messages (a
  // message box when null). Once accepted, FrameLists and Options() are the
  // sequence to import.
  FrmImportSequence(QWidget* owner, const std::string& loadDir, MessageSink* messages = nullptr);
  // The folder the lists were left at, to start from the next time.
  const std::string& LoadDir() const { return loadDir_; }

  void Drives_Change(const QString& root);
  void Dirs_Change(const QString& path);
  void CmdAdd_Click();
  void CmdDelete_Click();
  void LstFrames_Click();
  void CmdAddFrame_Click();
  void CmdRemoveFrame_Click();
  void CmdOK_Click();
  void CmdCancel_Click();
  void CreateList();
  void CreateFrameList();
  // The options as checked.
  ImportOptions Options() const;

  // Index 0 is an empty list that never becomes a frame; deleted frames keep
  // their (emptied) slots.
  std::vector<classFrameList> FrameLists;

  PlacesList* Drives;
  PathField* TxtPath;
  FolderList* Dirs;
  FileList* Files;
  FileTypeList* LstFileType;
  QLabel* Label1;
  QListWidget* LstFrames;
  QPushButton* CmdDelete;
  QPushButton* CmdAdd;
  QLabel* Label2;
  QListWidget* LstSubframes;
  QPushButton* CmdRemoveFrame;
  QPushButton* CmdAddFrame;
  QGroupBox* Frame1;
  QCheckBox* chkCenter;
  QCheckBox* chkWhite;
  QCheckBox* chkCompress;
  QCheckBox* chkDither;
  QPushButton* CmdOK;
  QPushButton* CmdCancel;
  ImportThumbnail* PicThumbnail;

 protected:
  // Form_Unload: every way of closing remembers the folder.
  void done(int result) override;

 private:
  void Message(const QString& text);
  MessageSink* messages_;
  std::string loadDir_;
};

// Form_Load's browsing steps shared by both import dialogs: the places list
// and the folder list move to folder when it names one.
void ShowBmpLoadDir(PlacesList* drives, FolderList* dirs, FileList* files, const std::string& folder);
// Form_Unload's: the folder list's folder, kept in loadDir.
void StoreBmpLoadDir(const FolderList* dirs, std::string& loadDir);

// Both import dialogs' "Dither colours" box, in the options beside compress:
// below it, or further right where the white box's caption reaches that far.
QCheckBox* AddDitherBox(const QCheckBox* compress, const QCheckBox* white);
// Its tool tip.
inline constexpr const char* kDitherTip =
    "Match the colours of grey and truecolour PNG images to the game palette by Floyd-Steinberg dithering, "
    "spreading each pixel's colour error over its neighbours. Images with a colour table of their own (BMP files, "
    "palettised PNG files) are mapped colour by colour, without dithering.";

}  // namespace quilmark
