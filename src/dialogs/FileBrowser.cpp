#include "dialogs/FileBrowser.h"

#include <QDir>
#include <QFileInfo>
#include <QKeyEvent>
#include <QStorageInfo>

namespace quilmark {

QString JoinPath(const QString& folder, const QString& name) {
  if (folder.endsWith('/')) return folder + name;
  return folder + "/" + name;
}

QString FileNameOf(const QString& path) {
  const qsizetype slash = path.lastIndexOf('/');
  return slash < 0 ? path : path.mid(slash + 1);
}

// ---------------------------------------------------------------- places

PlacesList::PlacesList(QWidget* parent) : QComboBox(parent) {
  QStringList roots{"/", QDir::homePath()};
  for (const QStorageInfo& volume : QStorageInfo::mountedVolumes()) {
    if (!volume.isValid() || !volume.isReady()) continue;
    const QString root = volume.rootPath();
    if (root.startsWith("/proc") || root.startsWith("/sys") || root.startsWith("/dev") || root.startsWith("/run"))
      continue;
    if (!roots.contains(root)) roots << root;
  }
  for (const QString& root : roots) addItem(root, root);
  connect(this, &QComboBox::activated, this, [this](int index) { emit PlaceChosen(itemData(index).toString()); });
}

bool PlacesList::SetPlaceOf(const QString& path) {
  if (path.isEmpty()) return false;
  int best = -1;
  qsizetype bestLength = -1;
  for (int i = 0; i < count(); ++i) {
    const QString root = itemData(i).toString();
    const bool holds = root == "/" || path == root || path.startsWith(root.endsWith('/') ? root : root + "/");
    if (holds && root.size() > bestLength) {
      best = i;
      bestLength = root.size();
    }
  }
  if (best < 0) return false;
  setCurrentIndex(best);
  return true;
}

QString PlacesList::Place() const { return currentData().toString(); }

// ---------------------------------------------------------------- folders

FolderList::FolderList(QWidget* parent) : QListWidget(parent) {
  setSelectionMode(QAbstractItemView::SingleSelection);
  connect(this, &QListWidget::itemDoubleClicked, this, [this](QListWidgetItem* item) { OpenLine(row(item)); });
}

bool FolderList::SetPath(const QString& folder) {
  if (folder.isEmpty()) return false;
  const QFileInfo info(folder);
  if (!info.isDir() || !info.isReadable()) return false;
  path_ = QDir::cleanPath(info.absoluteFilePath());
  Refresh();
  emit Changed(path_);
  return true;
}

void FolderList::Refresh() {
  clear();
  if (path_.isEmpty()) return;
  if (path_ != "/") addItem("..");
  const QStringList names =
      QDir(path_).entryList(QDir::Dirs | QDir::NoDotAndDotDot, QDir::Name | QDir::IgnoreCase);
  for (const QString& name : names) addItem(name);
}

bool FolderList::OpenLine(int row) {
  QListWidgetItem* line = item(row);
  if (!line) return false;
  if (line->text() == "..") return SetPath(QFileInfo(path_).absolutePath());
  return SetPath(JoinPath(path_, line->text()));
}

void FolderList::keyPressEvent(QKeyEvent* event) {
  if ((event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter) && currentRow() >= 0) {
    OpenLine(currentRow());
    return;
  }
  QListWidget::keyPressEvent(event);
}

// ---------------------------------------------------------------- files

FileList::FileList(QWidget* parent) : QListWidget(parent) {
  setSelectionMode(QAbstractItemView::ExtendedSelection);
}

void FileList::SetPattern(const QString& pattern) {
  pattern_ = pattern;
  Fill();
}

void FileList::SetPath(const QString& folder) {
  path_ = folder;
  Fill();
}

void FileList::Fill() {
  clear();
  if (path_.isEmpty()) return;
  QDir dir(path_);
  dir.setNameFilters({pattern_});
  dir.setFilter(QDir::Files | QDir::Hidden);
  dir.setSorting(QDir::Name | QDir::IgnoreCase);
  for (const QString& name : dir.entryList()) addItem(name);
}

QStringList FileList::SelectedNames() const {
  QStringList names;
  for (int i = 0; i < count(); ++i)
    if (item(i)->isSelected()) names << item(i)->text();
  return names;
}

QString FileList::FullPath(const QString& name) const { return JoinPath(path_, name); }

}  // namespace quilmark
