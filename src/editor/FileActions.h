// The File menu's commands over the document: new, open, save, UFO export,
// the question before unsaved changes go, and the recovery copies offered at
// start-up.
#pragma once

#include <QObject>
#include <functional>

#include "editor/GafDocument.h"
#include "editor/WindowServices.h"

namespace quilmark {

class RecoveryKeeper;

class FileActions : public QObject {
  Q_OBJECT
 public:
  FileActions(GafDocument& doc, WindowServices& window, RecoveryKeeper& recovery, QObject* parent);

  void New();
  // The file dialog, then the file opened.
  void Open();
  void OpenFile(const QString& name);
  // The file dialog for an archive, then OpenArchive.
  void OpenFromArchive();
  // The archive's GAF files in the Open from Archive dialog, then the chosen
  // one opened; its document is named ARCHIVE:PATH.
  void OpenArchive(const QString& archive);
  // A file of the Recent Files list (a GAF file, or ARCHIVE:PATH), after the
  // question about unsaved changes.
  void OpenRecent(const QString& path);
  // Save GAF: the dialog, then the save; true when the document was saved.
  // A document from an archive may be written back into it instead.
  bool SaveAs();
  void ExportUfo();

  // What takes the document's place when it has unsaved changes.
  enum class Leaving { Closing, Opening, Starting };
  // Asks whether to save the changes first ("Save changes to ... before
  // closing?"); true when the document may go: it had no changes, it was
  // saved, or the user discarded them. False on Cancel or a failed save.
  bool MayLeave(Leaving why);
  // Offers the recovery copies of editors that did not close normally.
  void OfferRecovery();

 signals:
  // A file was opened or saved under path (ARCHIVE:PATH for a file in an
  // archive).
  void Used(const QString& path);

 private:
  // What fills a new document, with the progress window to tell.
  using Reader = std::function<LoadReport(classGAF& gaf, ProgressSink* progress)>;
  static Reader FileReader(const QString& path);
  // read fills a new document while messages pass; it then replaces this one,
  // named fileName, clean or, for a recovered copy, never saved. path names
  // what was read in messages. False when nothing could be read.
  bool Load(const QString& path, const std::string& fileName, GafDocument::Saved saved, const Reader& read);
  // Puts the document back into the archive it came from, in place of its
  // file there; every other file of the archive stays as it is.
  bool WriteBack(const std::string& archive, const std::string& path);

  GafDocument& doc_;
  WindowServices& window_;
  RecoveryKeeper& recovery_;
};

}  // namespace quilmark
