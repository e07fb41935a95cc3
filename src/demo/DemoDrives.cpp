#include "demo/DemoDrives.h"

#include <filesystem>
#include <fstream>
#include <iterator>
#include <system_error>

#include "common/Text.h"

namespace cdflash::demo {

namespace {

constexpr std::size_t kVendorLength = 8;
constexpr std::size_t kProductLength = 16;
constexpr std::size_t kRevisionLength = 4;

std::vector<std::string_view> Fields(std::string_view line) {
  std::vector<std::string_view> fields;
  for (std::size_t start = 0;;) {
    const std::size_t bar = line.find('|', start);
    fields.push_back(Trimmed(line.substr(start, bar == std::string_view::npos ? bar : bar - start)));
    if (bar == std::string_view::npos) return fields;
    start = bar + 1;
  }
}

// Empty when the field fits, else what is wrong with it.
std::string TooLong(const char* name, std::string_view field, std::size_t limit) {
  if (field.size() <= limit) return {};
  return std::string(name) + " \"" + std::string(field) + "\" is longer than " +
         std::to_string(limit) + " characters";
}

}  // namespace

// Written as a drives file would be, which is also what it stands in for.
std::vector<sim::DriveConfig> BuiltInDrives() {
  return ParseDrives("ACME|CRW-4012A|1.20\n"
                     "OTHER|DVD-ROM 16X|2.00\n"
                     "ACME|CRW-4012A|1.50\n")
      .drives;
}

DemoDrives ParseDrives(std::string_view text) {
  DemoDrives result;
  std::size_t number = 0;
  while (!text.empty()) {
    const std::size_t end = text.find('\n');
    std::string_view line = text.substr(0, end);
    text = end == std::string_view::npos ? std::string_view{} : text.substr(end + 1);
    ++number;
    if (!line.empty() && line.back() == '\r') line.remove_suffix(1);

    const std::string_view content = Trimmed(line);
    if (content.empty() || content.front() == '#') continue;
    const std::string where = "line " + std::to_string(number) + ": ";

    const std::vector<std::string_view> fields = Fields(line);
    if (fields.size() != 3) {
      result.problems.push_back(where + "expected vendor|product|revision");
      continue;
    }
    std::string problem = TooLong("vendor", fields[0], kVendorLength);
    if (problem.empty()) problem = TooLong("product", fields[1], kProductLength);
    if (problem.empty()) problem = TooLong("revision", fields[2], kRevisionLength);
    if (!problem.empty()) {
      result.problems.push_back(where + problem);
      continue;
    }
    if (result.drives.size() == kMaxDemoDrives) {
      result.problems.push_back(where + "more than " + std::to_string(kMaxDemoDrives) +
                                " drives; the rest are left out");
      break;
    }
    result.drives.push_back(
        sim::DriveWithIdentity(std::string(fields[0]), std::string(fields[1]), std::string(fields[2])));
  }
  return result;
}

DemoDrives LoadDrives(const std::string& directory) {
  const std::filesystem::path path = std::filesystem::path(directory) / kDrivesFileName;
  std::error_code error;
  if (!std::filesystem::exists(path, error)) {
    return {BuiltInDrives(), {}, "built-in drives"};
  }
  std::ifstream in(path, std::ios::binary);
  if (!in) {
    return {BuiltInDrives(), {"cannot read " + path.string() + "; using the built-in drives"},
            "built-in drives"};
  }
  const std::string text{std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
  DemoDrives result = ParseDrives(text);
  for (std::string& problem : result.problems) problem = path.string() + ", " + problem;
  result.source = path.string();
  return result;
}

}  // namespace cdflash::demo
