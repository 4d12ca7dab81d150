#include "base/Latin1.h"
#include "images/Manifest.h"

#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <climits>
#include <cstdlib>
#include <cstring>
#include <functional>
#include <limits>
#include <nlohmann/json.hpp>
#include <unordered_set>

#include "base/AtomicFile.h"
#include "document/Collection.h"
#include "base/FileAccess.h"
#include "images/FrameImages.h"
#include "images/modBmp.h"
#include "images/modPng.h"

namespace quilmark {
namespace {

using Json = nlohmann::ordered_json;

// Deeper chains of subframes than any file the reader takes.
constexpr size_t kMaxNesting = 64;

// 8-bit names as JSON text: each byte the character of the same number.
std::string NameText(const std::string& latin1) { return Latin1ToUtf8(latin1); }

// Back from JSON text: nothing when a character lies beyond Latin-1 (the
// bytes then do not give the text back).
std::optional<std::string> NameBytes(const std::string& utf8) {
  std::string bytes = Utf8ToLatin1(utf8);
  if (Latin1ToUtf8(bytes) != utf8) return std::nullopt;
  return bytes;
}

Json FrameJson(const classGAFFrame& frame, const std::vector<ImageFile>& files, size_t& next,
               const std::string& extension) {
  Json j;
  // The export lists the images without subframes in the order met here.
  if (frame.Subframes.IsEmpty() && next < files.size() && files[next].image == &frame) {
    const bool drawable = frame.Width() > 0 && frame.Height() > 0;
    j["image"] = drawable ? Json(files[next].name + "." + extension) : Json(nullptr);
    ++next;
  } else {
    j["image"] = nullptr;
  }
  j["width"] = frame.Width();
  j["height"] = frame.Height();
  j["x"] = frame.PositionX();
  j["y"] = frame.PositionY();
  j["fps"] = frame.FPS;
  j["compressed"] = frame.CompressedByte();
  Json subframes = Json::array();
  for (const FramePtr& sub : frame.Subframes) subframes.push_back(FrameJson(*sub, files, next, extension));
  j["subframes"] = std::move(subframes);
  return j;
}

// Reading, with the field's place for every refusal.
class Reader {
 public:
  explicit Reader(std::string& error) : error_(error) {}

