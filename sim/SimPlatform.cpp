#include "SimPlatform.h"

namespace cdflash::sim {

namespace {
char LetterAt(std::size_t position) {
  static constexpr char kLetters[] = "0123456789ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz";
  return position < sizeof(kLetters) - 1 ? kLetters[position] : '?';
}
}  // namespace

SimPlatform::SimPlatform(std::uint32_t platformId, SimRoute::Style style)
    : platformId_(platformId), route_(style) {}

SimDrive& SimPlatform::AddDrive(DriveConfig config) {
  return AddDrive(std::move(config), {LetterAt(addresses_.size()), 0, 0, 0});
}

SimDrive& SimPlatform::AddDrive(DriveConfig config, const DriveAddress& address) {
  drives_.push_back(std::make_unique<SimDrive>(std::move(config)));
  addresses_.push_back(address);
  route_.Attach(address, *drives_.back());
  return *drives_.back();
}

void SimPlatform::AddAbsent(const DriveAddress& address) { addresses_.push_back(address); }

}  // namespace cdflash::sim
