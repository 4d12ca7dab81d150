// Documents inside archives, named ARCHIVE:PATH: the archive's file name, a
// colon, and the path of the file inside it. Such a name stands for a file in
// an archive when no file of that whole name exists and the part before the
// last ":" is an archive (told by its header), so that a file whose own name
// holds a colon is still itself.
#pragma once

#include <string>
#include <string_view>

#include "archive/HpiReader.h"
#include "archive/HpiUpdate.h"
#include "document/classGAF.h"

namespace quilmark {

// The archive and the path inside it, when name names a file in an archive.
bool SplitArchiveArgument(const std::string& name, std::string& archive, std::string& path);
// The name of the file at path in archive.
inline std::string ArchiveArgument(const std::string& archive, const std::string& path) {
  return archive + ":" + path;
}

// How a file in an archive is shown to the user: "tank.ufo: units\tank.gaf";
// empty when name names no file in an archive.
std::string ShownArchiveName(const std::string& name);

// Whether a file of the archive is a GAF file, by its first bytes (only those
// are read): it starts with the GAF version number.
enum class GafLook { Yes, No, Unreadable };
GafLook LooksLikeGaf(HpiArchive& archive, const HpiEntry& entry);

// Loads the file at path of an open archive into doc (read into memory within
// the archive reader's limits, then loaded).
LoadReport LoadFromArchive(HpiArchive& archive, const std::string& path, classGAF& doc);

// Puts doc into the archive under path (ReplaceEntry), by way of a scratch
// file beside the archive that is removed again. A scratch file that could
// not be removed is told in the result's warning; the update stands.
HpiUpdateResult PutDocument(const classGAF& doc, const std::string& archive, std::string_view path, bool keep_key);

// Loads the document a name names: a GAF file, or ARCHIVE:PATH (the file read
// into memory within the archive reader's limits, then loaded).
LoadReport LoadDocumentArgument(const std::string& name, classGAF& doc);

// The file name the name's document has of its own: the part after the last
// "/", or for ARCHIVE:PATH the last part of PATH.
std::string DocumentArgumentName(const std::string& name);

}  // namespace quilmark