  bool Fail(const std::string& path, const std::string& why) {
    error_ = path + ": " + why;
    return false;
  }
  const Json* Field(const Json& object, const std::string& path, const char* key) {
    const auto it = object.find(key);
    if (it == object.end()) {
      Fail(path + "." + key, "missing");
      return nullptr;
    }
    return &*it;
  }
  bool Number(const Json& object, const std::string& path, const char* key, int64_t min, int64_t max,
              int32_t& out) {
    const Json* v = Field(object, path, key);
    if (!v) return false;
    if (!v->is_number_integer()) return Fail(path + "." + key, "not a whole number");
    const auto n = v->is_number_unsigned() ? static_cast<int64_t>(std::min<uint64_t>(v->get<uint64_t>(), INT64_MAX))
                                           : v->get<int64_t>();
    if (n < min || n > max)
      return Fail(path + "." + key, "out of range (" + std::to_string(min) + " to " + std::to_string(max) + ")");
    out = static_cast<int32_t>(n);
    return true;
  }
  // The list of frames (or subframes) under key, at most `most` of them.
  bool FrameList(const Json& j, const std::string& path, const char* key, size_t most, size_t depth,
                 std::vector<ManifestFrame>& out) {
    const Json* list = Field(j, path, key);
    if (!list) return false;
    const std::string at = path + "." + key;
    if (!list->is_array()) return Fail(at, "not a list");
    if (list->size() > most) return Fail(at, "more than " + std::to_string(most) + " " + key);
    out.resize(list->size());
    for (size_t i = 0; i < list->size(); ++i)
      if (!Frame((*list)[i], at + "[" + std::to_string(i) + "]", depth, out[i])) return false;
    return true;
  }
  bool Frame(const Json& j, const std::string& path, size_t depth, ManifestFrame& out) {
    if (!j.is_object()) return Fail(path, "not an object");
    if (depth > kMaxNesting) return Fail(path, "subframes nested too deeply");
    out.path = path;
    const Json* image = Field(j, path, "image");
    if (!image) return false;
    if (image->is_string()) {
      out.image = image->get<std::string>();
    } else if (!image->is_null()) {
      return Fail(path + ".image", "not a file name or null");
    }
    int32_t compressed = 0;
    if (!Number(j, path, "width", 0, kMaxFrameSide, out.width) ||
        !Number(j, path, "height", 0, kMaxFrameSide, out.height) ||
        !Number(j, path, "x", INT16_MIN, INT16_MAX, out.x) || !Number(j, path, "y", INT16_MIN, INT16_MAX, out.y) ||
        !Number(j, path, "fps", INT32_MIN, INT32_MAX, out.fps) ||
        !Number(j, path, "compressed", 0, 1, compressed))
      return false;
    out.compressed = static_cast<uint8_t>(compressed);
    if (!FrameList(j, path, "subframes", 255, depth + 1, out.subframes)) return false;
    // A frame shows its subframes or its own image, never both.
    if (!out.subframes.empty() && out.image) return Fail(path + ".image", "a frame with subframes has no image");
    if (out.subframes.empty() && !out.image && out.width > 0 && out.height > 0)
      return Fail(path + ".image", "missing for an image of " + std::to_string(out.width) + " x " +
                                       std::to_string(out.height));
    return true;
  }
  bool Document(const Json& j, Manifest& out) {
    if (!j.is_object()) return Fail("manifest", "not an object");
    const Json* format = Field(j, "manifest", "format");
    if (!format) return false;
    if (!format->is_string() || format->get<std::string>() != kManifestFormat)
      return Fail("manifest.format", std::string("not \"") + kManifestFormat + "\"");
    int32_t version = 0;
    if (!Number(j, "manifest", "version", 0, INT32_MAX, version)) return false;
    if (version != kManifestVersion) return Fail("manifest.version", "not a version this program reads");
    const Json* animations = Field(j, "manifest", "animations");
    if (!animations) return false;
    if (!animations->is_array()) return Fail("animations", "not a list");
    std::unordered_set<std::string> names;
    for (size_t i = 0; i < animations->size(); ++i) {
      const Json& a = (*animations)[i];
      const std::string path = "animations[" + std::to_string(i) + "]";
      if (!a.is_object()) return Fail(path, "not an object");
      ManifestAnimation animation;
      const Json* name = Field(a, path, "name");
      if (!name) return false;
      if (!name->is_string()) return Fail(path + ".name", "not text");
      const auto bytes = NameBytes(name->get<std::string>());
      if (!bytes) return Fail(path + ".name", "has a character outside Latin-1");
      if (bytes->empty()) return Fail(path + ".name", "empty");
      if (bytes->find('\0') != std::string::npos) return Fail(path + ".name", "has a 0 character, which ends a name");
      // Names are compared as a file keeps them.
      animation.name = StoredName(*bytes);
      if (!names.insert(FoldCase(animation.name)).second)
        return Fail(path + ".name", animation.name.size() < bytes->size()
                                        ? "another animation has the same first 32 bytes, all a file keeps"
                                        : "another animation has this name");
      const Json* animated = Field(a, path, "animated");
      if (!animated) return false;
      if (!animated->is_boolean()) return Fail(path + ".animated", "not true or false");
      animation.animated = animated->get<bool>();
      if (!FrameList(a, path, "frames", 32767, 0, animation.frames)) return false;
      out.animations.push_back(std::move(animation));
    }
    return true;
  }

 private:
  std::string& error_;
};

// Keys seen while parsing, so that an object that gives a key twice (the
// parser keeps only the last) is refused; twice names the first such field.
struct KeyWatch {
  struct Level {
    bool list = false;
    size_t index = 0;  // a list's element being read
    std::string key;   // an object's field being read
    std::unordered_set<std::string> keys;
  };
  std::vector<Level> levels;
  std::string twice;

