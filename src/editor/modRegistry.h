// Registration of the .gaf file type with the desktop: a MIME type for *.gaf
// and a desktop entry that opens such files with this program.
#pragma once

#include <QString>

namespace quilmark {

// Where the files go, below the user's data folder.
QString MimePackagePath();
QString DesktopEntryPath(const QString& typeName);

// Writes both files, then asks the desktop databases to refresh without
// waiting for them. True when every file was written.
bool RegisterFileType(QString extension, const QString& programPath, QString icon, QString typeName,
                      QString description);

}  // namespace quilmark
