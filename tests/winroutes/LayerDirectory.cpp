#include "LayerDirectory.h"

#include <bit>
#include <fstream>
#include <sstream>
#include <stdexcept>

namespace cdflash::winroutes {

namespace {

constexpr char kLayerFile[] = "WNASPI32.dll";

std::string ProgramDirectory() {
  char path[MAX_PATH] = {};
  const DWORD length = GetModuleFileNameA(nullptr, path, MAX_PATH);
  std::string text(path, length);
  return text.substr(0, text.find_last_of('\\'));
}

std::vector<std::uint8_t> HexBytes(const std::string& hex) {
  std::vector<std::uint8_t> bytes;
  for (std::size_t i = 0; i + 1 < hex.size(); i += 2) {
    bytes.push_back(static_cast<std::uint8_t>(std::stoul(hex.substr(i, 2), nullptr, 16)));
  }
  return bytes;
}

}  // namespace

LayerDirectory::LayerDirectory(const std::string& layer, const std::string& ini) {
  if (!layer.empty()) {
    const std::string source = ProgramDirectory() + "\\layers\\" + layer + "\\" + kLayerFile;
    if (!CopyFileA(source.c_str(), (folder_ / kLayerFile).c_str(), FALSE)) {
      throw std::runtime_error("cannot copy " + source);
    }
  }
  if (!ini.empty()) test::WriteText(folder_ / "WNASPI32.INI", ini);
  SetDllDirectoryA(folder_.Path().c_str());
}

LayerDirectory::~LayerDirectory() { SetDllDirectoryA(nullptr); }

std::vector<LogLine> LayerDirectory::Log() const {
  std::vector<LogLine> lines;
  std::ifstream in(folder_ / "WNASPI32.LOG");
  std::string text;
  while (std::getline(in, text)) {
    if (!text.empty() && text.back() == '\r') text.pop_back();
    std::istringstream words(text);
    LogLine line;
    std::string address;
    words >> line.kind >> address;
    line.address = std::stoull(address, nullptr, 16);
    if (line.kind == "DONE") {
      for (std::string word; words >> word;) line.words.push_back(word);
    } else {
      std::string hex;
      words >> hex;
      line.bytes = HexBytes(hex);
    }
    lines.push_back(std::move(line));
  }
  return lines;
}

std::vector<LogLine> LayerDirectory::Log(const std::string& kind) const {
  std::vector<LogLine> lines;
  for (LogLine& line : Log()) {
    if (line.kind == kind) lines.push_back(std::move(line));
  }
  return lines;
}

bool LayerLoaded() { return GetModuleHandleA("WNASPI32.DLL") != nullptr; }

int ExpirePendingRequests() {
  const HMODULE layer = GetModuleHandleA("WNASPI32.DLL");
  if (layer == nullptr) return -1;
  const auto expire = reinterpret_cast<int(__cdecl*)()>(
      reinterpret_cast<void (*)()>(GetProcAddress(layer, "SimAspiExpirePending")));
  return expire != nullptr ? expire() : -1;
}

std::size_t DriveRootCount() { return static_cast<std::size_t>(std::popcount(GetLogicalDrives())); }

}  // namespace cdflash::winroutes
