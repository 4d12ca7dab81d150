// The Images menu's commands and the Frame and Subframe menus: sequences
// created, removed, imported and exported, frames and subframes imported,
// exported and removed, and the about box.
#include <QApplication>

#include "dialogs/FrmAbout.h"
#include "dialogs/FrmDirectory.h"
#include "dialogs/FrmImportFrame.h"
#include "dialogs/FrmImportSequence.h"
#include "dialogs/InputBox.h"
#include "display/qt/FrmPreview.h"
#include "editor/EditorSupport.h"
#include "editor/FrmQuilmark.h"
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

}  // namespace

void FrmQuilmark::ReportExport(const ExportReport& report) {
  QString text = report.ok() ? QString() : ExportFailure(report);
  // Sequences written under another name than their own are told too.
  for (const std::string& note : report.notes) text += (text.isEmpty() ? "" : "\n") + QString::fromStdString(note);
  if (!text.isEmpty()) Message(text);
}

void FrmQuilmark::mnuImagesCreateSequence_Click() {
  const std::optional<QString> answer = InputBox(this, "Enter a name for the sequence.", "Create Sequence");
  if (!answer || answer->isEmpty()) return;
  auto animation = std::make_shared<classGAFAnimation>();
  // Names are 8-bit text; characters outside Latin-1 become '?'. A name is
  // compared as a file keeps it: its first 32 bytes.
  animation->Name = StoredName(answer->toLatin1().toStdString());
  animation->Animated = true;
  bool added = false;
  RecordAnimations("Create Sequence", [&] {
    // A name already in use (letter case ignored) is refused by the collection.
    added = Editor().CurrentGAF->Animations.Add(animation, animation->Name);
    ResetView();
  });
  if (!added)
    Note(QString("Not created: there is a sequence \"%1\" already").arg(QString::fromLatin1(animation->Name.c_str())));
}

void FrmQuilmark::mnuImageRemoveSequence_Click() {
  RecordAnimations("Remove Sequence", [&] {
    EditorState& st = Editor();
    // The current animation itself goes; with no animations there is none to remove.
    (void)st.CurrentGAF->Animations.Remove(st.CurrentGAF->Animations.IndexOf(st.CurrentAnimation.get()));
    ResetView();
  });
}

void FrmQuilmark::mnuImagesImportSequence_Click() {
  RecordAnimations("Import Sequence", [&] {
    FrmImportSequence dialog(this, [this] { ResetView(); }, this);
    dialog.exec();
  });
}

void FrmQuilmark::RecordAnimations(const QString& text, const std::function<void()>& steps) {
  const std::shared_ptr<classGAF> doc = Editor().CurrentGAF;
  const auto before = doc->Animations.Entries();
  const EditPlace place = Here();
  steps();
  const auto after = doc->Animations.Entries();
  const bool same = std::equal(before.begin(), before.end(), after.begin(), after.end(),
                               [](const auto& a, const auto& b) { return a.item == b.item && a.key == b.key; });
  if (!same && doc == Editor().CurrentGAF) Record(AnimationsStep(*this, text, doc, before, place, Here()));
}

void FrmQuilmark::RecordFrames(const QString& text, const std::shared_ptr<void>& owner,
                               Collection<classGAFFrame>& frames, const std::function<void()>& steps) {
  const std::vector<FramePtr> before = frames.Items();
  const EditPlace place = Here();
  steps();
  if (frames.Items() != before) Record(FramesStep(*this, text, owner, frames, before, place, Here()));
}

void FrmQuilmark::ExportToChosenFolder(const std::function<ExportReport(const std::string& folder)>& write) {
  Ending ending([this] { EnableControls(true); });
  {
    FrmDirectory chooser(this, this);
    chooser.exec();
  }
  const std::string folder = Editor().SelectedDirectory;
  if (folder.empty()) return;
  EnableControls(false);
  ReportExport(write(folder));
}

void FrmQuilmark::mnuImagesExportSequence_Click() {
  const AnimationPtr animation = Editor().CurrentAnimation;
  ExportToChosenFolder([&animation](const std::string& folder) { return ExportAllImages(*animation, folder); });
}

