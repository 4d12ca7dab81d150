#include "editor/StripActions.h"

#include <QClipboard>
#include <QDir>
#include <QGuiApplication>
#include <QMimeData>
#include <algorithm>
#include <unordered_set>

#include "dialogs/FrmFramerate.h"
#include "dialogs/FrmShift.h"
#include "display/FrameCompose.h"
#include "editor/UndoCommands.h"
#include "editorcore/FrameClipboard.h"
#include "editorcore/FrameOrder.h"
#include "images/modPng.h"

namespace quilmark {
namespace {

int32_t NumberOf(const std::vector<FramePtr>& frames, const FramePtr& frame) {
  const auto at = std::find(frames.begin(), frames.end(), frame);
  return at == frames.end() ? 0 : static_cast<int32_t>(at - frames.begin()) + 1;
}

}  // namespace

StripActions::StripActions(GafDocument& doc, WindowServices& window, QObject* parent)
    : QObject(parent), doc_(doc), window_(window) {}

std::vector<FramePtr> StripActions::Move(const std::vector<bool>& selected, size_t gap) {
  const EditorState& st = doc_.State();
  const AnimationPtr animation = st.CurrentAnimation;
  if (!doc_.Holds(animation)) return {};
  const std::vector<FramePtr> before = animation->Frames.Items();
  std::vector<FramePtr> after = MovedOrder(before, selected, gap);
  if (after == before) return {};
  std::vector<FramePtr> moved;
  for (size_t i = 0; i < before.size() && i < selected.size(); ++i)
    if (selected[i]) moved.push_back(before[i]);
  // The shown frame stays shown where it went.
  const int32_t shown = NumberOf(after, animation->Frames.Item(st.CurrentFrame));
  doc_.Do(FramesStep(doc_, "Move Frames", animation, animation, animation->Frames, std::move(after),
                     {animation, std::max(shown, 1), 0}));
  return moved;
}

void StripActions::Remove(const std::vector<FramePtr>& frames) {
  const AnimationPtr animation = doc_.State().CurrentAnimation;
  if (frames.empty() || !doc_.Holds(animation)) return;
  const std::vector<FramePtr> before = animation->Frames.Items();
  const std::unordered_set<FramePtr> removed(frames.begin(), frames.end());
  std::vector<FramePtr> after;
  int32_t first = 0;  // the number of the first frame removed
  for (size_t i = 0; i < before.size(); ++i) {
    if (!removed.count(before[i])) {
      after.push_back(before[i]);
    } else if (first == 0) {
      first = static_cast<int32_t>(i) + 1;
    }
  }
  if (first == 0) return;
  // The frame that took the first removed one's place is shown.
  const int32_t shown = std::min(first, static_cast<int32_t>(after.size()));
  doc_.Do(FramesStep(doc_, frames.size() == 1 ? "Remove Frame" : "Remove Frames", animation, animation,
                     animation->Frames, std::move(after), {animation, shown, 0}));
}

void StripActions::SetFramerate(const std::vector<FramePtr>& frames) {
  if (frames.empty()) return;
  FrmFramerate dialog(window_.Owner(), static_cast<int>(frames.size()), frames.front()->FPS);
  if (dialog.exec() != QDialog::Accepted) return;
  doc_.Do(FieldValuesStep(doc_, "Set Framerate", frames, FieldStep::Fps, dialog.Rate()));
}

void StripActions::SetCompressed(const std::vector<FramePtr>& frames, bool compressed) {
  // A frame's own image is never stored compressed when it has subframes:
  // they are what is drawn.
  const CompressedBytes before = CompressedBytes::Of(ImagesOf(frames, false));
  for (const FramePtr& image : before.images) image->SetCompressed(compressed);
  const CompressedBytes after = CompressedBytes::Of(before.images);
  before.PutBack();
  doc_.Do(CompressedStep(doc_, compressed ? "Compress Frames" : "Uncompress Frames", before, after));
}

void StripActions::Shift(const std::vector<FramePtr>& frames) {
  if (frames.empty()) return;
  FrmShift dialog(window_.Owner(), "selected frames", "Shift Frames");
  if (dialog.exec() != QDialog::Accepted) return;
  // A frame's subframes move with it: they are placed about the same origin.
  doc_.Do(MoveStep::By(doc_, "Shift Frames", ImagesOf(frames, true), dialog.Across(), dialog.Down()));
}

void StripActions::Copy(const std::vector<FramePtr>& frames) {
  if (frames.empty()) return;
  std::vector<uint8_t> bytes;
  std::string why;
  if (!FramesToBytes(frames, QDir::tempPath().toStdString(), bytes, &why))
    return window_.Note("The frames could not be copied: " + QString::fromStdString(why));
  auto* data = new QMimeData;
  data->setData(kFramesMimeType, QByteArray(reinterpret_cast<const char*>(bytes.data()), qsizetype(bytes.size())));
  // Other programs take the first frame as a picture in the game's colours.
  const ComposedImage picture = ComposeIndices(*frames.front());
  std::vector<uint8_t> png;
  if (!picture.Empty() && EncodePNG(picture.pixels, picture.width, picture.height, GamePalette, png))
    data->setData("image/png", QByteArray(reinterpret_cast<const char*>(png.data()), qsizetype(png.size())));
  QGuiApplication::clipboard()->setMimeData(data);
  window_.Note(frames.size() == 1 ? QString("1 frame copied") : QString("%1 frames copied").arg(frames.size()));
}

bool StripActions::CanPaste() {
  const QMimeData* data = QGuiApplication::clipboard()->mimeData();
  return data && data->hasFormat(kFramesMimeType);
}

std::vector<FramePtr> StripActions::Paste() {
  const EditorState& st = doc_.State();
  const AnimationPtr animation = st.CurrentAnimation;
  if (!doc_.Holds(animation)) return {};
  const QMimeData* data = QGuiApplication::clipboard()->mimeData();
  if (!data || !data->hasFormat(kFramesMimeType)) {
    window_.Note("The clipboard holds no frames");
    return {};
  }
  const QByteArray bytes = data->data(kFramesMimeType);
  std::string why;
  std::vector<FramePtr> pasted =
      FramesFromBytes(reinterpret_cast<const uint8_t*>(bytes.constData()), size_t(bytes.size()), &why);
  if (pasted.empty()) {
    window_.Note("The clipboard's frames cannot be pasted: " + QString::fromStdString(why));
    return {};
  }
  std::vector<FramePtr> after = animation->Frames.Items();
  const int32_t at = std::clamp(st.CurrentFrame, 0, static_cast<int32_t>(after.size()));
  after.insert(after.begin() + at, pasted.begin(), pasted.end());
  doc_.Do(FramesStep(doc_, "Paste Frames", animation, animation, animation->Frames, std::move(after),
                     {animation, at + 1, 0}));
  return pasted;
}

}  // namespace quilmark
