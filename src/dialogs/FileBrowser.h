// The browsing controls the dialogs share: a places list (the file system
// root, the home folder and mounted volumes), a path field that goes to a
// folder typed or pasted there, a folder list that opens a folder on
// double-click or Enter, a file list of one folder's files matching a pattern
// and the choice of that pattern. Both lists leave out hidden entries (names
// starting with "."), as the desktop's own file dialogs do.
#pragma once

#include <QComboBox>
#include <QLineEdit>
#include <QListWidget>
#include <QString>

namespace quilmark {

// The places list. Choosing a place emits PlaceChosen with its root folder.
class PlacesList : public QComboBox {
  Q_OBJECT
 public:
  explicit PlacesList(QWidget* parent = nullptr);
  // Shows the place that holds path (the longest root that starts it);
  // false when none does (the list is unchanged).
  bool SetPlaceOf(const QString& path);
  QString Place() const;
 signals:
  void PlaceChosen(const QString& root);
};

// The folder list: the current folder's path, one line a folder, and the
// folders inside it.
class FolderList : public QListWidget {
  Q_OBJECT
 public:
  explicit FolderList(QWidget* parent = nullptr);
  // The current folder, absolute, without a trailing "/" (except the root).
  QString Path() const { return path_; }
  // Moves to folder; false (and no change) when it is not a readable folder.
  bool SetPath(const QString& folder);
  // Reads the current folder's contents again.
  void Refresh();
  // Opens the folder of the given line.
  bool OpenLine(int row);
 signals:
  void Changed(const QString& path);

 protected:
  void keyPressEvent(QKeyEvent* event) override;

 private:
  QString path_;
};

// The file list: the files of one folder matching the pattern, with extended
// selection.
class FileList : public QListWidget {
  Q_OBJECT
 public:
  explicit FileList(QWidget* parent = nullptr);
  // One or more name patterns parted by spaces ("*.bmp *.png"); letter case
  // does not count.
  void SetPattern(const QString& pattern);
  void SetPath(const QString& folder);
  QString Path() const { return path_; }
  // The selected file names, in list order.
  QStringList SelectedNames() const;
  // The full path of a file name of the current folder.
  QString FullPath(const QString& name) const;
 signals:
  // The highlighted (current) line changed: the full path of its file, ""
  // when no line is highlighted any more (as when the list is filled again).
  void Highlighted(const QString& path);

 private:
  void Fill();
  QString path_;
  QString pattern_ = "*.*";
};

// The path field: always shows the folder of the folder list it follows.
// Enter goes to the folder typed there (relative to the folder shown, "~" for
// home) in the folder list and the places list, as opening it in the list
// would; anything that is not a readable folder is refused: the field is
// marked and keeps the text, nothing else changes. The mark goes with the
// next edit or move. Enter stays in the field: it never presses the dialog's
// default button. A path typed in the folder list or the places ("/" or "~"
// first) goes on in the field, as in the desktop's file dialogs.
class PathField : public QLineEdit {
  Q_OBJECT
 public:
  explicit PathField(QWidget* parent);
  // The lists it follows and moves; places may be null.
  void Follow(FolderList* folders, PlacesList* places);
  // Goes to the folder the text names; false when it is refused.
  bool Go();
  bool Refused() const { return refused_; }

 protected:
  void keyPressEvent(QKeyEvent* event) override;
  bool eventFilter(QObject* watched, QEvent* event) override;

 private:
  void SetRefused(bool refused);
  FolderList* folders_ = nullptr;
  PlacesList* places_ = nullptr;
  bool refused_ = false;
};

// The choice of the file list's pattern: "Bitmaps (*.bmp)" first and chosen,
// then PNG images and both kinds.
class FileTypeList : public QComboBox {
  Q_OBJECT
 public:
  FileTypeList(FileList* files, QWidget* parent);
  // The design rectangle, widened where the longest entry needs more room:
  // the design's width cuts "All images (*.bmp *.png)" in common fonts.
  QRect Fitted(QRect design) const;
};

// Folder and file name joined with one "/".
QString JoinPath(const QString& folder, const QString& name);
// The text after the last "/", the whole text when there is none.
QString FileNameOf(const QString& path);
// File names in the order a file manager shows them: letter case aside, and
// runs of digits by their value ("b2" before "b10"). The folder and file lists
// and files dropped on the main window follow it.
bool NameBefore(const QString& a, const QString& b);

}  // namespace quilmark
