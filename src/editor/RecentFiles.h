// "Recent Files" on the File menu: the last files opened or saved, newest
// first, kept in the settings as soon as the list changes. A file that is no
// longer there is shown greyed; "Remove Missing Files" takes such files out.
#pragma once

#include <QMenu>
#include <QStringList>

namespace quilmark {

class RecentFiles : public QObject {
  Q_OBJECT
 public:
  static constexpr int kMost = 8;
  // Fills menu each time it opens.
  explicit RecentFiles(QMenu* menu);

  // path (a file, or ARCHIVE:PATH for a file in an archive) goes first.
  void Add(const QString& path);
  const QStringList& Paths() const { return paths_; }
  // Whether the file is still there (for ARCHIVE:PATH: its archive).
  static bool Exists(const QString& path);
  // The name the list shows for a file that is there ("walk.gaf",
  // "tank.ufo: units\tank.gaf"); empty when it is not.
  static QString ShownName(const QString& path);

 signals:
  void Chosen(const QString& path);
  // How many missing files were taken out of the list.
  void Pruned(int count);

 private:
  void Fill();
  void Store() const;

  QMenu* menu_;
  QStringList paths_;
};

}  // namespace quilmark
