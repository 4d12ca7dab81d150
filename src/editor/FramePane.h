// The image pane: the frame and subframe sliders with their menu buttons, the
// "Frame Information" fields and the picture. It shows the document's
// selection whenever the document announces a change of it, or of what it
// shows; the sliders select.
#pragma once

#include <QLabel>
#include <QMenu>
#include <QPushButton>
#include <QSlider>

#include "display/FrameDisplay.h"
#include "editor/FrameFields.h"
#include "editor/PictureArea.h"
#include "editorcore/Layout.h"

namespace quilmark {

class FramePane : public QWidget, public FrameControls {
  Q_OBJECT
 public:
  // surface is the drawing surface the picture is drawn through; frameMenu and
  // subframeMenu pop up from the "&Frame >" and "&Subframe >" buttons.
  FramePane(GafDocument& doc, classFastWin& surface, QMenu* frameMenu, QMenu* subframeMenu, QWidget* parent);

  // Nothing is drawn until the surface is ready.
  void SetGraphicsReady(bool ready) { graphicsReady_ = ready; }
  void Layout(const MainLayout& layout);
  FrameView& Picture() { return area_->Picture(); }
  FrameFields& Fields() { return *fields_; }

  // The selected animation, frame and subframe, shown.
  void ShowSelection();
  // The shown image drawn again (a new zoom, size, scroll or centring).
  void DisplaySelectedPicture();
  // The largest zoom step at which the shown image fits the view, the image
  // in the view's middle.
  void ZoomToFit();

  // What the user does.
  void FramesSlid(int value);
  void SubframesSlid(int value);
  void FrameButtonClicked();
  void SubframeButtonClicked();

  // FrameControls: everything here is display only, so the controls' own
  // change handling is kept from writing into the document.
  void SetScrollFramesEnabled(bool enabled) override;
  void SetScrollFramesMax(int32_t max) override;
  void SetScrollFramesValue(int32_t value) override;
  void SetScrollSubframesEnabled(bool enabled) override;
  void SetScrollSubframesMax(int32_t max) override;
  void SetScrollSubframesValue(int32_t value) override;
  void SetTxtWidth(const std::string& text) override { fields_->ShowWidth(text); }
  void SetTxtHeight(const std::string& text) override { fields_->ShowHeight(text); }
  void SetTxtFPS(const std::string& text) override { fields_->ShowFps(text); }
  void SetScrollXPosValue(int32_t value) override { fields_->ShowValue(FieldStep::X, value); }
  void SetScrollYPosValue(int32_t value) override { fields_->ShowValue(FieldStep::Y, value); }
  void SetScrollFPSValue(int32_t value) override { fields_->ShowValue(FieldStep::Fps, value); }
  void SetCompressedValue(bool checked) override { fields_->ShowCompressed(checked); }
  void SetCompressedEnabled(bool enabled) override { fields_->SetCompressedEnabled(enabled); }
  void SetEditorsEnabled(bool enabled) override { fields_->SetEditorsEnabled(enabled); }
  void SetCmdFrameEnabled(bool enabled) override { frameButton_->setEnabled(enabled); }
  void SetCmdSubframeEnabled(bool enabled) override { subframeButton_->setEnabled(enabled); }
  // The picture is drawn on the screen's device pixels.
  int32_t PictureWidth() const override { return picture_->DeviceSize().width(); }
  int32_t PictureHeight() const override { return picture_->DeviceSize().height(); }
  // With more than the image to show, the picture is composed whole when it
  // is kept: nothing is cleared or transferred before.
  void ClearPicture() override;
  SurfaceScreen& PictureScreen() override;
  // Shows what was drawn, with what the View menu adds composed over it.
  void KeepPicture() override;
  int32_t PictureZoom() const override { return picture_->DeviceZoomPercent(); }
  int32_t PictureScrollX() const override { return area_->Scroll().x(); }
  int32_t PictureScrollY() const override { return area_->Scroll().y(); }
  void PrepareFor(const classGAFFrame& image) override;
  classFastWin& Surface() override { return surface_; }

 signals:
  // Where the pointer is over the picture, for the status bar:
  // "x 12, y −40: index 142 (96, 64, 32)", empty when it is not over it.
  void PointerInfo(const QString& text);

 private:
  void ImagesChanged(const std::vector<FramePtr>& images);
  // "Frame 3 of 12" and "Subframe 1 of 2" beside the sliders.
  void ShowNumbers();
  // Whether the View menu adds anything to the picture.
  bool Composing() const;
  void Hover(QPoint at);
  // After a zoom step: the image pixel under the step's anchor stays there.
  void KeepAnchor();
  QSlider* MakeSlider(const char* name);

  GafDocument& doc_;
  classFastWin& surface_;
  QMenu* frameMenu_;
  QMenu* subframeMenu_;
  FrameFields* fields_;
  QPushButton* frameButton_;
  QPushButton* subframeButton_;
  QSlider* frames_;
  QSlider* subframes_;
  QLabel* frameNumber_;
  QLabel* subframeNumber_;
  PictureArea* area_;
  FrameView* picture_;
  bool graphicsReady_ = false;
  const classGAFFrame* prepared_ = nullptr;  // the image being drawn
};

}  // namespace quilmark
