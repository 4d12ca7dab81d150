// What the editor's commands ask of the window they run in: messages, the file
// dialog, notes in the status bar, and the controls held still while a
// command works.
#pragma once

#include <QString>
#include <QWidget>

#include "document/Interfaces.h"

namespace quilmark {

// What a file command asks of the file dialog.
struct FileDialogRequest {
  bool save = false;
  QString filter;         // "GAF files (*.gaf)|*.gaf"
  QString defaultSuffix;  // "gaf"
  QString folder;         // empty: the dialog's last folder
  QString fileName;       // initial file name
};

// The platform's file dialog for request, starting at lastFolder when the
// request names none; the chosen path (lastFolder becomes its folder), empty
// for cancel.
QString RunFileDialog(QWidget* owner, const FileDialogRequest& request, QString& lastFolder);

class WindowServices : public MessageSink {
 public:
  // The window dialogs are owned by.
  virtual QWidget* Owner() = 0;
  virtual QString ShowFileDialog(const FileDialogRequest& request) = 0;
  virtual void EnableControls(bool enabled) = 0;
  // A passing note in the status bar.
  virtual void Note(const QString& text) = 0;
  // Commits what the user typed and has not yet applied.
  virtual void ApplyPendingEdits() = 0;
  void Message(const QString& text) { ShowMessage(text.toStdString()); }
};

}  // namespace quilmark
