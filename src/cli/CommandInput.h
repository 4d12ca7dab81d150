// Loading the GAF file a batch command was given. A command that writes what
// it loaded (convert, pack, build --into) must never replace a good file with
// less than its input held: an input that cannot be opened, or was read only
// in part, stops the command unless the user asked for what could be read.
//
// Wherever a command takes a GAF file it also takes ARCHIVE:PATH
// (archive/ArchiveDocuments.h).
#pragma once

#include <iosfwd>
#include <string>

#include "archive/ArchiveDocuments.h"
#include "document/classGAF.h"

namespace quilmark {

struct CommandInput {
  bool loaded = false;    // the command may go on with doc
  bool complete = false;  // the file was read whole
  explicit operator bool() const { return loaded; }
};

// Loads path into doc (empty). An input that cannot be opened (missing, a
// folder, a pipe, unreadable) fails with one line on err. One read only in
// part fails too, unless partial is set: then doc holds what was read and one
// line on err says what is missing.
CommandInput LoadCommandInput(const std::string& path, classGAF& doc, bool partial, std::ostream& err);

}  // namespace quilmark
