#include "editorcore/Recovery.h"

#include <dirent.h>
#include <fcntl.h>
#include <pwd.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <charconv>
#include <cstdlib>
#include <ctime>
#include <random>

#include "base/AtomicFile.h"
#include "base/FileAccess.h"

namespace quilmark {

namespace {

constexpr std::string_view kFirstLine = "quilmark-recovery 1";
// A sidecar is a few lines; anything larger is not one.
constexpr int64_t kInfoLimit = 64 << 10;

bool Escaped(unsigned char c) { return c < 0x21 || c == 0x7F || c == '%'; }

std::string Escape(const std::string& bytes) {
  static const char digits[] = "0123456789ABCDEF";
  std::string out;
  for (const char ch : bytes) {
    const auto c = static_cast<unsigned char>(ch);
    if (!Escaped(c)) {
      out += ch;
      continue;
    }
    out += '%';
    out += digits[c >> 4];
    out += digits[c & 15];
  }
  return out;
}

int HexValue(char c) {
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  return -1;
}

std::optional<std::string> Unescape(std::string_view text) {
  std::string out;
  for (size_t i = 0; i < text.size(); ++i) {
    if (text[i] != '%') {
      out += text[i];
      continue;
    }
    if (i + 2 >= text.size()) return std::nullopt;
    const int high = HexValue(text[i + 1]), low = HexValue(text[i + 2]);
    if (high < 0 || low < 0) return std::nullopt;
    out += static_cast<char>(high * 16 + low);
    i += 2;
  }
  return out;
}

std::optional<int64_t> Number(std::string_view text) {
  int64_t value = 0;
  const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
  if (error != std::errc() || end != text.data() + text.size()) return std::nullopt;
  return value;
}

// Makes every missing folder of path with permissions 0700; the last one must
// then be a folder of this user's that no link leads to, and is made 0700.
bool MakePrivateFolder(const std::string& path) {
  for (size_t slash = path.find('/', 1);; slash = path.find('/', slash + 1)) {
    const std::string part = path.substr(0, slash);
    if (::mkdir(part.c_str(), 0700) != 0 && errno != EEXIST) return false;
    if (slash == std::string::npos) break;
  }
  struct stat st {};
  if (::lstat(path.c_str(), &st) != 0 || !S_ISDIR(st.st_mode) || st.st_uid != ::geteuid()) return false;
  return (st.st_mode & 077) == 0 || ::chmod(path.c_str(), 0700) == 0;
}

// The id a file of the folder belongs to: "<id>.gaf", "<id>.info",
// "<id>.lock", or a temporary file ".<id>.gaf.XXXXXX" of a write.
std::string IdOf(std::string name) {
  if (name.starts_with('.')) {
    name.erase(0, 1);
    const size_t dot = name.rfind('.');
    if (dot == std::string::npos) return {};
    name.erase(dot);
  }
  for (const char* extension : {".gaf", ".info", ".lock"})
    if (name.ends_with(extension)) return name.substr(0, name.size() - std::char_traits<char>::length(extension));
  return {};
}

std::optional<RecoveryInfo> ReadInfo(const std::string& path) {
  InputFile in;
  if (!in.Open(path) || in.Size() > kInfoLimit) return std::nullopt;
  std::string text(static_cast<size_t>(in.Size()), '\0');
  if (in.ReadAt(text.data(), text.size(), 0) != in.Size()) return std::nullopt;
  return ParseRecoveryInfo(text);
}

bool RegularFile(const std::string& path) {
  struct stat st {};
  return ::lstat(path.c_str(), &st) == 0 && S_ISREG(st.st_mode);
}

}  // namespace

std::string FormatRecoveryInfo(const RecoveryInfo& info) {
  return std::string(kFirstLine) + "\nfile " + Escape(info.file) + "\nsaved " + std::to_string(info.saved) +
         "\npid " + std::to_string(info.pid) + "\n";
}

std::optional<RecoveryInfo> ParseRecoveryInfo(std::string_view text) {
  const size_t end = text.find('\n');
  if (text.substr(0, end) != kFirstLine || end == std::string_view::npos) return std::nullopt;
  RecoveryInfo info;
  bool file = false, saved = false, pid = false;
  for (size_t at = end + 1; at < text.size();) {
    size_t stop = text.find('\n', at);
    if (stop == std::string_view::npos) stop = text.size();
    const std::string_view line = text.substr(at, stop - at);
    at = stop + 1;
    const size_t space = line.find(' ');
    if (space == std::string_view::npos) continue;
    const std::string_view key = line.substr(0, space), value = line.substr(space + 1);
    if (key == "file") {
      const auto path = Unescape(value);
      if (!path || path->empty()) return std::nullopt;
      info.file = *path;
      file = true;
    } else if (key == "saved" || key == "pid") {
      const auto number = Number(value);
      if (!number) return std::nullopt;
      (key == "saved" ? info.saved : info.pid) = *number;
      (key == "saved" ? saved : pid) = true;
    }
  }
  if (!file || !saved || !pid) return std::nullopt;
  return info;
}

std::string RecoveryFolder() {
  std::string state;
  if (const char* xdg = std::getenv("XDG_STATE_HOME"); xdg && xdg[0] == '/') {
    state = xdg;
  } else {
    const char* home = std::getenv("HOME");
    if (!home || home[0] != '/') {
      const passwd* user = ::getpwuid(::geteuid());
      home = user ? user->pw_dir : nullptr;
    }
    if (!home || home[0] != '/') return {};
    state = std::string(home) + "/.local/state";
  }
  while (state.size() > 1 && state.ends_with('/')) state.pop_back();
  return state + "/quilmark/recovery";
}

std::unique_ptr<RecoveryCopy> RecoveryCopy::Create(std::string folder) {
  std::random_device random;
  const auto tag = std::uniform_int_distribution<uint32_t>()(random);
  char hex[9];
  std::snprintf(hex, sizeof hex, "%08x", tag);
  return std::unique_ptr<RecoveryCopy>(
      new RecoveryCopy(std::move(folder), std::to_string(::getpid()) + "-" + hex));
}

bool RecoveryCopy::Lock() {
  if (lock_ >= 0) return true;
  const int fd = ::open(Path(".lock").c_str(), O_RDWR | O_CREAT | O_NOFOLLOW | O_CLOEXEC, 0600);
  if (fd < 0) return false;
  if (::flock(fd, LOCK_EX | LOCK_NB) != 0) {
    ::close(fd);
    return false;
  }
  lock_ = fd;
  return true;
}

RecoveryCopy::~RecoveryCopy() {
  if (lock_ >= 0) ::close(lock_);
}

SaveResult RecoveryCopy::Write(const classGAF& doc, const RecoveryInfo& info) {
  SaveResult result;
  if (lock_ < 0 && (!MakePrivateFolder(folder_) || !Lock())) {
    result.error = "the folder " + folder_ + " cannot be used";
    return result;
  }
  AtomicFile copy(DocumentPath(), AtomicFile::Private{});
  result = doc.Save(copy);
  if (!result) return result;
  AtomicFile sidecar(Path(".info"), AtomicFile::Private{});
  const std::string text = FormatRecoveryInfo(info);
  if (!sidecar.Open() || !sidecar.Write(text.data(), text.size()) || !sidecar.Commit()) {
    result.ok = false;
    result.error = sidecar.Error();
    return result;
  }
  info_ = info;
  return result;
}

void RecoveryCopy::Remove() {
  for (const char* extension : {".info", ".gaf", ".lock"}) ::unlink(Path(extension).c_str());
}

std::vector<std::unique_ptr<RecoveryCopy>> RecoveryCopy::Left(const std::string& folder) {
  std::vector<std::unique_ptr<RecoveryCopy>> copies;
  std::vector<std::string> names;
  if (DIR* dir = ::opendir(folder.c_str())) {
    while (const dirent* entry = ::readdir(dir)) names.emplace_back(entry->d_name);
    ::closedir(dir);
  }
  std::vector<std::string> ids;
  for (const std::string& name : names)
    if (std::string id = IdOf(name); !id.empty() && std::find(ids.begin(), ids.end(), id) == ids.end())
      ids.push_back(std::move(id));
  for (const std::string& id : ids) {
    std::unique_ptr<RecoveryCopy> copy(new RecoveryCopy(folder, id));
    // A copy whose lock is held belongs to an editor that runs.
    if (!copy->Lock()) continue;
    const auto info = ReadInfo(copy->Path(".info"));
    if (info && RegularFile(copy->DocumentPath())) {
      copy->info_ = *info;
      copies.push_back(std::move(copy));
      continue;
    }
    // What a dead editor left that is no whole copy goes.
    for (const std::string& name : names)
      if (name.starts_with('.') && IdOf(name) == id) ::unlink((folder + "/" + name).c_str());
    copy->Remove();
  }
  std::stable_sort(copies.begin(), copies.end(),
                   [](const auto& a, const auto& b) { return a->info_.saved > b->info_.saved; });
  return copies;
}

}  // namespace quilmark
