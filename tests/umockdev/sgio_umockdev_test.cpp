// The real Linux route and platform against mocked devices: umockdev gives
// the process a fake /sys/class/block/srN and /dev/srN, and answers each
// SG_IO ioctl from a simulated drive, recording the sg_io_hdr the route
// filled. Runs under umockdev-wrapper.

#include <umockdev.h>  // before anything that could define `signals`

#include <scsi/sg.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <cerrno>
#include <cstddef>
#include <memory>
#include <mutex>
#include <span>
#include <string>
#include <utility>
#include <vector>

#include "RecordingDialogs.h"
#include "SimDrive.h"
#include "device/Cddrive.h"
#include "device/Cddrives.h"
#include "device/DeviceMessages.h"

namespace cdflash {
namespace {

// What the route put into one sg_io_hdr, as the handler saw it (its
// pointers are the test process's, its data resolved).
struct SeenHeader {
  sg_io_hdr_t header{};
  std::array<std::uint8_t, 12> cdb{};
  std::vector<std::uint8_t> dataOut;
};

// What the handler does instead of asking the drive.
enum class Mishap {
  None, HostError, HostTimeout, IoctlFails,
  // The drive answers, but not as a success should read:
  CheckWithoutSense, // CHECK CONDITION, sb_len_wr 0 (stale bytes in the sense area)
  ShortRead,         // GOOD, but half the data did not move (resid > 0)
};

// One mocked /dev/srN with a simulated drive behind it.
struct MockedSr {
  explicit MockedSr(sim::DriveConfig config) : drive(std::move(config)) {}
  sim::SimDrive drive;
  std::mutex mutex;
  std::vector<SeenHeader> seen;
  Mishap next = Mishap::None;
  int ioctlErrno = 0;
};

constexpr unsigned char kDriverSense = 0x08;
constexpr unsigned short kDidError = 0x07;
constexpr unsigned short kDidTimeOut = 0x03;

UMockdevIoctlData* Resolve(UMockdevIoctlData* data, std::size_t offset, std::size_t length) {
  GError* error = nullptr;
  UMockdevIoctlData* resolved = umockdev_ioctl_data_resolve(data, offset, length, &error);
  if (error != nullptr) {
    ADD_FAILURE() << "resolving the ioctl argument: " << error->message;
    g_error_free(error);
  }
  return resolved;
}

// Runs on umockdev's worker thread while the test thread waits in ioctl().
gboolean HandleIoctl(UMockdevIoctlBase*, UMockdevIoctlClient* client, gpointer user) {
  auto& sr = *static_cast<MockedSr*>(user);
  if (umockdev_ioctl_client_get_request(client) != SG_IO) return FALSE;
  UMockdevIoctlData* arg = umockdev_ioctl_client_get_arg(client);
  UMockdevIoctlData* headerData = Resolve(arg, 0, sizeof(sg_io_hdr_t));
  if (headerData == nullptr) return FALSE;
  auto* header = reinterpret_cast<sg_io_hdr_t*>(headerData->data);

  SeenHeader seen{*header, {}, {}};
  const std::size_t cmdLength = std::min<std::size_t>(header->cmd_len, 16);
  const std::size_t dataLength = header->dxfer_len;
  const std::size_t senseLength = header->mx_sb_len;

  UMockdevIoctlData* cmd = Resolve(headerData, offsetof(sg_io_hdr_t, cmdp), cmdLength);
  UMockdevIoctlData* data =
      dataLength > 0 ? Resolve(headerData, offsetof(sg_io_hdr_t, dxferp), dataLength) : nullptr;
  UMockdevIoctlData* sense =
      senseLength > 0 ? Resolve(headerData, offsetof(sg_io_hdr_t, sbp), senseLength) : nullptr;
  std::copy_n(cmd->data, std::min<std::size_t>(cmdLength, 12), seen.cdb.begin());
  if (data != nullptr && header->dxfer_direction == SG_DXFER_TO_DEV) {
    seen.dataOut.assign(data->data, data->data + dataLength);
  }

  std::lock_guard lock(sr.mutex);
  sr.seen.push_back(seen);
  const Mishap mishap = std::exchange(sr.next, Mishap::None);
  if (mishap == Mishap::IoctlFails) {
    umockdev_ioctl_client_complete(client, -1, sr.ioctlErrno);
    return TRUE;
  }
  header->status = 0;
  header->host_status = 0;
  header->driver_status = 0;
  header->sb_len_wr = 0;
  header->resid = 0;
  if (mishap == Mishap::HostError || mishap == Mishap::HostTimeout) {
    header->host_status = mishap == Mishap::HostError ? kDidError : kDidTimeOut;
  } else if (mishap == Mishap::CheckWithoutSense) {
    header->status = sim::kStatusCheckCondition;
    if (sense != nullptr) std::fill_n(sense->data, senseLength, 0x5A);
  } else {
    const std::span<std::uint8_t> buffer(data != nullptr ? data->data : nullptr, dataLength);
    const sim::Reply reply =
        sr.drive.Execute(seen.cdb, header->dxfer_direction == SG_DXFER_FROM_DEV, buffer);
    header->status = reply.status;
    header->masked_status = static_cast<unsigned char>(reply.status >> 1);
    header->resid = static_cast<int>(dataLength) - reply.transferred;
    if (mishap == Mishap::ShortRead) header->resid = static_cast<int>(dataLength / 2);
    if (reply.status == sim::kStatusCheckCondition && sense != nullptr) {
      std::uint8_t fixed[18] = {0x70, 0, reply.sense.key, 0, 0, 0, 0, 10, 0, 0, 0, 0,
                                reply.sense.asc, reply.sense.ascq, 0, 0, 0, 0};
      const std::size_t n = std::min(sizeof(fixed), senseLength);
      std::copy_n(fixed, n, sense->data);
      header->sb_len_wr = static_cast<unsigned char>(n);
      header->driver_status = kDriverSense;
    }
  }
  umockdev_ioctl_client_complete(client, 0, 0);
  return TRUE;
}

std::string SrDescription(unsigned number) {
  const std::string n = std::to_string(number);
  const std::string scsi = "/devices/pci0000:00/0000:00:01.1/ata2/host1/target1:0:" + n + "/1:0:" + n + ":0";
  return "P: " + scsi + "/block/sr" + n + "\n" +
         "N: sr" + n + "\n"
         "L: device=../../../1:0:" + n + ":0\n"
         "E: DEVNAME=/dev/sr" + n + "\n"
         "E: DEVTYPE=disk\n"
         "E: SUBSYSTEM=block\n"
         "A: dev=11:" + n + "\n"
         "A: removable=1\n"
         "\n"
         "P: " + scsi + "\n"
         "E: DEVTYPE=scsi_device\n"
         "E: DRIVER=sr\n"
         "E: SUBSYSTEM=scsi\n"
         "A: type=5\n"
         "A: vendor=CDFLASH \n"
         "A: model=SIMULATED CD-RW \n"
         "A: rev=1.00\n";
}

// Runs a GLib call that reports its failure through a GError.
template <typename Call>
void Succeeds(Call call) {
  GError* error = nullptr;
  EXPECT_TRUE(call(&error)) << (error != nullptr ? error->message : "");
  g_clear_error(&error);
}

class SgIoUmockdevTest : public ::testing::Test {
 protected:
  void SetUp() override {
    testbed_ = umockdev_testbed_new();
    ASSERT_TRUE(umockdev_in_mock_environment()) << "run under umockdev-wrapper";
    SetDeviceReports(&dialogs);
  }

