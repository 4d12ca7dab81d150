// The Open from Archive dialog: an archive's folders as a tree holding its
// GAF files, a thumbnail of the highlighted one (its first animation's first
// frame), and the chosen entry's path handed back.
#pragma once

#include <QDialog>
#include <QLabel>
#include <QTreeWidget>
#include <cstdint>
#include <functional>
#include <string>
#include <vector>

namespace quilmark {

// What the dialog shows of an archive: its GAF entries, and how to read one.
struct ArchiveListing {
  struct Entry {
    std::string path;  // folders joined with "\"
    uint64_t size = 0;
  };
  std::vector<Entry> gafs;
  // The bytes of the entry at path; false, with why, when it cannot be read.
  std::function<bool(const std::string& path, std::vector<uint8_t>& bytes, std::string* why)> read;
};

class FrmOpenArchive : public QDialog {
  Q_OBJECT
 public:
  FrmOpenArchive(QWidget* owner, const QString& archiveName, ArchiveListing listing);
  // The entry chosen with Open; empty until then and after a cancel.
  const std::string& Chosen() const { return chosen_; }
  // The highlighted entry's thumbnail; null when nothing is shown.
  QPixmap Thumbnail() const { return thumbnail_->pixmap(); }

 private:
  void Highlight(QTreeWidgetItem* item);
  void Open();

  ArchiveListing listing_;
  QTreeWidget* tree_;
  QLabel* thumbnail_;
  QLabel* about_;
  std::string chosen_;
};

}  // namespace quilmark
