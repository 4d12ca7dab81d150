// The main window: the menus and toolbar, the status bar, the layout of the
// animation list and the image pane, and the editor's start-up and shutdown.
// The document, its views and the commands over it live in their own classes;
// the handlers named here are the entries the menus and controls call.
#pragma once

#include <QMainWindow>
#include <QMenu>
#include <QToolBar>
#include <functional>

#include "display/classFastWin.h"
#include "editor/FileActions.h"
#include "editorcore/Layout.h"

class QDockWidget;
class QTreeWidgetItem;

namespace quilmark {

class AnimationListView;
class FramePane;
class ImageActions;
class RecoveryKeeper;
class SplitterBar;
class ViewMenu;
class WindowStatus;

class FrmQuilmark : public QMainWindow, public WindowServices {
  Q_OBJECT
 public:
  struct Options {
    QString palettePath;  // empty: palette.dat beside the program
    QString commandLine;  // the arguments joined by single spaces
  };
  explicit FrmQuilmark(Options options, QWidget* parent = nullptr);
  ~FrmQuilmark() override;

  // The start-up sequence; false when the drawing surface could not be made
  // (the window is then closed).
  bool InitializeWindow();

  GafDocument& Document() { return *document_; }
  EditorState& State() { return document_->State(); }
  MainLayout& Geometry() { return layout_; }
  QString StatusText(int panel) const;
  RecoveryKeeper& Recovery() { return *recovery_; }

  // Replace the dialogs and message boxes (tests, scripted use). A file hook
  // returns the chosen path, empty for cancel.
  std::function<QString(const FileDialogRequest&)> FileDialogHook;
  std::function<void(const QString& text, const QString& title, MessageIcon icon)> MessageHook;

  // Procedures of the editor.
  void ResetView();
  void Form_Resize();
  void OpenFile(const QString& name);
  // Files dropped on the window: the first GAF file is opened; BMP and PNG
  // files dropped on the picture (overPicture) are added in name order to the
  // selected animation as frames, or with subframes as subframes of the shown
  // frame.
  void DropFiles(const QStringList& paths, bool overPicture, bool subframes);
  bool SaveGafAs();
  bool MayLeaveDocument(FileActions::Leaving why);
  void OfferRecovery();
  // The process was told to end (SIGTERM, SIGHUP, SIGINT): the unsaved
  // changes are kept in the recovery copy, nothing is asked, and the program
  // ends with the windows closed. EndingSignal() then names the signal.
  void EndBySignal(int signal);
  int EndingSignal() const { return endingSignal_; }
  // Applies what the user typed and has not yet committed (a number in the X,
  // Y or Framerate box, a name in the list): before an arrow step, a command,
  // a frame change, an undo or a save, each is a step of its own.
  void ApplyPendingEdits() override;

  // The menus' and controls' entries.
  void mnuFileNew_Click(), mnuFileOpen_Click(), mnuFileOpenArchive_Click(), mnuFileSaveGAF_Click(),
      mnuFileSaveUFO_Click(), mnuFileExit_Click();
  void mnuEditUndo_Click(), mnuEditRedo_Click();
  void mnuViewCenter_Click();
  void mnuImagesCreateSequence_Click(), mnuImageRemoveSequence_Click(), mnuImagesReverseFrames_Click();
  void mnuImagesShiftAll_Click(), mnuImagesReplaceIndex_Click();
  void mnuImagesImportSequence_Click(), mnuImagesExportSequence_Click(), mnuImagesExportGif_Click();
  void mnuImagesCompress_Click(), mnuImagesExportAll_Click(), mnuImagesPreview_Click();
  void mnuFrameImport_Click(), mnuFrameExport_Click(), mnuFrameRemove_Click(), mnuFrameDuplicate_Click();
  void mnuSubframeImport_Click(), mnuSubframeExport_Click(), mnuSubframeRemove_Click();
  void mnuHelpAbout_Click();
  void Toolbar_ButtonClick(const QString& key);
  void ListGAF_Click(), ListGAF_DblClick();
  void ListGAF_AfterLabelEdit(QTreeWidgetItem* item, const QString& newText);
  void ScrollFrames_Change(int value), ScrollSubframes_Change(int value);
  void ScrollXPos_Change(int value), ScrollYPos_Change(int value), ScrollFPS_Change(int value);
  void TxtXPos_LostFocus(), TxtYPos_LostFocus(), TxtFPS_LostFocus();
  void chkCompressed_Click(), CmdFrame_Click(), CmdSubframe_Click();
  void PicSplitter_MouseDown(Qt::MouseButton button, double x), PicSplitter_MouseMove(double x);
  void PicSplitter_MouseUp(double x);

  // WindowServices
  QWidget* Owner() override { return this; }
  QString ShowFileDialog(const FileDialogRequest& request) override;
  void EnableControls(bool enabled) override;
  void Note(const QString& text) override;
  void ShowMessage(const std::string& text, const std::string& title = "Quilmark",
                   MessageIcon icon = MessageIcon::Information) override;

 protected:
  bool eventFilter(QObject* watched, QEvent* event) override;
  void closeEvent(QCloseEvent* event) override;
  void dragEnterEvent(QDragEnterEvent* event) override;
  void dragMoveEvent(QDragMoveEvent* event) override;
  void dropEvent(QDropEvent* event) override;
  void changeEvent(QEvent* event) override;

 private:
  void BuildMenus(), BuildEditMenu(), BuildViewMenu(), BuildToolbar(), BuildPanes();
  // A dock shown and hidden by the View menu's item (returned); the room it
  // takes beside or under the panes.
  QAction* AddDock(QDockWidget* dock, Qt::DockWidgetArea area, const QString& caption, const char* name);
  int DockRoom(QDockWidget* dock) const;
  QAction* AddItem(QMenu* menu, const char* name, const QString& caption, void (FrmQuilmark::*handler)(),
                   const QKeySequence& shortcut = {});
  bool InitializeGraphics();
  void InitializeCommands(const QString& arguments);
  void SettingsLoad(), SettingsSave(), ApplyLayout(), RefreshTitle();
  double TwipsPerPixel() const;
  // Whether a drag of paths at pos (window coordinates) is taken; whether pos
  // is over the picture.
  bool TakesDrop(const QStringList& paths, QPoint pos) const;
  bool OverPicture(QPoint pos) const;

  Options options_;
  GafDocument* document_;
  RecoveryKeeper* recovery_;
  FileActions* files_;
  ImageActions* images_;
  ViewMenu* viewMenu_;
  QDockWidget* stripDock_;
  class RecentFiles* recent_;
  classFastWin surface_;  // the main drawing surface
  AnimationListView* list_;
  FramePane* pane_;
  SplitterBar* splitter_;
  QWidget* client_;
  QToolBar* toolbar_;
  WindowStatus* status_;
  QMenu *mnuFrame_, *mnuSubframe_, *mnuImages_;
  QAction* mnuViewCenter_;
  MainLayout layout_;
  SplitterDrag drag_;
  QString lastDialogFolder_;
  bool graphicsReady_ = false;
  bool settingsSaved_ = false;
  bool ending_ = false;  // ending without a question: the changes stay in the recovery copy
  int endingSignal_ = 0;
};

}  // namespace quilmark