  std::string Place() const {
    std::string place;
    for (const Level& level : levels) {
      if (level.list) {
        place += '[';
        place += std::to_string(level.index);
        place += ']';
      } else {
        if (!place.empty()) place += '.';
        place += level.key;
      }
    }
    return place;
  }
  void Ended() {
    if (!levels.empty() && levels.back().list) ++levels.back().index;
  }
  bool operator()(int, nlohmann::detail::parse_event_t event, Json& parsed) {
    using Event = nlohmann::detail::parse_event_t;
    switch (event) {
      case Event::object_start:
      case Event::array_start:
        levels.push_back({event == Event::array_start, 0, {}, {}});
        break;
      case Event::object_end:
      case Event::array_end:
        levels.pop_back();
        Ended();
        break;
      case Event::key: {
        Level& level = levels.back();
        level.key = parsed.get<std::string>();
        if (!level.keys.insert(level.key).second && twice.empty()) twice = Place();
        break;
      }
      case Event::value:
        Ended();
        break;
    }
    return true;
  }
};

// "line L, column C" of byte offset at (counted from 1) in text.
std::string Place(std::string_view text, size_t at) {
  at = std::min(at, text.size() + 1);
  const std::string_view before = text.substr(0, at > 0 ? at - 1 : 0);
  const size_t line = static_cast<size_t>(std::count(before.begin(), before.end(), '\n')) + 1;
  const size_t start = before.rfind('\n');
  const size_t column = before.size() - (start == std::string_view::npos ? 0 : start + 1) + 1;
  return "line " + std::to_string(line) + ", column " + std::to_string(column);
}

bool WriteImageFile(const classGAFFrame& frame, const std::string& path, const std::string& extension,
                    std::string& why) {
  if (extension == "png")
    return WritePNG(path, frame.Pixels, frame.Width(), frame.Height(), GamePalette, &why, OutputName::MadeUp);
  return WriteBMP(path, frame.Pixels, GamePalette, frame.Width(), frame.Height(), true, &why, OutputName::MadeUp);
}

bool ReadWhole(const std::string& path, std::vector<uint8_t>& bytes, std::string& why) {
  InputFile file;
  if (!file.Open(path)) {
    why = file.Error();
    return false;
  }
  bytes.resize(static_cast<size_t>(file.Size()));
  const int64_t got = file.ReadAt(bytes.data(), bytes.size(), 0);
  if (got != file.Size()) {
    why = got < 0 ? file.Error() : "the file changed while it was read";
    return false;
  }
  return true;
}

// Whether path, with every link followed, lies inside folder (a path that
// does not exist does: reading it fails on its own).
bool LeadsInto(const std::string& folder, const std::string& path) {
  char real[PATH_MAX], inside[PATH_MAX];
  if (!::realpath(path.c_str(), real)) return true;
  if (!::realpath(folder.c_str(), inside)) return false;
  const std::string root = std::string(inside) == "/" ? "/" : std::string(inside) + "/";
  return std::string_view(real).starts_with(root);
}

bool SameColours(const Palette& a, const Palette& b) {
  for (size_t i = 0; i < a.size(); ++i)
    if (a[i].Red != b[i].Red || a[i].Green != b[i].Green || a[i].Blue != b[i].Blue) return false;
  return true;
}

// The image of one manifest entry, as game-palette indices.
bool ReadImage(const std::string& folder, const ManifestFrame& entry, std::vector<uint8_t>& pixels,
               std::string& error) {
  const std::string& name = *entry.image;
  // The file lies in the folder itself.
  if (name.empty() || name.find('/') != std::string::npos || name == "." || name == "..") {
    error = entry.path + ".image: not a file name in the folder";
    return false;
  }
  // Nor through a link that leads out of it.
  if (!LeadsInto(folder, folder + name)) {
    error = entry.path + ".image: " + name + " leads out of the folder";
    return false;
  }
  std::vector<uint8_t> bytes;
  std::string why;
  if (!ReadWhole(folder + name, bytes, why)) {
    error = entry.path + ".image: " + name + ": " + why;
    return false;
  }
  LoadedBitmap bitmap;
  why.clear();
  const bool decoded = IsPNG(bytes.data(), bytes.size()) ? DecodePNG(bytes.data(), bytes.size(), bitmap, &why)
                                                          : DecodeBMP(bytes.data(), bytes.size(), bitmap, &why);
  if (!decoded) {
    error = entry.path + ".image: " + name + ": " + why;
    return false;
  }
  if (bitmap.BMPInfoHeader.Width != entry.width || bitmap.BMPInfoHeader.Height != entry.height) {
    error = entry.path + ".image: " + name + " is " + std::to_string(bitmap.BMPInfoHeader.Width) + " x " +
            std::to_string(bitmap.BMPInfoHeader.Height) + ", not " + std::to_string(entry.width) + " x " +
            std::to_string(entry.height);
    return false;
  }
  // Its own indices when they are the game's; mapped as an import otherwise.
  if (!bitmap.OwnColourTable || !SameColours(bitmap.BMPPalette, GamePalette)) RemapToGamePalette(bitmap);
  pixels = std::move(bitmap.BMPPixels);
  return true;
}

bool BuildFrame(const std::string& folder, const ManifestFrame& entry, classGAFFrame& frame, std::string& error) {
  std::vector<uint8_t> pixels(static_cast<size_t>(entry.width) * static_cast<size_t>(entry.height), 0);
  if (entry.image && !ReadImage(folder, entry, pixels, error)) return false;
  if (!frame.SetImage(entry.width, entry.height, std::move(pixels))) {
    error = entry.path + ": the image cannot be held";
    return false;
  }
  (void)frame.SetPositionX(entry.x);
  (void)frame.SetPositionY(entry.y);
  frame.FPS = entry.fps;
  frame.SetCompressedByte(entry.compressed);
  for (const ManifestFrame& subEntry : entry.subframes) {
    auto sub = std::make_shared<classGAFFrame>();
    if (!BuildFrame(folder, subEntry, *sub, error)) return false;
    frame.Subframes.Add(sub);
  }
  return true;
}

// The file names an earlier manifest gave its images, whatever else it holds:
// plain names only, never a path out of the folder.
std::vector<std::string> ImagesNamedIn(const std::vector<uint8_t>& text) {
  std::vector<std::string> names;
  const Json j = Json::parse(text.begin(), text.end(), nullptr, false);
  std::function<void(const Json&)> walk = [&](const Json& value) {
    if (value.is_array()) {
      for (const Json& item : value) walk(item);
    } else if (value.is_object()) {
      for (const auto& [key, item] : value.items()) {
        if (key != "image" || !item.is_string()) {
          walk(item);
          continue;
        }
        const std::string name = item.get<std::string>();
        if (!name.empty() && name != "." && name != ".." && name.find('/') == std::string::npos)
          names.push_back(name);
      }
    }
  };
  if (!j.is_discarded()) walk(j);
  return names;
}

std::string InFolder(std::string folder) {
  if (!folder.empty() && folder.back() != '/') folder += '/';
  return folder;
}

}  // namespace

std::string ManifestText(const classGAF& doc, const std::string& extension) {
  const std::vector<ImageFile> files = ExportFiles(doc);
  size_t next = 0;
  Json animations = Json::array();
  for (const AnimationPtr& animation : doc.Animations) {
    Json a;
    a["name"] = NameText(animation->Name);
    a["animated"] = animation->Animated;
    Json frames = Json::array();
    for (const FramePtr& frame : animation->Frames) frames.push_back(FrameJson(*frame, files, next, extension));
    a["frames"] = std::move(frames);
    animations.push_back(std::move(a));
  }
  Json j;
  j["format"] = kManifestFormat;
  j["version"] = kManifestVersion;
  j["animations"] = std::move(animations);
  return j.dump(2) + "\n";
}

bool ParseManifest(std::string_view text, Manifest& out, std::string& error, const std::string& source) {
  KeyWatch keys;
  Json j;
  try {
    j = Json::parse(text.begin(), text.end(), std::ref(keys));
  } catch (const Json::parse_error& e) {
    error = source + ": not JSON: " + Place(text, e.byte);
    return false;
  } catch (const Json::exception&) {
    // A number beyond what a double holds: the parser says no more than that.
    error = source + ": not JSON: a number out of range";
    return false;
  }
  if (!keys.twice.empty()) {
    error = keys.twice + ": given twice in one object";
    return false;
  }
  Manifest manifest;
  Reader reader(error);
  if (!reader.Document(j, manifest)) return false;
  out = std::move(manifest);
  return true;
}

bool ExplodeDocument(const classGAF& doc, const std::string& folder, const std::string& extension,
                     std::vector<std::string>& errors) {
  const std::string dir = InFolder(folder);
  // A compressed byte other than 0 or 1 comes only from a damaged file, and no
  // manifest holds one: such a document is no folder.
  std::function<bool(const classGAFFrame&)> stored = [&](const classGAFFrame& frame) {
    return frame.CompressedByte() <= 1 &&
           std::all_of(frame.Subframes.begin(), frame.Subframes.end(), [&](const FramePtr& sub) { return stored(*sub); });
  };
  for (const AnimationPtr& animation : doc.Animations)
    if (!std::all_of(animation->Frames.begin(), animation->Frames.end(), [&](const FramePtr& f) { return stored(*f); })) {
      errors.push_back(NameText(animation->Name) + ": a compressed byte other than 0 or 1, which only a damaged file holds");
      return false;
    }
  // An earlier explode's manifest goes first, so that a folder left half
  // written is no document at all rather than a document neither file holds.
  std::vector<uint8_t> before;
  std::string why;
  const bool earlier = ReadWhole(dir + kManifestName, before, why);
  if (::unlink((dir + kManifestName).c_str()) != 0 && errno != ENOENT) {
    errors.push_back(dir + kManifestName + ": cannot be replaced: " + std::strerror(errno));
    return false;
  }
  std::unordered_set<std::string> written;
  for (const ImageFile& file : ExportFiles(doc)) {
    if (file.image->Width() <= 0 || file.image->Height() <= 0) continue;  // nothing to draw; the manifest says its size
    const std::string name = file.name + "." + extension;
    written.insert(name);
    if (!WriteImageFile(*file.image, dir + name, extension, why)) errors.push_back(dir + name + ": " + why);
  }
  // The manifest last, and only when every image is there.
  if (!errors.empty()) return false;
  AtomicFile manifest(dir + kManifestName, OutputName::MadeUp);
  const std::string text = ManifestText(doc, extension);
  if (!manifest.Open() || !manifest.Write(text.data(), text.size()) || !manifest.Commit()) {
    errors.push_back(dir + kManifestName + ": " + manifest.Error());
    return false;
  }
  // The images the earlier manifest named and this one does not go, so that
  // the folder holds no stale ones; nothing else in it is touched.
  if (earlier)
    for (const std::string& name : ImagesNamedIn(before)) {
      struct stat st {};
      if (written.count(name) == 0 && ::lstat((dir + name).c_str(), &st) == 0 &&
          (S_ISREG(st.st_mode) || S_ISLNK(st.st_mode)))
        ::unlink((dir + name).c_str());
    }
  return true;
}

bool ImplodeDocument(const std::string& folder, classGAF& doc, std::string& error) {
  const std::string dir = InFolder(folder);
  std::vector<uint8_t> bytes;
  std::string why;
  if (!ReadWhole(dir + kManifestName, bytes, why)) {
    error = dir + kManifestName + ": " + why;
    return false;
  }
  Manifest manifest;
  if (!ParseManifest(std::string_view(reinterpret_cast<const char*>(bytes.data()), bytes.size()), manifest, error,
                     dir + kManifestName))
    return false;
  classGAF built;
  for (const ManifestAnimation& entry : manifest.animations) {
    auto animation = std::make_shared<classGAFAnimation>();
    animation->Name = entry.name;
    animation->Animated = entry.animated;
    for (const ManifestFrame& frameEntry : entry.frames) {
      auto frame = std::make_shared<classGAFFrame>();
      if (!BuildFrame(dir, frameEntry, *frame, error)) return false;
      animation->Frames.Add(frame);
    }
    (void)built.Animations.Add(animation, animation->Name);
  }
  doc.Animations = std::move(built.Animations);
  return true;
}

}  // namespace quilmark
