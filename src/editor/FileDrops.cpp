// Files dropped on the main window: GAF files open, BMP and PNG images become
// frames or subframes of the animation shown.
#include <QApplication>
#include <QDir>
#include <QDragEnterEvent>
#include <QDropEvent>
#include <QFileInfo>
#include <QMimeData>
#include <algorithm>

#include "archive/HpiReader.h"
#include "dialogs/FileBrowser.h"
#include "editor/EditorSupport.h"
#include "editor/FramePane.h"
#include "editor/FrmQuilmark.h"
#include "editor/ImageActions.h"

namespace quilmark {
namespace {

QStringList LocalFiles(const QMimeData* data) {
  QStringList paths;
  if (!data || !data->hasUrls()) return paths;
  for (const QUrl& url : data->urls())
    if (url.isLocalFile()) paths.push_back(url.toLocalFile());
  return paths;
}

bool HasSuffix(const QString& path, std::initializer_list<const char*> suffixes) {
  const QString suffix = QFileInfo(path).suffix();
  return std::any_of(suffixes.begin(), suffixes.end(),
                     [&](const char* s) { return suffix.compare(QLatin1String(s), Qt::CaseInsensitive) == 0; });
}

// A folder is never taken for a file, whatever its name ends in.
bool IsFolder(const QString& path) { return QFileInfo(path).isDir(); }
bool IsGaf(const QString& path) { return HasSuffix(path, {"gaf"}) && !IsFolder(path); }
bool IsImage(const QString& path) { return HasSuffix(path, {"bmp", "png"}) && !IsFolder(path); }
// An archive by its ending, while a drag moves (no file is read then); once
// dropped, any file that starts as an archive does.
bool LooksLikeArchive(const QString& path) { return HasSuffix(path, {"ufo", "hpi", "ccx", "gp3"}) && !IsFolder(path); }
bool IsArchive(const QString& path) { return !IsFolder(path) && IsHpiArchive(PathBytes(path)); }

QString ShownName(const QString& path) {
  const QString clean = QDir::cleanPath(path);  // a folder's path may end in "/"
  const QString name = FileNameOf(clean);
  return name.isEmpty() ? clean : name;
}

// "a.bmp, sprites (folder), notes.txt and 2 more": the status bar has room
// for three names.
QString Names(const QStringList& paths) {
  QStringList names;
  for (qsizetype i = 0; i < std::min<qsizetype>(paths.size(), 3); ++i)
    names << ShownName(paths[i]) + (IsFolder(paths[i]) ? " (folder)" : "");
  const QString more = paths.size() > 3 ? QString(" and %1 more").arg(paths.size() - 3) : QString();
  return names.join(", ") + more;
}

// "2 files ignored: <why>", "1 folder ignored: drop the files inside it",
// "1 file and 1 folder ignored: <why>".
QString Ignored(const QStringList& paths, const char* why) {
  const qsizetype folders = std::count_if(paths.begin(), paths.end(), IsFolder), files = paths.size() - folders;
  const auto count = [](qsizetype n, const char* what) {
    return QString("%1 %2%3").arg(n).arg(what, n == 1 ? "" : "s");
  };
  QStringList parts;
  if (files > 0) parts << count(files, "file");
  if (folders > 0) parts << count(folders, "folder");
  const QString reason = files > 0 ? why : folders == 1 ? "drop the files inside it" : "drop the files inside them";
  return parts.join(" and ") + " ignored: " + reason;
}

}  // namespace

bool FrmQuilmark::TakesDrop(const QStringList& paths, QPoint pos) const {
  // Nothing is taken while a command runs with the controls disabled.
  if (paths.isEmpty() || !pane_->isEnabled()) return false;
  return std::any_of(paths.begin(), paths.end(), IsGaf) || std::any_of(paths.begin(), paths.end(), LooksLikeArchive) ||
         OverPicture(pos);
}

bool FrmQuilmark::OverPicture(QPoint pos) const {
  const FrameView& picture = pane_->Picture();
  return picture.rect().contains(picture.mapFrom(this, pos));
}

void FrmQuilmark::dragEnterEvent(QDragEnterEvent* event) {
  // Taken here for any local files; where they may fall is decided as they move.
  if (!LocalFiles(event->mimeData()).isEmpty() && pane_->isEnabled()) event->acceptProposedAction();
}

void FrmQuilmark::dragMoveEvent(QDragMoveEvent* event) {
  if (TakesDrop(LocalFiles(event->mimeData()), event->position().toPoint())) {
    event->acceptProposedAction();
  } else {
    event->ignore();
  }
}

void FrmQuilmark::dropEvent(QDropEvent* event) {
  const QStringList paths = LocalFiles(event->mimeData());
  const QPoint pos = event->position().toPoint();
  if (!TakesDrop(paths, pos)) return event->ignore();
  event->acceptProposedAction();
  const bool subframes = event->modifiers() & Qt::ShiftModifier;
  const bool overPicture = OverPicture(pos);
  // The drag's source waits for the drop to end; the work runs after it.
  QMetaObject::invokeMethod(
      this, [this, paths, overPicture, subframes] { DropFiles(paths, overPicture, subframes); }, Qt::QueuedConnection);
}

void FrmQuilmark::DropFiles(const QStringList& paths, bool overPicture, bool subframes) {
  ApplyPendingEdits();
  const auto gaf = std::find_if(paths.begin(), paths.end(), IsGaf);
  if (gaf != paths.end()) {
    if (!MayLeaveDocument(FileActions::Leaving::Opening)) return;
    // One GAF file is opened at a time: the note names what else was dropped.
    QStringList others = paths;
    others.removeAt(gaf - paths.begin());
    OpenFile(*gaf);
    if (!others.isEmpty()) Note(QString("Opened %1; ignored: %2").arg(ShownName(*gaf), Names(others)));
    return;
  }
  // An archive opens the Open from Archive dialog.
  const auto archive = std::find_if(paths.begin(), paths.end(), IsArchive);
  if (archive != paths.end()) {
    if (!MayLeaveDocument(FileActions::Leaving::Opening)) return;
    files_->OpenArchive(*archive);
    if (paths.size() > 1) Note(QString("Opened %1; ignored the other files").arg(ShownName(*archive)));
    return;
  }
  if (!overPicture) return;
  QStringList images, others;
  for (const QString& path : paths) (IsImage(path) ? images : others) << path;
  if (images.isEmpty()) {
    Note(others.size() == 1 && IsFolder(others[0])
             ? QString("\"%1\" is a folder: drop the files inside it").arg(ShownName(others[0]))
             : Ignored(others, "not a GAF file, BMP or PNG image"));
    return;
  }
  const EditorState& st = State();
  const AnimationPtr animation = st.CurrentAnimation;
  if (!animation || animation->Name.empty()) {
    Note("Create or choose a sequence to add the images to");
    return;
  }
  const FramePtr frame = animation->Frames.Item(st.CurrentFrame);
  if (subframes && !frame) {
    Note("The sequence has no frame to add subframes to");
    return;
  }
  std::stable_sort(images.begin(), images.end(), [](const QString& a, const QString& b) {
    return NameBefore(QFileInfo(a).fileName(), QFileInfo(b).fileName());
  });
  std::vector<std::string> files;
  for (const QString& image : images) files.push_back(PathBytes(image));
  // The options the import dialog opens with: none checked.
  images_->AddImages(files, {}, subframes);
  if (!others.isEmpty()) Note(Ignored(others, "not a BMP or PNG image"));
}

}  // namespace quilmark
