#pragma once
// Receives the device layer's reports in tests and records each as the box
// the window would show: its kind ("Message" or "Error") and text.

#include <string>
#include <vector>

#include "device/DeviceMessages.h"

namespace cdflash::sim {

class RecordingDialogs final : public IDeviceReports {
 public:
  struct Shown {
    std::string kind;
    std::string text;
    bool operator==(const Shown&) const = default;
  };

  std::vector<Shown> shown;

  void DeviceMessage(const std::string& text) override { shown.push_back({"Message", text}); }
  void DeviceError(const std::string& text) override { shown.push_back({"Error", text}); }
};

}  // namespace cdflash::sim
