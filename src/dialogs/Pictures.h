// The editor's own pictures, drawn in code: the toolbar's image list and the
// program's icon.
#pragma once

#include <QIcon>
#include <QPixmap>

namespace quilmark {

// Picture number 1 to 7 of the toolbar's image list (new, open, save, create
// sequence, import sequence, export sequence, preview); a null icon otherwise.
QIcon ToolbarPicture(int number);

// The program's icon at size x size pixels: a film strip of three frames.
QPixmap ProgramPixmap(int size);
QIcon ProgramIcon();

}  // namespace quilmark
