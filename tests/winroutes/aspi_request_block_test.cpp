// The ASPI request block the route fills, byte for byte against the
// published SRB_ExecSCSICmd layout.

#include <gtest/gtest.h>

#include <array>
#include <cstring>

#include "device/routes/aspi_win.h"

namespace cdflash {
namespace {

using Bytes = std::array<std::uint8_t, 80>;

void PutDword(Bytes& bytes, std::size_t at, std::uint32_t value) {
  for (std::size_t i = 0; i < 4; ++i) bytes[at + i] = static_cast<std::uint8_t>(value >> (8 * i));
}

std::uint32_t Address(const void* pointer) {
  return static_cast<std::uint32_t>(reinterpret_cast<std::uintptr_t>(pointer));
}

Bytes Expected(std::uint8_t hostAdapter, std::uint8_t target, std::uint8_t flags, std::uint32_t length,
               const void* buffer, HANDLE event, const std::array<std::uint8_t, 12>& cdb) {
  Bytes bytes{};
  bytes[0] = 0x02;
  bytes[2] = hostAdapter;
  bytes[3] = flags;
  bytes[8] = target;
  PutDword(bytes, 12, length);
  PutDword(bytes, 16, Address(buffer));
  bytes[20] = 14;
  bytes[21] = 12;
  PutDword(bytes, 24, Address(event));
  std::memcpy(bytes.data() + 48, cdb.data(), cdb.size());
  return bytes;
}

Bytes Built(const DriveAddress& address, const std::array<std::uint8_t, 12>& cdb, bool dataIn,
            std::uint8_t* buffer, std::int32_t length, HANDLE event) {
  RouteCommand command;
  command.cdb = cdb;
  command.dataIn = dataIn;
  command.buffer = buffer;
  command.length = length;
  const aspi::ExecScsiCommand block = BuildExecRequest(address, command, event);
  Bytes bytes;
  std::memcpy(bytes.data(), &block, bytes.size());
  return bytes;
}

const HANDLE kEvent = reinterpret_cast<HANDLE>(0x1234);

TEST(AspiRequestBlockTest, DataInRequestMatchesTheLayout) {
  std::array<std::uint8_t, 64> buffer{};
  const std::array<std::uint8_t, 12> cdb{0x3C, 1, 1, 0, 0x40, 0, 0, 0, 0x40, 0, 0, 0};
  EXPECT_EQ(Built({' ', 2, 1, 0}, cdb, true, buffer.data(), 64, kEvent),
            Expected(2, 1, 0x48, 64, buffer.data(), kEvent, cdb));
}

TEST(AspiRequestBlockTest, DataOutRequestMatchesTheLayout) {
  std::array<std::uint8_t, 64> buffer{};
  const std::array<std::uint8_t, 12> cdb{0x3B, 5, 1, 0, 0, 0, 0, 0, 0x40, 0, 0, 0};
  EXPECT_EQ(Built({' ', 0, 0, 0}, cdb, false, buffer.data(), 64, kEvent),
            Expected(0, 0, 0x50, 64, buffer.data(), kEvent, cdb));
}

TEST(AspiRequestBlockTest, RequestWithoutDataReadsInAndAlwaysCarriesLunZero) {
  std::array<std::uint8_t, 4> buffer{};
  const std::array<std::uint8_t, 12> cdb{};
  EXPECT_EQ(Built({' ', 1, 1, 5}, cdb, true, buffer.data(), 0, kEvent),
            Expected(1, 1, 0x48, 0, buffer.data(), kEvent, cdb));
}

}  // namespace
}  // namespace cdflash
