#include "editor/ImageActions.h"

#include <QApplication>

#include "dialogs/FrmDirectory.h"
#include "dialogs/FrmGif.h"
#include "dialogs/FrmImportFrame.h"
#include "dialogs/FrmImportSequence.h"
#include "dialogs/FrmReplaceIndex.h"
#include "dialogs/FrmShift.h"
#include "dialogs/InputBox.h"
#include "display/GifExport.h"
#include "display/qt/FrmPreview.h"
#include "editor/EditorSupport.h"
#include "editor/UndoCommands.h"
#include "images/FrameImages.h"

namespace quilmark {
namespace {

// "N images could not be written", with the first file and why.
QString ExportFailure(const ExportReport& report) {
  QString text = report.failed == 1 ? QString("1 image could not be written")
                                    : QString("%1 images could not be written").arg(report.failed);
  if (report.written > 0) text += QString(" (%1 written)").arg(report.written);
  if (!report.failedFiles.empty()) {
    text += ":\n" + PathText(report.failedFiles.front());
    if (!report.reasons.empty() && !report.reasons.front().empty())
      text += ": " + QString::fromStdString(report.reasons.front());
    if (report.failed > 1) text += QString("\nand %1 more.").arg(report.failed - 1);
  }
  return text;
}

// A name ending in ".png" is written as PNG, any other as BMP.
ImageFormat FormatOf(const QString& name) {
  return name.endsWith(".png", Qt::CaseInsensitive) ? ImageFormat::Png : ImageFormat::Bmp;
}

// A count with its digits in groups of three: "1 234 567".
QString Grouped(uint64_t n) {
  QString digits = QString::number(n);
  for (qsizetype at = digits.size() - 3; at > 0; at -= 3) digits.insert(at, ' ');
  return digits;
}

// "1 pixel", "1 234 opaque pixels".
QString Pixels(uint64_t n, const QString& kind = {}) {
  return Grouped(n) + (kind.isEmpty() ? "" : " " + kind) + (n == 1 ? " pixel" : " pixels");
}

// The busy pointer for the length of a command.
class Busy {
 public:
  Busy() { QApplication::setOverrideCursor(Qt::WaitCursor); }
  ~Busy() { QApplication::restoreOverrideCursor(); }
  Busy(const Busy&) = delete;
  Busy& operator=(const Busy&) = delete;
};

}  // namespace

ImageActions::ImageActions(GafDocument& doc, WindowServices& window, QObject* parent)
    : QObject(parent), doc_(doc), window_(window) {}

void ImageActions::ReportExport(const ExportReport& report) {
  QString text = report.ok() ? QString() : ExportFailure(report);
  // Sequences written under another name than their own are told too.
  for (const std::string& note : report.notes) text += (text.isEmpty() ? "" : "\n") + QString::fromStdString(note);
  if (!text.isEmpty()) window_.Message(text);
}

void ImageActions::ReportColours(const ImportReport& report) {
  const ColourMapping& mapping = report.mapping;
  if (mapping.Exact()) return;
  QString note = QString("%1 not in the game palette (largest difference %2)")
                     .arg(Pixels(mapping.offPalette))
                     .arg(mapping.largestDifference);
  if (mapping.madeTransparent > 0)
    note += QString("; %1 became transparent").arg(Pixels(mapping.madeTransparent, "opaque"));
  window_.Note(note);
  if (mapping.madeTransparent > 0)
    window_.Message(QString("%1 became transparent (index %2): their colours are nearest to the game's transparent "
                            "colour. Give them another colour in the image to keep them visible.")
                        .arg(Pixels(mapping.madeTransparent, "opaque"))
                        .arg(int{TransparentIndex}));
}

void ImageActions::CreateSequence() {
  const std::optional<QString> answer = InputBox(window_.Owner(), "Enter a name for the sequence.", "Create Sequence");
  if (!answer || answer->isEmpty()) return;
  auto animation = std::make_shared<classGAFAnimation>();
  // Names are 8-bit text; characters outside Latin-1 become '?'. A name is
  // compared as a file keeps it: its first 32 bytes.
  animation->Name = StoredName(answer->toLatin1().toStdString());
  animation->Animated = true;
  // A name already in use (letter case ignored) is refused; the view starts
  // again from the first sequence all the same.
  if (AnimationPtr holder = doc_.Gaf().Animations.Find(animation->Name)) {
    doc_.Select({});
    return window_.Note(
        QString("Not created: there is a sequence \"%1\" already").arg(QString::fromLatin1(animation->Name.c_str())));
  }
  GafDocument::AnimationEntries after = doc_.Gaf().Animations.Entries();
  after.push_back({animation->Name, animation});
  doc_.Do(AnimationsStep(doc_, "Create Sequence", std::move(after), {}));
}

void ImageActions::RemoveSequence() {
  // The selected animation itself goes; with no animations there is none to
  // remove.
  const AnimationPtr animation = doc_.State().CurrentAnimation;
  if (!doc_.Holds(animation)) return;
  GafDocument::AnimationEntries after;
  for (const auto& entry : doc_.Gaf().Animations.Entries())
    if (entry.item != animation) after.push_back(entry);
  doc_.Do(AnimationsStep(doc_, "Remove Sequence", std::move(after), {}));
}

void ImageActions::ReverseFrames() {
  const AnimationPtr animation = doc_.State().CurrentAnimation;
  if (doc_.Holds(animation) && animation->Frames.Count() > 1) doc_.Do(new ReverseFramesStep(doc_, animation));
}

void ImageActions::ShiftAll() {
  const EditorState& st = doc_.State();
  const AnimationPtr animation = st.CurrentAnimation;
  const FramePtr frame = animation->Frames.Item(st.CurrentFrame);
  if (!doc_.Holds(animation) || !frame) return;
  const bool subframes = st.CurrentSubframe > 0 && !frame->Subframes.IsEmpty();
  FrmShift dialog(window_.Owner(), subframes ? "subframes of the frame" : "frames");
  if (dialog.exec() != QDialog::Accepted) return;
  doc_.Do(MoveStep::By(doc_, "Shift All Frames", subframes ? frame->Subframes.Items() : animation->Frames.Items(),
                       dialog.Across(), dialog.Down()));
}

void ImageActions::ReplaceIndex() {
  FrmReplaceIndex dialog(window_.Owner());
  if (dialog.exec() != QDialog::Accepted) return;
  const EditorState& st = doc_.State();
  std::vector<FramePtr> frames;
  for (const AnimationPtr& animation : doc_.Gaf().Animations) {
    const bool shown = animation == st.CurrentAnimation;
    if (!shown && dialog.Within() != FrmReplaceIndex::Document) continue;
    for (int32_t i = 1; i <= animation->Frames.Count(); ++i)
      if (dialog.Within() != FrmReplaceIndex::Frame || i == st.CurrentFrame)
        frames.push_back(animation->Frames.Item(i));
  }
  ReplaceIndexStep* step = ReplaceIndexStep::Make(doc_, ImagesOf(frames), static_cast<uint8_t>(dialog.From()),
                                                  static_cast<uint8_t>(dialog.To()));
  if (!step) return window_.Note(QString("No pixel holds index %1 there").arg(dialog.From()));
  doc_.Do(step);
}

void ImageActions::ImportSequence() {
  FrmImportSequence dialog(window_.Owner(), doc_.State().BMPLoadDir, &window_);
  const bool accepted = dialog.exec() == QDialog::Accepted;
  doc_.State().BMPLoadDir = dialog.LoadDir();
  if (!accepted) return;
  // The sequence is built beside the document; the step adds it. Either way
  // the view starts again from the first sequence.
  classGAF scratch;
  (void)scratch.Animations.Assign(doc_.Gaf().Animations.Entries());
  bool added = false;
  ImportReport report;
  {
    Busy busy;
    added = quilmark::ImportSequence(scratch, dialog.FrameLists, dialog.Options(), &window_, &report);
  }
  if (!added) return doc_.Select({});
  doc_.Do(AnimationsStep(doc_, "Import Sequence", scratch.Animations.Entries(), {}));
  ReportColours(report);
}

void ImageActions::ExportToChosenFolder(const std::function<ExportReport(const std::string& folder)>& write) {
  Ending ending([this] { window_.EnableControls(true); });
  std::string folder;
  {
    FrmDirectory chooser(window_.Owner(), &window_);
    chooser.exec();
    folder = chooser.Chosen();
  }
  if (folder.empty()) return;
  window_.EnableControls(false);
  ReportExport(write(folder));
}

void ImageActions::ExportSequence() {
  const AnimationPtr animation = doc_.State().CurrentAnimation;
  ExportToChosenFolder([&animation](const std::string& folder) { return ExportAllImages(*animation, folder); });
}

void ImageActions::ExportGif() {
  const AnimationPtr animation = doc_.State().CurrentAnimation;
  if (!doc_.Holds(animation)) return;
  FrmGif options(window_.Owner());
  if (options.exec() != QDialog::Accepted) return;
  const QString name = window_.ShowFileDialog(
      {true, "GIF files (*.gif)|*.gif", "gif", QString(), PathText(SafeFileName(animation->Name) + ".gif")});
  if (name.isEmpty()) return;
  std::string why;
  Busy busy;
  if (!WriteAnimationGif(*animation, {options.Zoom(), options.Delay()}, GamePalette, PathBytes(name), &why))
    window_.Message(name + " could not be written: " + QString::fromStdString(why));
}

void ImageActions::ExportAll() {
  const auto gaf = doc_.SharedGaf();
  ExportToChosenFolder([&gaf](const std::string& folder) { return ExportAllImages(*gaf, folder); });
}

void ImageActions::CompressAll() {
  std::vector<FramePtr> images;
  for (const AnimationPtr& animation : doc_.Gaf().Animations) {
    const std::vector<FramePtr> each = ImagesOf(animation->Frames.Items());
    images.insert(images.end(), each.begin(), each.end());
  }
  // The step is made from the bytes the compression leaves behind.
  const CompressedBytes before = CompressedBytes::Of(std::move(images));
  doc_.SharedGaf()->CompressAll();
  const CompressedBytes after = CompressedBytes::Of(before.images);
  before.PutBack();
  doc_.Do(CompressedStep(doc_, "Compress All Images", before, after));
}

void ImageActions::Preview() { FrmPreview::Open(doc_.State().CurrentAnimation, window_.Owner(), &window_); }

void ImageActions::ImportFrames(bool subframes) {
  FrmImportFrame dialog(window_.Owner(), doc_.State().BMPLoadDir);
  if (subframes) dialog.setWindowTitle(FrmImportFrame::SubframesCaption);
  const bool accepted = dialog.exec() == QDialog::Accepted;
  doc_.State().BMPLoadDir = dialog.LoadDir();
  if (accepted) AddImages(dialog.ChosenPaths(), dialog.Options(), dialog.SubframeMode());
}

void ImageActions::AddImages(const std::vector<std::string>& files, const ImportOptions& options, bool subframes) {
  const EditorState& st = doc_.State();
  const AnimationPtr animation = st.CurrentAnimation;
  const FramePtr frame = animation->Frames.Item(st.CurrentFrame);
  if (files.empty() || !doc_.Holds(animation) || (subframes && !frame)) return;
  Collection<classGAFFrame>& frames = subframes ? frame->Subframes : animation->Frames;
  const std::vector<FramePtr> before = frames.Items();
  ImportReport report;
  {
    Busy busy;
    (void)quilmark::ImportFrames(*animation, files, options, subframes, st.CurrentFrame, nullptr, &window_, &report);
  }
  const std::vector<FramePtr> after = frames.Items();
  if (after == before) return;
  // The step makes the change it was made from.
  frames.Assign(before);
  const std::shared_ptr<void> owner = subframes ? std::shared_ptr<void>(frame) : std::shared_ptr<void>(animation);
  doc_.Do(FramesStep(doc_, subframes ? "Import Subframes" : "Import Frames", animation, owner, frames, after,
                     {animation, 1, 0}));
  ReportColours(report);
}

void ImageActions::ExportImage(bool subframe) {
  const QString name =
      window_.ShowFileDialog({true, "BMP files (*.bmp)|*.bmp|PNG files (*.png)|*.png", "bmp", QString(), QString()});
  if (name.isEmpty()) return;
  const EditorState& st = doc_.State();
  FramePtr image = st.CurrentAnimation->Frames.Item(st.CurrentFrame);
  if (image && subframe) image = image->Subframes.Item(st.CurrentSubframe);
  if (image) ReportExport(ExportFrame(*image, PathBytes(name), FormatOf(name)));
}

void ImageActions::RemoveFrame() {
  const EditorState& st = doc_.State();
  const AnimationPtr animation = st.CurrentAnimation;
  std::vector<FramePtr> after = animation->Frames.Items();
  if (!doc_.Holds(animation) || st.CurrentFrame < 1 || st.CurrentFrame > static_cast<int32_t>(after.size())) return;
  after.erase(after.begin() + (st.CurrentFrame - 1));
  doc_.Do(
      FramesStep(doc_, "Remove Frame", animation, animation, animation->Frames, std::move(after), {animation, 1, 0}));
}

void ImageActions::DuplicateFrame() {
  const EditorState& st = doc_.State();
  const AnimationPtr animation = st.CurrentAnimation;
  const FramePtr frame = animation->Frames.Item(st.CurrentFrame);
  if (!frame || !doc_.Holds(animation)) return;
  // The copy shares the pixels until either is changed.
  std::vector<FramePtr> after = animation->Frames.Items();
  after.insert(after.begin() + st.CurrentFrame, frame->SharedCopy());
  doc_.Do(FramesStep(doc_, "Duplicate Frame", animation, animation, animation->Frames, std::move(after),
                     {animation, st.CurrentFrame + 1, 0}));
}

void ImageActions::RemoveSubframe() {
  const EditorState& st = doc_.State();
  const AnimationPtr animation = st.CurrentAnimation;
  const FramePtr frame = animation->Frames.Item(st.CurrentFrame);
  if (!frame || !doc_.Holds(animation)) return;
  std::vector<FramePtr> after = frame->Subframes.Items();
  if (st.CurrentSubframe < 1 || st.CurrentSubframe > static_cast<int32_t>(after.size())) return;
  after.erase(after.begin() + (st.CurrentSubframe - 1));
  doc_.Do(FramesStep(doc_, "Remove Subframe", animation, frame, frame->Subframes, std::move(after),
                     {animation, st.CurrentFrame, 0}));
}

}  // namespace quilmark
