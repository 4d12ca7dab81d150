// The directory chooser: asks for a folder (creating one on the way if the
// user wishes) and hands the answer back as Chosen(): "" when cancelled,
// else the folder's path ending in "/".
#pragma once

#include <QDialog>
#include <QLabel>
#include <QPushButton>

#include "dialogs/FileBrowser.h"

namespace quilmark {

class MessageSink;

class FrmDirectory : public QDialog {
  Q_OBJECT
 public:
  // messages: where "Directory already exists." goes; a message box when null.
  explicit FrmDirectory(QWidget* owner, MessageSink* messages = nullptr);

  // The folder chosen with OK, ending in '/'; empty until then and after a
  // cancel.
  const std::string& Chosen() const { return chosen_; }

  void Drive_Change(const QString& root);
  void Dir_Change(const QString& path);
  void CmdOK_Click();
  void CmdCancel_Click();
  void CmdMakeDir_Click();

  QLabel* LblPath;
  PathField* TxtPath;
  FolderList* Dir;
  PlacesList* Drive;
  QPushButton* CmdOk;
  QPushButton* CmdCancel;
  QPushButton* CmdMakeDir;

 protected:
  void reject() override;

 private:
  MessageSink* messages_;
  std::string chosen_;
};

}  // namespace quilmark
