#include "QtFormHarness.h"

#include <QApplication>
#include <QTimer>
#include <algorithm>
#include <cstring>

#include "package/FirmwareBlock.h"
#include "ui/qt/FormBinding.h"

namespace cdflash::qtui::test {

namespace {

void PutField(std::vector<std::uint8_t>& bytes, std::size_t headerOffset, const char* text) {
  std::memcpy(bytes.data() + kKeyWordSize + headerOffset, text, std::strlen(text));
}

// No device is ever opened on a machine without drives.
class UnusedRoute final : public IRoute {
 public:
  std::uint8_t Initialise() override { return 0; }
  RouteDevice Open(const DriveAddress&) override { return kNoDevice; }
  RouteOutcome Execute(RouteDevice, const DriveAddress&, const RouteCommand&) override {
    return {};
  }
  void CloseDevice(RouteDevice) override {}
  bool Release(RouteDevice, bool) override { return false; }
};

}  // namespace

TestPackage::TestPackage(const std::string& slotStart) : bytes_(kPackageSize, 0) {
  std::memcpy(bytes_.data(), "FWPKG-MARKER-1", 14);
  PutField(bytes_, kModelOffset, "TEST-RW 1");
  PutField(bytes_, kInquiryOffset, "--ANY   DRIVE           ");
  PutField(bytes_, kFwRangeOffset, "----_----");
  PutField(bytes_, kVendorOffset, "TESTVENDOR");
  PutField(bytes_, kRevisionOffset, "2.00.");
  const std::size_t slot = kKeyWordSize + kHeaderSize;
  std::copy_n(slotStart.begin(), std::min(slotStart.size(), kSlotSize), bytes_.begin() + slot);
}

PackageView TestPackage::View() const {
  return PackageView(std::span<const std::uint8_t, kPackageSize>(bytes_.data(), kPackageSize));
}

NoDrivesPlatform::NoDrivesPlatform() : route_(std::make_unique<UnusedRoute>()) {
  previous_ = SetPlatformForTesting(this);
}

NoDrivesPlatform::~NoDrivesPlatform() { SetPlatformForTesting(previous_); }

IRoute& NoDrivesPlatform::RouteFor(std::uint32_t) { return *route_; }

QtForm::QtForm(const PackageView& package, ISystemServices* system)
    : window_(std::make_unique<FlashWindow>()) {
  const FormServices services{&dialogs_, &cursor_, &application_, system, &ui_};
  form_ = std::make_unique<TFlashForm>(window_->Controls(), services, package);
  BindForm(*window_, *form_, dialogs_);
}

QtForm::~QtForm() {
  DestroyWindow();
  RunEventLoopBriefly();
}

void QtForm::DestroyWindow() { window_.reset(); }

void RunEventLoopBriefly() {
  QTimer stop;
  stop.setSingleShot(true);
  QObject::connect(&stop, &QTimer::timeout, [] { QCoreApplication::exit(0); });
  stop.start(0);
  QApplication::exec();
}

}  // namespace cdflash::qtui::test
