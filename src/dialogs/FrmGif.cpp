#include "dialogs/FrmGif.h"

#include <QLabel>

#include "dialogs/FormDialog.h"
#include "display/GifExport.h"

namespace quilmark {

FrmGif::FrmGif(QWidget* owner) : QDialog(owner) {
  setObjectName("FrmGif");
  setWindowTitle("Export Sequence as GIF");
  setWindowFlags(Qt::Dialog | Qt::WindowTitleHint | Qt::WindowCloseButtonHint);
  auto* form = new QFormLayout(this);
  form->addRow(new QLabel("The animation as an animated GIF in the game's colours, looping:"));
  zoom_ = NamedSpinBox(this, "GifZoom", 1, kMaxGifZoom, 1);
  zoom_->setSuffix("×");
  delay_ = NamedSpinBox(this, "GifDelay", 0, 65535, GifOptions{}.delay);
  delay_->setSuffix(" hundredths of a second");
  form->addRow("&Zoom:", zoom_);
  form->addRow("&Each frame:", delay_);
  AddOkCancel(this, form);
  zoom_->setFocus();
}

}  // namespace quilmark