void FrmQuilmark::mnuImagesCompress_Click() {
  std::vector<FramePtr> images;
  for (const AnimationPtr& animation : Editor().CurrentGAF->Animations)
    for (const FramePtr& frame : animation->Frames) {
      images.push_back(frame);
      for (const FramePtr& sub : frame->Subframes) images.push_back(sub);
    }
  CompressedBytes before = CompressedBytes::Of(std::move(images));
  Editor().CurrentGAF->CompressAll(this);
  Record(CompressedStep(*this, "Compress All Images", std::move(before), Here()));
}

void FrmQuilmark::mnuImagesExportAll_Click() {
  const auto doc = Editor().CurrentGAF;
  ExportToChosenFolder([&doc](const std::string& folder) { return ExportAllImages(*doc, folder); });
}

void FrmQuilmark::mnuImagesPreview_Click() { FrmPreview::Open(Editor().CurrentAnimation, this, this); }

void FrmQuilmark::ShowImportFrames(bool subframes) {
  const EditorState& st = Editor();
  const AnimationPtr animation = st.CurrentAnimation;
  // Subframes go to the frame shown when the dialog opens.
  const FramePtr frame = animation->Frames.Item(st.CurrentFrame);
  const std::shared_ptr<void> owner = subframes ? std::shared_ptr<void>(frame) : std::shared_ptr<void>(animation);
  auto run = [&] {
    FrmImportFrame dialog(this, this, this);
    if (subframes) dialog.setWindowTitle(FrmImportFrame::SubframesCaption);
    dialog.exec();
    // The import redrew the animation; the list's counts follow it.
    RefreshList();
  };
  if (subframes && !frame) return run();
  RecordFrames(subframes ? "Import Subframes" : "Import Frames", owner,
               subframes ? frame->Subframes : animation->Frames, run);
}

void FrmQuilmark::mnuFrameImport_Click() { ShowImportFrames(false); }

void FrmQuilmark::mnuSubframeImport_Click() { ShowImportFrames(true); }

QString FrmQuilmark::AskBitmapName() {
  return ShowFileDialog({true, "BMP files (*.bmp)|*.bmp|PNG files (*.png)|*.png", "bmp", QString(), QString()});
}

namespace {
// A name ending in ".png" is written as PNG, any other as BMP.
ImageFormat FormatOf(const QString& name) {
  return name.endsWith(".png", Qt::CaseInsensitive) ? ImageFormat::Png : ImageFormat::Bmp;
}
}  // namespace

void FrmQuilmark::mnuFrameExport_Click() {
  Ending ending([] {
    if (QApplication::overrideCursor()) QApplication::restoreOverrideCursor();
  });
  const QString name = AskBitmapName();
  if (name.isEmpty()) return;
  const EditorState& st = Editor();
  if (FramePtr frame = st.CurrentAnimation->Frames.Item(st.CurrentFrame))
    ReportExport(ExportFrame(*frame, PathBytes(name), FormatOf(name)));
}

void FrmQuilmark::mnuSubframeExport_Click() {
  Ending ending([] {
    if (QApplication::overrideCursor()) QApplication::restoreOverrideCursor();
  });
  const QString name = AskBitmapName();
  if (name.isEmpty()) return;
  const EditorState& st = Editor();
  const FramePtr frame = st.CurrentAnimation->Frames.Item(st.CurrentFrame);
  if (!frame) return;
  if (FramePtr sub = frame->Subframes.Item(st.CurrentSubframe))
    ReportExport(ExportFrame(*sub, PathBytes(name), FormatOf(name)));
}

void FrmQuilmark::mnuFrameRemove_Click() {
  EditorState& st = Editor();
  const AnimationPtr animation = st.CurrentAnimation;
  RecordFrames("Remove Frame", animation, animation->Frames, [&] {
    (void)animation->Frames.Remove(st.CurrentFrame);
    DisplayAnimation(*animation);
    RefreshList();
  });
}

void FrmQuilmark::mnuSubframeRemove_Click() {
  EditorState& st = Editor();
  if (FramePtr frame = st.CurrentAnimation->Frames.Item(st.CurrentFrame)) {
    RecordFrames("Remove Subframe", frame, frame->Subframes, [&] {
      (void)frame->Subframes.Remove(st.CurrentSubframe);
      if (graphicsReady_) DisplayFrame(*frame, *this, st);
    });
  }
  RefreshList();
}

void FrmQuilmark::mnuHelpAbout_Click() {
  FrmAbout about(this);
  about.exec();
}

}  // namespace quilmark
