// The main window: the animation list, the image pane with its frame controls,
// the menus and toolbar, the splitter, and the editor's start-up and shutdown.
#pragma once

#include <QCheckBox>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QMainWindow>
#include <QMenu>
#include <QPushButton>
#include <QSlider>
#include <QStatusBar>
#include <QToolBar>
#include <QTreeWidget>
#include <QUndoStack>
#include <functional>
#include <string>

#include "editorcore/EditorState.h"
#include "display/FrameDisplay.h"
#include "editorcore/Layout.h"
#include "display/classFastWin.h"
#include "display/qt/FrameView.h"
#include "document/Interfaces.h"
#include "editor/UndoCommands.h"
#include "editor/UpDown.h"

namespace quilmark {

struct ExportReport;
class RecoveryKeeper;

// The bar between the list and the view; reports its pointer events.
class SplitterBar : public QWidget {
  Q_OBJECT
 public:
  explicit SplitterBar(QWidget* parent = nullptr);
  void SetColour(QColor colour);
 signals:
  void Pressed(Qt::MouseButton button, double x);
  void Moved(double x);
  void Released(double x);

 protected:
  void mousePressEvent(QMouseEvent* event) override;
  void mouseMoveEvent(QMouseEvent* event) override;
  void mouseReleaseEvent(QMouseEvent* event) override;
};

// What a file command asks of the file dialog.
struct FileDialogRequest {
  bool save = false;
  QString filter;         // "GAF files (*.gaf)|*.gaf"
  QString defaultSuffix;  // "gaf"
  QString folder;         // empty: the dialog's last folder
  QString fileName;       // initial file name
};

// Makes Del, undo and redo typed into any text box of the program edit its
// text rather than run the window's commands.
void KeepEditingKeysInTextBoxes(QObject* owner);

class FrmQuilmark : public QMainWindow,
                    public FrameControls,
                    public MessageSink,
                    public CompressedIndicator,
                    public AnimationDisplay,
                    public EditView {
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

  // The main drawing surface.
  classFastWin Frame;

  EditorState& State() { return Editor(); }
  MainLayout& Geometry() { return layout_; }
  SplitterDrag& Splitter() { return splitter_; }
  QString StatusText(int panel) const;
  double TwipsPerPixel() const;

  // Replace the dialogs and message boxes (tests, scripted use). A file hook
  // returns the chosen path, empty for cancel.
  std::function<QString(const FileDialogRequest&)> FileDialogHook;
  std::function<void(const QString& text, const QString& title, MessageIcon icon)> MessageHook;

  // Procedures of the editor.
  void NewDocument();
  void ResetView();
  void RefreshView();
  void RefreshTitle();
  void RefreshStatus();
  void EnableControls(bool enabled);
  void CreateList();
  void RefreshList();
  // The current animation's row becomes the highlighted one.
  void HighlightCurrentRow();
  void InitializeCommands(const QString& arguments);
  void SettingsLoad();
  void SettingsSave();
  void Form_Resize();

  // Command and event handlers.
  void mnuFileNew_Click();
  void mnuFileOpen_Click();
  // Opens the GAF file name as "&Open GAF" does once a file is chosen.
  void OpenFile(const QString& name);
  // Files dropped on the window: the first GAF file is opened; BMP and PNG
  // files dropped on the picture are added in name order to the current
  // animation as frames, or with subframes as subframes of the shown frame.
  // overPicture tells where they were dropped.
  void DropFiles(const QStringList& paths, bool overPicture, bool subframes);
  void mnuFileSaveGAF_Click();
  // Save GAF: the dialog, then the save; true when the document was saved.
  bool SaveGafAs();

  // What takes the document's place when it has unsaved changes.
  enum class Leaving { Closing, Opening, Starting };
  // Asks whether to save the changes first ("Save changes to ... before
  // closing?"); true when the document may go: it had no changes, it was
  // saved, or the user discarded them. False on Cancel or a failed save.
  bool MayLeaveDocument(Leaving why);
  // Offers the recovery copies of editors that did not close normally.
  void OfferRecovery();
  // The process was told to end (SIGTERM, SIGHUP, SIGINT): the unsaved
  // changes are kept in the recovery copy, nothing is asked, and the program
  // ends with the windows closed. EndingSignal() then names the signal.
  void EndBySignal(int signal);
  int EndingSignal() const { return endingSignal_; }
  void mnuFileSaveUFO_Click();
  void mnuFileExit_Click();
  void mnuViewCenter_Click();
  void mnuImagesCreateSequence_Click();
  void mnuImageRemoveSequence_Click();
  void mnuImagesImportSequence_Click();
  void mnuImagesExportSequence_Click();
  void mnuImagesCompress_Click();
  void mnuImagesExportAll_Click();
  void mnuImagesPreview_Click();
  void mnuFrameImport_Click();
  void mnuFrameExport_Click();
  void mnuFrameRemove_Click();
  void mnuSubframeImport_Click();
  void mnuSubframeExport_Click();
  void mnuSubframeRemove_Click();
  void mnuHelpAbout_Click();
  void Toolbar_ButtonClick(const QString& key);
  void ListGAF_Click();
  void ListGAF_DblClick();
  void ListGAF_AfterLabelEdit(QTreeWidgetItem* item, const QString& newText);
  void ScrollFrames_Change(int value);
  void ScrollSubframes_Change(int value);
  void ScrollXPos_Change(int value);
  void ScrollYPos_Change(int value);
  void ScrollFPS_Change(int value);
  void TxtXPos_LostFocus();
  void TxtYPos_LostFocus();
  void TxtFPS_LostFocus();
  // Applies what the user typed and has not yet committed (a number in the
  // X, Y or Framerate box, a name in the list): before an arrow step, a
  // command, a frame change, an undo or a save, each is a step of its own.
  void ApplyPendingEdits();
  // Ends an open in-place name edit as Enter does.
  void CommitRename();
  // Undo or redo from the Edit menu or its keys, after what was typed.
  void UndoOrRedo(bool undo);
  void chkCompressed_Click();
  void CmdFrame_Click();
  void CmdSubframe_Click();
  void PicSplitter_MouseDown(Qt::MouseButton button, double x);
  void PicSplitter_MouseMove(double x);
  void PicSplitter_MouseUp(double x);

  // FrameControls
  void SetScrollFramesEnabled(bool enabled) override;
  void SetScrollFramesMax(int32_t max) override;
  void SetScrollFramesValue(int32_t value) override;
  void SetScrollSubframesEnabled(bool enabled) override;
  void SetScrollSubframesMax(int32_t max) override;
  void SetScrollSubframesValue(int32_t value) override;
  void SetTxtWidth(const std::string& text) override;
  void SetTxtHeight(const std::string& text) override;
  void SetTxtFPS(const std::string& text) override;
  void SetScrollXPosValue(int32_t value) override;
  void SetScrollYPosValue(int32_t value) override;
  void SetScrollFPSValue(int32_t value) override;
  void SetCompressedValue(bool checked) override;
  void SetCompressedEnabled(bool enabled) override;
  void SetEditorsEnabled(bool enabled) override;
  void SetCmdFrameEnabled(bool enabled) override;
  void SetCmdSubframeEnabled(bool enabled) override;
  int32_t PictureWidth() const override;
  int32_t PictureHeight() const override;
  void ClearPicture() override;
  SurfaceScreen& PictureScreen() override;
  void KeepPicture() override;
  int32_t PictureZoom() const override;
  classFastWin& Surface() override { return Frame; }

  // EditView: after an undo or redo.
  void ShowPlace(const EditPlace& place, bool rowsChanged) override;
  // What the user sees now.
  EditPlace Here() const;

  // MessageSink, CompressedIndicator, AnimationDisplay
  void ShowMessage(const std::string& text, const std::string& title = "Quilmark",
                   MessageIcon icon = MessageIcon::Information) override;
  void SetCompressedChecked() override;
  void DisplayAnimation(classGAFAnimation& animation) override;

 protected:
  bool eventFilter(QObject* watched, QEvent* event) override;
  void closeEvent(QCloseEvent* event) override;
  void dragEnterEvent(QDragEnterEvent* event) override;
  void dragMoveEvent(QDragMoveEvent* event) override;
  void dropEvent(QDropEvent* event) override;
  void changeEvent(QEvent* event) override;

 private:
  void BuildMenus();
  void BuildEditMenu();
  // Zoom in, out and back to actual size for the frame view.
  void BuildViewMenu();
  // The third status panel follows the history's clean point.
  void ShowModified();
  // Pushes a step that has been done onto the history (nothing for null).
  void Record(QUndoCommand* step);
  // Whether image is the shown frame or one of its subframes in the document.
  bool InDocument(const FramePtr& image) const;
  // The change handling of the X, Y and Framerate up-downs: the box shows the
  // value, the shown image takes it (and is redrawn for a position), and the
  // change is a step.
  void ChangeField(FieldStep::Field field, int value);

  void BuildToolbar();
  void BuildPane();
  void BuildList();
  void BuildSplitter();
  void BuildFramePane();
  QAction* AddItem(QMenu* menu, const char* name, const QString& caption, void (FrmQuilmark::*handler)(),
                   const QKeySequence& shortcut = {});
  void AddBreak(QMenu* menu, const char* name);
  bool InitializeGraphics();
  void FreeGraphics();
  void StyleToolbar();
  void Place(QWidget* widget, const TwipsRect& rect);
  void ApplyLayout();
  // A box the user typed into gets its number read and applied.
  void ApplyTyped(QLineEdit* box);
  void SetUpDownShown(UpDown* upDown, QLineEdit* box, int32_t value);
  void DisplaySelectedPicture();
  QString ShowFileDialog(const FileDialogRequest& request);
  void Message(const QString& text, const QString& title = "Quilmark", MessageIcon icon = MessageIcon::Information);
  void LoadInto(const std::shared_ptr<classGAF>& doc, const QString& path);
  void ShowImportFrames(bool subframes);
  // A passing note in the status bar.
  void Note(const QString& text);
  // Whether a drag at pos (window coordinates) of paths would be taken, and
  // whether pos is over the picture.
  bool TakesDrop(const QStringList& paths, QPoint pos) const;
  bool OverPicture(QPoint pos) const;
  // Run steps and record what they changed of the document's animations, or
  // of one collection of frames, as one step.
  void RecordAnimations(const QString& text, const std::function<void()>& steps);
  void RecordFrames(const QString& text, const std::shared_ptr<void>& owner, Collection<classGAFFrame>& frames,
                    const std::function<void()>& steps);
  QString AskBitmapName();
  // The directory chooser, then write into the chosen folder with the pane
  // disabled; nothing when the chooser was cancelled.
  void ExportToChosenFolder(const std::function<ExportReport(const std::string& folder)>& write);
  // One message for the images an export could not write.
  void ReportExport(const ExportReport& report);

  // The X, Y and Framerate boxes, each with its up-down, the shown image's own
  // value and the change handling that writes a new one.
  struct TypedField {
    QLineEdit* box;
    UpDown* upDown;
    FieldStep::Field field;
    void (FrmQuilmark::*change)(int);
  };
  const TypedField* FieldOf(const QObject* control) const;
  std::vector<TypedField> typedFields_;

  Options options_;
  MainLayout layout_;
  SplitterDrag splitter_;
  bool graphicsReady_ = false;
  bool settingsSaved_ = false;
  bool typing_ = false;  // a typed value is being applied (not an arrow step)
  bool replaying_ = false;  // an undo or redo runs
  bool ending_ = false;  // ending without a question: the changes stay in the recovery copy
  int endingSignal_ = 0;
  QString lastDialogFolder_;

 public:
  // Controls, each named as its objectName.
  QWidget* Client;
  QToolBar* Toolbar;
  QStatusBar* Status;
  QLabel* StatusPanel1;
  QLabel* StatusPanel2;
  QLabel* StatusPanel3;  // "Modified" while the document differs from the last open or save
  QLabel* StatusZoom;    // the frame view's zoom, "100%" to "1600%"
  QUndoStack* History;
  RecoveryKeeper* Recovery;
  QTreeWidget* ListGAF;
  SplitterBar* PicSplitter;
  QWidget* PicView;
  QGroupBox* FrameInfo;
  QLabel *Label1, *Label2, *Label3, *Label4, *Label5;
  QLineEdit *TxtWidth, *TxtHeight, *TxtXPos, *TxtYPos, *TxtFPS;
  UpDown *ScrollXPos, *ScrollYPos, *ScrollFPS;
  QCheckBox* chkCompressed;
  QPushButton* CmdFrame;
  QPushButton* CmdSubframe;
  QSlider* ScrollFrames;
  QSlider* ScrollSubframes;
  FrameView* PicFrame;
  QMenu *mnuFile, *mnuEdit, *mnuView, *mnuImages, *mnuFrame, *mnuSubframe, *mnuHelp;
  QAction *mnuEditUndo, *mnuEditRedo;
  QAction* mnuViewCenter;
};

}  // namespace quilmark
