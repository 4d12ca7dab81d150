#include "editor/RecentFiles.h"

#include <QFileInfo>
#include <QSettings>

#include "archive/ArchiveDocuments.h"
#include "editor/EditorSupport.h"

namespace quilmark {
namespace {

constexpr const char* kKey = "Recent/Files";

QSettings Settings() { return QSettings(QSettings::IniFormat, QSettings::UserScope, "Quilmark", "Quilmark"); }

}  // namespace

RecentFiles::RecentFiles(QMenu* menu) : QObject(menu), menu_(menu) {
  menu_->setObjectName("mnuFileRecent");
  paths_ = Settings().value(kKey).toStringList().mid(0, kMost);
  // Filled as it opens: whether each file is still there is looked at then,
  // not at start-up.
  connect(menu_, &QMenu::aboutToShow, this, &RecentFiles::Fill);
}

bool RecentFiles::Exists(const QString& path) { return !ShownName(path).isEmpty(); }

QString RecentFiles::ShownName(const QString& path) {
  // A name in an archive stands for a file in it only while the archive is there.
  const std::string inArchive = ShownArchiveName(PathBytes(path));
  if (!inArchive.empty()) return PathText(inArchive);
  return QFileInfo(path).isFile() ? QFileInfo(path).fileName() : QString();
}

void RecentFiles::Add(const QString& path) {
  paths_.removeAll(path);
  paths_.prepend(path);
  while (paths_.size() > kMost) paths_.removeLast();
  Store();
}

void RecentFiles::Store() const {
  // Written at once: a crash or a second editor loses nothing.
  QSettings settings = Settings();
  settings.setValue(kKey, paths_);
  settings.sync();
}

void RecentFiles::Fill() {
  menu_->clear();
  bool missing = false;
  for (qsizetype i = 0; i < paths_.size(); ++i) {
    const QString& path = paths_[i];
    // "&1 walk.gaf", the whole path in the status bar.
    QString name = ShownName(path);
    const bool there = !name.isEmpty();
    missing = missing || !there;
    if (!there) name = QFileInfo(path).fileName();
    QAction* action = menu_->addAction(QString("&%1 %2").arg(i + 1).arg(name) + (there ? "" : " (missing)"));
    action->setObjectName(QString("mnuFileRecent%1").arg(i + 1));
    action->setStatusTip(path);
    action->setToolTip(path);
    action->setEnabled(there);
    connect(action, &QAction::triggered, this, [this, path] { emit Chosen(path); });
  }
  if (paths_.isEmpty()) menu_->addAction("(none)")->setEnabled(false);
  menu_->addSeparator();
  QAction* prune = menu_->addAction("&Remove Missing Files");
  prune->setObjectName("mnuFileRecentPrune");
  prune->setEnabled(missing);
  connect(prune, &QAction::triggered, this, [this] {
    const qsizetype before = paths_.size();
    paths_.removeIf([](const QString& path) { return !Exists(path); });
    Store();
    emit Pruned(int(before - paths_.size()));
  });
  QAction* clear = menu_->addAction("&Clear List");
  clear->setObjectName("mnuFileRecentClear");
  clear->setEnabled(!paths_.isEmpty());
  connect(clear, &QAction::triggered, this, [this] {
    paths_.clear();
    Store();
  });
}

}  // namespace quilmark
