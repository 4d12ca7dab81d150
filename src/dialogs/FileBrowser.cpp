#include "dialogs/FileBrowser.h"

#include <QDir>
#include <QEvent>
#include <QFileInfo>
#include <QKeyEvent>
#include <QStorageInfo>
#include <QStyle>
#include <algorithm>

namespace quilmark {

QString JoinPath(const QString& folder, const QString& name) {
  if (folder.endsWith('/')) return folder + name;
  return folder + "/" + name;
}

QString FileNameOf(const QString& path) {
  const qsizetype slash = path.lastIndexOf('/');
  return slash < 0 ? path : path.mid(slash + 1);
}

// Compares the folded names token by token, a run of digits being one token
// compared by its value: by length once leading zeros are gone, then digit by
// digit, so that no run is too long to compare. Only ASCII digits make runs:
// other scripts' digits are letters here, since runs of theirs would sort
// between letters and the order would go round in circles ("a\u0663" < "a10"
// < "aZ" < "a\u0663"), which a sort must never be given. Names that tie ("a01",
// "A1") fall back to their plain order, so that the order is total.
bool NameBefore(const QString& a, const QString& b) {
  const QString x = a.toCaseFolded(), y = b.toCaseFolded();
  const auto digit = [](QChar c) { return c >= u'0' && c <= u'9'; };
  qsizetype i = 0, j = 0;
  while (i < x.size() && j < y.size()) {
    if (!digit(x[i]) || !digit(y[j])) {
      if (x[i] != y[j]) return x[i] < y[j];
      ++i, ++j;
      continue;
    }
    qsizetype endI = i, endJ = j;
    while (endI < x.size() && digit(x[endI])) ++endI;
    while (endJ < y.size() && digit(y[endJ])) ++endJ;
    while (i < endI - 1 && x[i] == u'0') ++i;
    while (j < endJ - 1 && y[j] == u'0') ++j;
    if (endI - i != endJ - j) return endI - i < endJ - j;
    if (const int c = QStringView(x).sliced(i, endI - i).compare(QStringView(y).sliced(j, endJ - j)); c != 0)
      return c < 0;
    i = endI, j = endJ;
  }
  if (x.size() - i != y.size() - j) return x.size() - i < y.size() - j;
  return a < b;
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

namespace {
const int FolderRole = Qt::UserRole;
}

// The lines: the folders from the root down to the current one, each indented
// one step further, then the current folder's own folders one step deeper.
// The current folder's line is the highlighted one.
void FolderList::Refresh() {
  clear();
  if (path_.isEmpty()) return;
  QStringList chain{"/"};
  for (const QString& part : path_.split('/', Qt::SkipEmptyParts)) chain << JoinPath(chain.last(), part);
  const QIcon open = style()->standardIcon(QStyle::SP_DirOpenIcon);
  const QIcon closed = style()->standardIcon(QStyle::SP_DirClosedIcon);
  auto add = [this](const QString& folder, qsizetype depth, const QIcon& icon) {
    const QString name = folder == "/" ? folder : FileNameOf(folder);
    auto* line = new QListWidgetItem(icon, QString(depth * 2, ' ') + name, this);
    line->setData(FolderRole, folder);
  };
  for (qsizetype i = 0; i < chain.size(); ++i) add(chain[i], i, open);
  // Hidden folders are left out, as hidden files are in the file list; the
  // path's own folders are shown whatever their names.
  QStringList names = QDir(path_).entryList(QDir::Dirs | QDir::NoDotAndDotDot, QDir::Unsorted);
  std::sort(names.begin(), names.end(), NameBefore);
  for (const QString& name : names) add(JoinPath(path_, name), chain.size(), closed);
  setCurrentRow(static_cast<int>(chain.size() - 1));
  scrollToItem(currentItem());
}

bool FolderList::OpenLine(int row) {
  QListWidgetItem* line = item(row);
  if (!line) return false;
  return SetPath(line->data(FolderRole).toString());
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
  connect(this, &QListWidget::currentItemChanged, this,
          [this](QListWidgetItem* line) { emit Highlighted(line ? FullPath(line->text()) : QString()); });
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
  dir.setNameFilters(pattern_.split(' ', Qt::SkipEmptyParts));
  // Hidden entries (names starting with ".") stay out of sight, as in the
  // folder list.
  dir.setFilter(QDir::Files);
  // In name order, so that a sequence of numbered files is added in order.
  dir.setSorting(QDir::Unsorted);
  QStringList names = dir.entryList();
  std::sort(names.begin(), names.end(), NameBefore);
  addItems(names);
}

QStringList FileList::SelectedNames() const {
  QStringList names;
  for (int i = 0; i < count(); ++i)
    if (item(i)->isSelected()) names << item(i)->text();
  return names;
}

QString FileList::FullPath(const QString& name) const { return JoinPath(path_, name); }

// ---------------------------------------------------------------- path field

PathField::PathField(QWidget* parent) : QLineEdit(parent) {
  connect(this, &QLineEdit::textEdited, this, [this] { SetRefused(false); });
}

void PathField::Follow(FolderList* folders, PlacesList* places) {
  folders_ = folders;
  places_ = places;
  setText(folders->Path());
  folders->installEventFilter(this);
  if (places) places->installEventFilter(this);
  connect(folders, &FolderList::Changed, this, [this](const QString& path) {
    setText(path);
    SetRefused(false);
  });
}

bool PathField::Go() {
  QString typed = text().trimmed();
  if (typed == "~" || typed.startsWith("~/")) typed = QDir::homePath() + typed.mid(1);
  // An empty text names no folder (and not the folder shown).
  const bool moved =
      folders_ && !typed.isEmpty() && folders_->SetPath(QDir(folders_->Path()).absoluteFilePath(typed));
  if (moved && places_) places_->SetPlaceOf(folders_->Path());
  SetRefused(!moved);
  return moved;
}

void PathField::keyPressEvent(QKeyEvent* event) {
  if (event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter) {
    (void)Go();
    event->accept();
    return;
  }
  QLineEdit::keyPressEvent(event);
}

// The lists' own search by typing would take "/tmp" for the line "/", and
// Enter would open it in the folder list and press OK in the places.
bool PathField::eventFilter(QObject* watched, QEvent* event) {
  if ((watched != folders_ && watched != places_) || event->type() != QEvent::KeyPress)
    return QLineEdit::eventFilter(watched, event);
  const QString typed = static_cast<QKeyEvent*>(event)->text();
  if (typed != "/" && typed != "~") return false;
  setFocus(Qt::ShortcutFocusReason);
  setText(typed);
  SetRefused(false);
  return true;
}

void PathField::SetRefused(bool refused) {
  if (refused == refused_) return;
  refused_ = refused;
  if (!refused) return setPalette(QPalette());
  QPalette marked = palette();
  marked.setColor(QPalette::Base, QColor(255, 205, 205));
  marked.setColor(QPalette::Text, Qt::black);
  setPalette(marked);
}

// ---------------------------------------------------------------- file types

FileTypeList::FileTypeList(FileList* files, QWidget* parent) : QComboBox(parent) {
  addItem("Bitmaps (*.bmp)", "*.bmp");
  addItem("PNG images (*.png)", "*.png");
  addItem("All images (*.bmp *.png)", "*.bmp *.png");
  connect(this, &QComboBox::currentIndexChanged, files,
          [this, files](int index) { files->SetPattern(itemData(index).toString()); });
}

QRect FileTypeList::Fitted(QRect design) const {
  // The size hint measures every entry in the combo box's own font and style.
  design.setWidth(std::max(design.width(), sizeHint().width()));
  return design;
}

}  // namespace quilmark
