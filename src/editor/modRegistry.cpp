#include "editor/modRegistry.h"

#include <QDir>
#include <QFileInfo>
#include <QProcess>
#include <QSaveFile>
#include <QStandardPaths>

namespace quilmark {
namespace {

QString DataHome() { return QStandardPaths::writableLocation(QStandardPaths::GenericDataLocation); }

bool WriteText(const QString& path, const QString& text) {
  if (!QDir().mkpath(QFileInfo(path).absolutePath())) return false;
  QSaveFile file(path);
  if (!file.open(QIODevice::WriteOnly)) return false;
  const QByteArray bytes = text.toUtf8();
  if (file.write(bytes) != bytes.size()) return false;
  return file.commit();
}

QString Escape(QString s) {
  return s.replace('&', "&amp;").replace('<', "&lt;").replace('>', "&gt;").replace('"', "&quot;");
}

void RefreshDatabase(const QString& tool, const QString& folder) {
  const QString exe = QStandardPaths::findExecutable(tool);
  if (!exe.isEmpty()) QProcess::startDetached(exe, {folder});
}

}  // namespace

QString MimePackagePath() { return DataHome() + "/mime/packages/quilmark-gaf.xml"; }
QString DesktopEntryPath(const QString& typeName) { return DataHome() + "/applications/" + typeName.toLower() + ".desktop"; }

bool RegisterFileType(QString extension, const QString& programPath, QString icon, QString typeName,
                      QString description) {
  if (!extension.contains('.')) extension = "." + extension;
  if (icon.trimmed().isEmpty()) icon = programPath;
  if (typeName.isEmpty()) typeName = "Reg.Application";
  if (description.isEmpty()) description = "RegDescription";
  // A path with blanks is quoted, as desktop entries require.
  const QString program = programPath.contains(' ') ? "\"" + programPath + "\"" : programPath;
  const QString command = program + " %f";
  const QString glob = "*" + extension;

  const QString mime =
      "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n"
      "<mime-info xmlns=\"http://www.freedesktop.org/standards/shared-mime-info\">\n"
      "  <mime-type type=\"image/x-gaf\">\n"
      "    <comment>" + Escape(description) + "</comment>\n"
      "    <glob pattern=\"" + Escape(glob) + "\"/>\n"
      "  </mime-type>\n"
      "</mime-info>\n";
  if (!WriteText(MimePackagePath(), mime)) return false;

  const QString entry = "[Desktop Entry]\n"
                        "Type=Application\n"
                        "Name=" + typeName + "\n"
                        "Comment=" + description + "\n"
                        "Exec=" + command + "\n"
                        "Icon=" + icon + "\n"
                        "MimeType=image/x-gaf;\n"
                        "Terminal=false\n"
                        "Categories=Graphics;\n";
  if (!WriteText(DesktopEntryPath(typeName), entry)) return false;

  RefreshDatabase("update-mime-database", DataHome() + "/mime");
  RefreshDatabase("update-desktop-database", DataHome() + "/applications");
  return true;
}

}  // namespace quilmark
