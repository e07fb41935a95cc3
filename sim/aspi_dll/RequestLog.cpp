#include "RequestLog.h"

#include <cstdint>
#include <cstdio>

namespace cdflash::sim::aspi_layer {

std::string RequestLog::Head(const char* kind, const void* block) {
  char head[48];
  std::snprintf(head, sizeof(head), "%s %0*llX", kind, static_cast<int>(2 * sizeof(void*)),
                static_cast<unsigned long long>(reinterpret_cast<std::uintptr_t>(block)));
  return head;
}

void RequestLog::Block(const char* kind, const void* block, std::size_t size) {
  std::string line = Head(kind, block) + ' ';
  const auto* bytes = static_cast<const std::uint8_t*>(block);
  for (std::size_t i = 0; i < size; ++i) {
    char hex[3];
    std::snprintf(hex, sizeof(hex), "%02X", bytes[i]);
    line += hex;
  }
  Line(line);
}

void RequestLog::Line(const std::string& line) {
  // Opened for each line: the file stays whole whenever the DLL goes away.
  const std::lock_guard<std::mutex> lock(mutex_);
  if (std::FILE* file = std::fopen(path_.c_str(), "ab")) {
    std::fprintf(file, "%s\r\n", line.c_str());
    std::fclose(file);
  }
}

}  // namespace cdflash::sim::aspi_layer
