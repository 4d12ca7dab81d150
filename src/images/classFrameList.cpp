#include "images/classFrameList.h"

namespace quilmark {

void classFrameList::Initialize() {
  Name.clear();
  Entries.assign(1, std::string());
}

int32_t classFrameList::FrameCount() const {
  int32_t count = 0;
  for (const std::string& e : Entries)
    if (!e.empty()) ++count;
  return count;
}

bool classFrameList::AddFrame(const std::string& Buffer) {
  if (Entries.size() >= static_cast<size_t>(MaxEntries)) return false;
  Entries.push_back(Buffer);
  return true;
}

void classFrameList::Create(const std::string& Filename) {
  Initialize();
  Name = Filename;
  Entries[0] = Filename;
}

void classFrameList::RemoveFrame(int16_t Index) {
  if (Index < 0 || static_cast<size_t>(Index) >= Entries.size()) return;
  Entries[static_cast<size_t>(Index)].clear();
}

void classFrameList::CreateFrameList(
    const std::function<void(const std::string& text, int16_t index)>& addLine) const {
  for (size_t i = 0; i < Entries.size(); ++i) {
    const std::string& e = Entries[i];
    if (e.empty()) continue;
    const size_t slash = e.rfind('/');
    addLine(slash == std::string::npos ? e : e.substr(slash + 1), static_cast<int16_t>(i));
  }
}

void classFrameList::GetFrames(std::vector<std::string>& Buffer) const {
  Buffer.clear();
  Buffer.reserve(static_cast<size_t>(FrameCount()));
  for (const std::string& e : Entries)
    if (!e.empty()) Buffer.push_back(e);
}

std::vector<std::string> classFrameList::GetFrames() const {
  std::vector<std::string> frames;
  GetFrames(frames);
  return frames;
}

}  // namespace quilmark
