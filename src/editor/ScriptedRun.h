// A script of user actions for tests that run the real editor program in a
// process of their own (QUILMARK_TEST_SCRIPT=FILE): one action a line, run in
// order from the event loop, so that dialogs and their questions open as they
// do for a user.
//   type NAME TEXT   types TEXT into the text box NAME and presses Enter
//   trigger NAME     the menu item or toolbar button NAME
//   press TEXT       the button TEXT of the modal window (waits up to 10 s for one)
//   write PATH       what a save would write now, to PATH; the document keeps its changes
//   saveas PATH      Save GAF, the file dialog answered with PATH
//   print            one line on standard output: title|status panel 3
//   quit             closes the main window
// "done" is printed once every line has run; a line that cannot run prints
// "failed: LINE" and ends the script.
#pragma once

#include <QString>

namespace quilmark {

class FrmQuilmark;

void RunScript(FrmQuilmark& window, const QString& path);

}  // namespace quilmark
