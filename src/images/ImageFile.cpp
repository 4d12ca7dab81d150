#include "images/ImageFile.h"

#include "document/FileAccess.h"
#include "images/modPng.h"

namespace quilmark {

bool ReadImage(const std::string& filename, LoadedBitmap& out) {
  uint8_t head[8];
  {
    InputFile file;
    if (!file.Open(filename)) return false;
    if (file.ReadAt(head, sizeof head, 0) == static_cast<int64_t>(sizeof head) && IsPNG(head, sizeof head))
      return ReadPNG(filename, out);
  }
  return ReadBMP(filename, out);
}

bool ReadImageFromMemory(const uint8_t* data, size_t size, LoadedBitmap& out) {
  return IsPNG(data, size) ? ReadPNGFromMemory(data, size, out) : ReadBMPFromMemory(data, size, out);
}

}  // namespace quilmark