  void TearDown() override {
    EXPECT_EQ(CDDrive::OpenCount(), 0);
    SetDeviceReports(nullptr);
    CDDrive::SetTimeout(60);
    CDDrive::SetDataBuffer(nullptr, 0);
    for (auto& handler : handlers_) g_object_unref(handler);
    if (testbed_ != nullptr) g_object_unref(testbed_);
  }

  MockedSr& AddSr(unsigned number, sim::DriveConfig config = {}) {
    const std::string description = SrDescription(number);
    Succeeds([&](GError** e) { return umockdev_testbed_add_from_string(testbed_, description.c_str(), e); });
    auto& sr = *mocked_.emplace_back(std::make_unique<MockedSr>(std::move(config)));
    UMockdevIoctlBase* handler = umockdev_ioctl_base_new();
    g_signal_connect(handler, "handle-ioctl", G_CALLBACK(HandleIoctl), &sr);
    const std::string node = "/dev/sr" + std::to_string(number);
    Succeeds([&](GError** e) { return umockdev_testbed_attach_ioctl(testbed_, node.c_str(), handler, e); });
    handlers_.push_back(handler);
    return sr;
  }

  void AddOtherBlockDevice(const char* name) {
    const std::string text = std::string("P: /devices/virtual/block/") + name + "\nN: " + name +
                             "\nE: SUBSYSTEM=block\nE: DEVTYPE=disk\nA: dev=7:0\n";
    Succeeds([&](GError** e) { return umockdev_testbed_add_from_string(testbed_, text.c_str(), e); });
  }

