#include "dialogs/FrmOpenArchive.h"

#include <QDialogButtonBox>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLocale>
#include <QPushButton>
#include <QVBoxLayout>
#include <algorithm>
#include <map>

#include "base/Latin1.h"
#include "display/qt/FrameView.h"
#include "document/classGAF.h"

namespace quilmark {
namespace {

constexpr int kPathRole = Qt::UserRole;
constexpr int kThumbnailSide = 128;
// An entry larger than any sprite file is not read for its thumbnail.
constexpr uint64_t kLargestShown = uint64_t{64} << 20;

QString NameText(const std::string& name) { return QString::fromStdString(Latin1ToUtf8(name)); }

}  // namespace

FrmOpenArchive::FrmOpenArchive(QWidget* owner, const QString& archiveName, ArchiveListing listing)
    : QDialog(owner), listing_(std::move(listing)) {
  setObjectName("FrmOpenArchive");
  setWindowTitle("Open from Archive - " + archiveName);
  tree_ = new QTreeWidget(this);
  tree_->setObjectName("ArchiveTree");
  tree_->setHeaderLabels({"Name", "Size"});
  tree_->header()->setSectionResizeMode(0, QHeaderView::Stretch);
  tree_->setMinimumWidth(320);
  thumbnail_ = new QLabel(this);
  thumbnail_->setObjectName("ArchiveThumbnail");
  thumbnail_->setFixedSize(kThumbnailSide + 8, kThumbnailSide + 8);
  thumbnail_->setAlignment(Qt::AlignCenter);
  thumbnail_->setFrameStyle(QFrame::StyledPanel | QFrame::Sunken);
  about_ = new QLabel(this);
  about_->setObjectName("ArchiveAbout");
  about_->setWordWrap(true);
  about_->setFixedWidth(kThumbnailSide + 8);

  // Folders as branches, made as the paths need them.
  std::map<std::string, QTreeWidgetItem*> folders;
  for (const ArchiveListing::Entry& entry : listing_.gafs) {
    QTreeWidgetItem* parent = nullptr;
    std::string folder;
    size_t start = 0;
    for (size_t cut = entry.path.find('\\'); cut != std::string::npos; cut = entry.path.find('\\', start)) {
      if (!folder.empty()) folder += '\\';
      folder.append(entry.path, start, cut - start);
      QTreeWidgetItem*& item = folders[folder];
      if (!item) {
        item = parent ? new QTreeWidgetItem(parent) : new QTreeWidgetItem(tree_);
        item->setText(0, NameText(entry.path.substr(start, cut - start)));
        item->setExpanded(true);
      }
      parent = item;
      start = cut + 1;
    }
    auto* file = parent ? new QTreeWidgetItem(parent) : new QTreeWidgetItem(tree_);
    file->setText(0, NameText(entry.path.substr(start)));
    file->setText(1, QLocale().formattedDataSize(static_cast<qint64>(entry.size)));
    file->setData(0, kPathRole, QByteArray::fromStdString(entry.path));
  }
  tree_->sortItems(0, Qt::AscendingOrder);
  tree_->expandAll();

  auto* buttons = new QDialogButtonBox(QDialogButtonBox::Open | QDialogButtonBox::Cancel, this);
  QPushButton* open = buttons->button(QDialogButtonBox::Open);
  open->setObjectName("ArchiveOpen");
  open->setEnabled(false);
  connect(buttons, &QDialogButtonBox::accepted, this, &FrmOpenArchive::Open);
  connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
  connect(tree_, &QTreeWidget::currentItemChanged, this, [this, open](QTreeWidgetItem* item) {
    open->setEnabled(item && item->data(0, kPathRole).isValid());
    Highlight(item);
  });
  connect(tree_, &QTreeWidget::itemActivated, this, [this](QTreeWidgetItem* item) {
    if (item && item->data(0, kPathRole).isValid()) Open();
  });

  auto* side = new QVBoxLayout;
  side->addWidget(thumbnail_);
  side->addWidget(about_);
  side->addStretch();
  auto* top = new QHBoxLayout;
  top->addWidget(tree_, 1);
  top->addLayout(side);
  auto* layout = new QVBoxLayout(this);
  if (listing_.gafs.empty()) layout->addWidget(new QLabel("The archive holds no GAF files.", this));
  layout->addLayout(top);
  layout->addWidget(buttons);
  resize(560, 420);
}

void FrmOpenArchive::Highlight(QTreeWidgetItem* item) {
  thumbnail_->clear();
  about_->clear();
  if (!item || !item->data(0, kPathRole).isValid()) return;
  const std::string path = item->data(0, kPathRole).toByteArray().toStdString();
  const auto entry = std::find_if(listing_.gafs.begin(), listing_.gafs.end(),
                                  [&path](const ArchiveListing::Entry& e) { return e.path == path; });
  std::vector<uint8_t> bytes;
  std::string why;
  if (entry == listing_.gafs.end() || entry->size > kLargestShown || !listing_.read(path, bytes, &why)) {
    about_->setText(why.empty() ? QString() : "Cannot be read: " + QString::fromStdString(why));
    return;
  }
  classGAF gaf;
  const LoadReport report = gaf.LoadBytes(bytes.data(), bytes.size());
  const AnimationPtr first = gaf.Animations.Item(1);
  const FramePtr frame = first ? first->Frames.Item(1) : nullptr;
  if (frame) {
    // Made on the screen's own pixels, so that a scaled screen shows it sharp.
    const QImage picture = CheckeredThumbnail(*frame, kThumbnailSide, devicePixelRatioF());
    if (!picture.isNull()) thumbnail_->setPixmap(QPixmap::fromImage(picture));
  }
  const int count = gaf.Animations.Count();
  QString text = count == 1 ? QString("1 animation") : QString("%1 animations").arg(count);
  if (first) text += QString(", the first \"%1\" of %2 frames").arg(NameText(first->Name)).arg(first->Frames.Count());
  if (!report.complete) text += " (damaged: " + QString::fromStdString(report.problem) + ")";
  about_->setText(text);
}

void FrmOpenArchive::Open() {
  const QTreeWidgetItem* item = tree_->currentItem();
  if (!item || !item->data(0, kPathRole).isValid()) return;
  chosen_ = item->data(0, kPathRole).toByteArray().toStdString();
  accept();
}

}  // namespace quilmark
