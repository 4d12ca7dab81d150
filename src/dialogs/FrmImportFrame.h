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
#include <vector>

#include "dialogs/FileBrowser.h"
#include "dialogs/ImportThumbnail.h"
#include "document/Collection.h"
#include "images/FrameImages.h"

namespace quilmark {

class FrmImportFrame : public QDialog {
  Q_OBJECT
 public:
  static constexpr const char* FramesCaption = "Import Frames";
  static constexpr const char* SubframesCaption = "Import Subframes";

  // The lists start at loadDir. Once accepted, ChosenPaths() and Options()
  // are what to import.
  FrmImportFrame(QWidget* owner, const std::string& loadDir);

  // The chosen files' full paths, in the order added.
  std::vector<std::string> ChosenPaths() const;
  // The folder the lists were left at, to start from the next time.
  const std::string& LoadDir() const { return loadDir_; }

  // The options as checked.
  ImportOptions Options() const;
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
  QCheckBox* chkDither;
  QPushButton* CmdOK;
  QPushButton* CmdCancel;
  ImportThumbnail* PicThumbnail;

 protected:
  void done(int result) override;

 private:
  std::string loadDir_;
};

}  // namespace quilmark