  static SeenHeader Last(MockedSr& sr) {
    std::lock_guard lock(sr.mutex);
    return sr.seen.empty() ? SeenHeader{} : sr.seen.back();
  }

  sim::RecordingDialogs dialogs;

 private:
  UMockdevTestbed* testbed_ = nullptr;
  std::vector<std::unique_ptr<MockedSr>> mocked_;
  std::vector<UMockdevIoctlBase*> handlers_;
};

TEST_F(SgIoUmockdevTest, DiscoveryListsSrDevicesInNumericOrder) {
  sim::DriveConfig config;
  config.product = "DRIVE TEN";
  AddSr(10, config);
  config.product = "DRIVE TWO";
  AddSr(2, config);
  config.product = "DRIVE ZERO";
  AddSr(0, config);
  AddOtherBlockDevice("loop0");
  AddOtherBlockDevice("sda");

  CDDrives drives;
  ASSERT_EQ(drives.Count(), 3);
  const char* expected[] = {"0-0-0 0: CDFLASH DRIVE ZERO      1.00", "0-0-0 2: CDFLASH DRIVE TWO       1.00",
                            "0-0-0 A: CDFLASH DRIVE TEN       1.00"};
  for (int i = 0; i < 3; ++i) {
    ASSERT_TRUE(drives.Select(static_cast<std::int16_t>(i)));
    EXPECT_EQ(drives.Current->IdentityText(), expected[i]);
  }
  EXPECT_TRUE(dialogs.shown.empty());
}

TEST_F(SgIoUmockdevTest, CommandsReachTheDriveByteForByte) {
  MockedSr& sr = AddSr(0);
  CDDrive drive('0', 0, 0, 0);
  ASSERT_EQ(CDDrive::OpenStatus(), 0);
  EXPECT_EQ(drive.IdentityText(), "0-0-0 0: CDFLASH SIMULATED CD-RW 1.00");

  const SeenHeader inquiry = Last(sr);
  EXPECT_EQ(inquiry.header.interface_id, 'S');
  EXPECT_EQ(inquiry.header.dxfer_direction, SG_DXFER_FROM_DEV);
  EXPECT_EQ(inquiry.header.cmd_len, 12u);
  EXPECT_EQ(inquiry.header.mx_sb_len, 24u);
  EXPECT_EQ(inquiry.header.dxfer_len, 128u);
  EXPECT_EQ(inquiry.header.timeout, 60000u);
  EXPECT_EQ(inquiry.header.flags, 0u);
  EXPECT_EQ(inquiry.cdb, (std::array<std::uint8_t, 12>{0x12, 0, 0, 0, 0x80, 0, 0, 0, 0, 0, 0, 0}));

  std::vector<std::uint8_t> buffer(16384);
  CDDrive::SetDataBuffer(buffer.data(), 16384);
  CDDrive::SetTimeout(180);
  for (std::size_t i = 0; i < 16; ++i) buffer[i] = static_cast<std::uint8_t>(0xA0 + i);
  EXPECT_EQ(drive.ExecCommand(0x3B, 5, 1, 0, 0x40, 0, 0, 0, 16, 0, 0, 0, 0, 16).value, 1);
  const SeenHeader write = Last(sr);
  EXPECT_EQ(write.header.dxfer_direction, SG_DXFER_TO_DEV);
  EXPECT_EQ(write.header.dxfer_len, 16u);
  EXPECT_EQ(write.header.timeout, 180000u);
  EXPECT_EQ(write.header.dxferp, buffer.data());
  EXPECT_EQ(write.cdb, (std::array<std::uint8_t, 12>{0x3B, 5, 1, 0, 0x40, 0, 0, 0, 16, 0, 0, 0}));
  EXPECT_EQ(write.dataOut, std::vector<std::uint8_t>(buffer.begin(), buffer.begin() + 16));

  std::fill(buffer.begin(), buffer.end(), 0);
  EXPECT_EQ(drive.ExecCommand(0x3C, 1, 1, 0, 0x40, 0, 0, 0, 16, 0, 0, 0, 1, 16).value, 1);
  EXPECT_EQ(Last(sr).header.dxfer_direction, SG_DXFER_FROM_DEV);
  for (std::size_t i = 0; i < 16; ++i) EXPECT_EQ(buffer[i], 0xA0 + i);
  EXPECT_EQ(buffer[16], 0);

  // No data: SG_DXFER_NONE whatever the direction argument says.
  EXPECT_EQ(drive.ExecCommand(0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 1, 0).value, 0);
  const SeenHeader tur = Last(sr);
  EXPECT_EQ(tur.header.dxfer_direction, SG_DXFER_NONE);
  EXPECT_EQ(tur.header.dxfer_len, 0u);
  // The drive's status and the sense bytes the kernel wrote reach the result.
  EXPECT_TRUE(drive.Last().SenseIs(0x02, 0x3A, 0x00));
  EXPECT_EQ(drive.Last().status, 0x02);
  EXPECT_EQ(sr.drive.Log().size(), 4u);
}

// Answers that are no success, each told by what the kernel filled in:
// the transport's verdict (host_status) or the ioctl's errno where no
// sense data tells it, only sb_len_wr bytes of the sense area as the
// drive's, and resid for a short transfer.
TEST_F(SgIoUmockdevTest, AnswersThatAreNoSuccessFailWithTheirOwnError) {
  MockedSr& sr = AddSr(0);
  CDDrive drive('0', 0, 0, 0);
  ASSERT_EQ(CDDrive::OpenStatus(), 0);
  std::vector<std::uint8_t> buffer(16384);
  CDDrive::SetDataBuffer(buffer.data(), 16384);
  const struct {
    const char* what;
    Mishap mishap;
    int ioctlErrno;
    int systemError;
    const char* senseText;
  } rows[] = {
      {"host error", Mishap::HostError, 0, EIO, nullptr},
      {"host timeout", Mishap::HostTimeout, 0, ETIMEDOUT, nullptr},
      {"refused by the kernel's command filter", Mishap::IoctlFails, EPERM, EPERM, nullptr},
      {"CHECK CONDITION without sense", Mishap::CheckWithoutSense, 0, 0, "00 00 00. 02, 0000"},
      {"short read", Mishap::ShortRead, 0, 0, "00 00 00. 00, 0000"},
  };
  for (const auto& row : rows) {
    SCOPED_TRACE(row.what);
    {
      std::lock_guard lock(sr.mutex);
      sr.next = row.mishap;
      sr.ioctlErrno = row.ioctlErrno;
    }
    EXPECT_EQ(drive.ExecCommand(0x3C, 1, 1, 0, 0, 0, 0, 0x40, 0, 0, 0, 0, 1, 0x4000).value, 0);
    EXPECT_FALSE(drive.Last().succeeded);
    EXPECT_TRUE(row.systemError == 0 || drive.Last().systemError == static_cast<std::uint32_t>(row.systemError))
        << drive.Last().systemError;
    EXPECT_TRUE(row.senseText == nullptr || drive.Last().SenseText() == row.senseText) << drive.Last().SenseText();
  }
}

TEST_F(SgIoUmockdevTest, MissingDeviceNodeShowsTheOpenError) {
  CDDrive drive('5', 0, 0, 0);
  EXPECT_EQ(CDDrive::OpenStatus(), 0x63);
  ASSERT_EQ(dialogs.shown.size(), 1u);
  EXPECT_EQ(dialogs.shown[0].kind, "Message");
  EXPECT_EQ(dialogs.shown[0].text, "Error opening: 2, Drive: /dev/sr5");
}

}  // namespace
}  // namespace cdflash
