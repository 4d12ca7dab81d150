// info and convert: a document shown as JSON, and loaded and saved again.
#include <zlib.h>

#include <ostream>

#include "base/Latin1.h"
#include "cli/Commands.h"
#include "cli/CommandInput.h"
#include "document/classGAF.h"

namespace quilmark {

std::string JsonString(const std::string& latin1) {
  std::string out = "\"";
  // Bytes of the UTF-8 form at 0x80 and above pass unchanged.
  for (const char ch : Latin1ToUtf8(latin1)) {
    const auto c = static_cast<unsigned char>(ch);
    switch (c) {
      case '"': out += "\\\""; break;
      case '\\': out += "\\\\"; break;
      case '\n': out += "\\n"; break;
      case '\r': out += "\\r"; break;
      case '\t': out += "\\t"; break;
      default:
        if (c < 0x20 || c == 0x7F) {
          static const char* hex = "0123456789abcdef";
          out += "\\u00";
          out += hex[c >> 4];
          out += hex[c & 15];
        } else {
          out += ch;
        }
    }
  }
  out += '"';
  return out;
}

namespace {
void WriteFrame(std::ostream& out, const classGAFFrame& frame) {
  const uLong crc = crc32_z(crc32_z(0L, Z_NULL, 0), frame.Pixels.data(), frame.Pixels.size());
  out << "{\"width\": " << frame.Width() << ", \"height\": " << frame.Height() << ", \"x\": " << frame.PositionX()
      << ", \"y\": " << frame.PositionY() << ", \"compressed\": " << static_cast<int>(frame.CompressedByte())
      << ", \"fps\": " << frame.FPS << ", \"crc32\": " << static_cast<unsigned long>(crc) << ", \"subframes\": [";
  bool first = true;
  for (const FramePtr& sub : frame.Subframes) {
    if (!first) out << ", ";
    first = false;
    WriteFrame(out, *sub);
  }
  out << "]}";
}
}  // namespace

int RunInfoCommand(const CommandArgs& args, std::ostream& out, std::ostream& err) {
  const auto read = ReadArguments(*FindCommandLine("info"), args, err);
  if (!read) return 2;
  const std::string& file = read->Operand(0);
  classGAF doc;
  const LoadReport report = LoadDocumentArgument(file, doc);
  // A file that cannot be opened at all, or is no GAF file, is said so, not
  // shown as an empty document.
  if (!report.opened) {
    err << file << ": cannot be read: " << report.problem << "\n";
    return 1;
  }
  out << "{\"complete\": " << (report.complete ? "true" : "false") << ", \"animations\": [";
  bool first_animation = true;
  for (const AnimationPtr& animation : doc.Animations) {
    if (!first_animation) out << ", ";
    first_animation = false;
    out << "{\"name\": " << JsonString(animation->Name) << ", \"animated\": " << (animation->Animated ? "true" : "false")
        << ", \"frames\": [";
    bool first_frame = true;
    for (const FramePtr& frame : animation->Frames) {
      if (!first_frame) out << ", ";
      first_frame = false;
      WriteFrame(out, *frame);
    }
    out << "]}";
  }
  out << "]}\n";
  if (!report.complete) {
    err << file << ": read only in part: " << report.problem << "\n";
    return 1;
  }
  return 0;
}

int RunConvertCommand(const CommandArgs& args, std::ostream& err) {
  const auto read = ReadArguments(*FindCommandLine("convert"), args, err);
  if (!read) return 2;
  const std::vector<std::string>& files = read->Operands();
  const bool compress_all = read->Has("--compress-all"), partial = read->Has("--partial");
  classGAF doc;
  const CommandInput input = LoadCommandInput(files[0], doc, partial, err);
  if (!input) return 1;
  if (compress_all) doc.CompressAll();
  const SaveResult saved = doc.Save(files[1]);
  if (!saved) {
    err << files[1] << ": not saved: " << saved.error << "\n";
    return 1;
  }
  return input.complete ? 0 : 1;
}

}  // namespace quilmark
