#include "images/ImageFile.h"

#include "base/FileAccess.h"
#include "images/modPng.h"

namespace quilmark {

bool ReadImage(const std::string& filename, LoadedBitmap& out, std::string* why, ColourMatch match) {
  InputFile file;
  if (!file.Open(filename)) return Refusal(why)(file.Error());
  uint8_t head[8];
  const bool png = file.ReadAt(head, sizeof head, 0) == static_cast<int64_t>(sizeof head) && IsPNG(head, sizeof head);
  return png ? ReadPNG(file, out, why, match) : ReadBMP(file, out, why);
}

bool ReadImageFromMemory(const uint8_t* data, size_t size, LoadedBitmap& out, std::string* why, ColourMatch match) {
  return IsPNG(data, size) ? ReadPNGFromMemory(data, size, out, why, match) : ReadBMPFromMemory(data, size, out, why);
}

}  // namespace quilmark
