#include "editor/WindowStatus.h"

#include <algorithm>

namespace quilmark {

WindowStatus::WindowStatus(GafDocument& doc, const ZoomedView& picture, QWidget* parent)
    : QStatusBar(parent), doc_(doc) {
  setObjectName("Status");
  setSizeGripEnabled(false);
  // The bar is as high as the layout gives it; panels framed by the style
  // would stand below its edge.
  setStyleSheet("QStatusBar::item { border: none; }");
  for (int i = 0; i < 3; ++i) {
    panels_[i] = new QLabel(this);
    panels_[i]->setObjectName(QString("StatusPanel%1").arg(i + 1));
  }
  panels_[0]->setText("Ready");
  panels_[0]->setMinimumWidth(100);
  addWidget(panels_[0]);
  addWidget(panels_[1], 1);
  // "Modified" and the zoom stay at the right edge, whole, whatever the
  // window's width, and a passing note does not hide them.
  pointer_ = new QLabel(this);
  pointer_->setObjectName("StatusPointer");
  addPermanentWidget(pointer_);
  panels_[2]->setMinimumWidth(panels_[2]->fontMetrics().horizontalAdvance("Modified") + 16);
  addPermanentWidget(panels_[2]);
  auto* zoom = new QLabel("100%", this);
  zoom->setObjectName("StatusZoom");
  zoom->setMinimumWidth(zoom->fontMetrics().horizontalAdvance("1600%") + 16);
  zoom->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
  zoom->setContentsMargins(0, 0, 6, 0);
  addPermanentWidget(zoom);
  connect(&picture, &ZoomedView::ZoomChanged, zoom, [zoom, &picture] { zoom->setText(picture.ZoomText()); });

  for (auto news : {&GafDocument::documentReset, &GafDocument::selectionChanged, &GafDocument::animationsChanged})
    connect(&doc_, news, this, &WindowStatus::Refresh);
  connect(&doc_, &GafDocument::animationRenamed, this, &WindowStatus::Refresh);
  connect(&doc_, &GafDocument::modifiedChanged, this,
          [this](bool modified) { panels_[2]->setText(modified ? QString("Modified") : QString()); });
}

QString WindowStatus::Text(int panel) const { return panels_[std::clamp(panel, 1, 3) - 1]->text(); }

void WindowStatus::Refresh() {
  panels_[0]->setText("Ready");
  panels_[1]->setText(QString::fromLatin1(doc_.State().CurrentAnimation->Name.c_str()));
}

}  // namespace quilmark
