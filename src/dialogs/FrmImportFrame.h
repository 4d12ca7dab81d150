// The Import Frames dialog: adds BMP (or PNG) files to the current animation
// as frames, or as subframes of the current frame when its caption is
// "Import Subframes".
#pragma once

#include <QCheckBox>
#include <QDialog>
#include <QGroupBox>
#include <QLabel>
#include <QListWidget>
#include <QPushButton>
#include <string>

#include "dialogs/FileBrowser.h"
#include "dialogs/ImportThumbnail.h"
#include "document/Collection.h"

namespace quilmark {

class MessageSink;
class AnimationDisplay;

class FrmImportFrame : public QDialog {
  Q_OBJECT
 public:
  static constexpr const char* FramesCaption = "Import Frames";
  static constexpr const char* SubframesCaption = "Import Subframes";

  // display redraws the animation after the import; messages receives the
  // import's messages.
  FrmImportFrame(QWidget* owner, AnimationDisplay* display = nullptr, MessageSink* messages = nullptr);

  // Subframes when the caption is exactly "Import Subframes".
  bool SubframeMode() const { return windowTitle() == SubframesCaption; }

  void Drives_Change(const QString& root);
  void Dirs_Change(const QString& path);
  void CmdAdd_Click();
  void CmdDelete_Click();
  void CmdOK_Click();
  void CmdCancel_Click();
  void FillFrameList();

  // Full paths keyed by file name (letter case ignored), in the order added.
  KeyedCollection<std::string> ChosenFiles;

  PlacesList* Drives;
  PathField* TxtPath;
  FolderList* Dirs;
  FileList* Files;
  FileTypeList* LstFileType;
  QPushButton* CmdAdd;
  QPushButton* CmdDelete;
  QLabel* Label1;
  QListWidget* LstFrames;
  QGroupBox* Frame1;
  QCheckBox* chkCenter;
  QCheckBox* chkWhite;
  QCheckBox* chkCompress;
  QPushButton* CmdOK;
  QPushButton* CmdCancel;
  ImportThumbnail* PicThumbnail;

 protected:
  void done(int result) override;

 private:
  AnimationDisplay* display_;
  MessageSink* messages_;
};

}  // namespace quilmark
