#pragma once
// The layer's log: one line per request block it receives (its address and
// every byte in hexadecimal, as it arrived; the address in 8 hex digits in
// a 32-bit DLL, 16 in a 64-bit one) and one per completion, appended
// to a text file beside the DLL so a test can compare them with the layout.
//
//   EXEC 0019FE40 0200004800000000...      an SRB_ExecSCSICmd, 80 bytes
//   ABORT 0019FF00 03000000000000004...    an SRB_Abort, 12 bytes
//   SRB 0019FF00 00000000                  any other request, its 4-byte header
//   DONE 0019FE40 01 00 00 00 async        status, sense key, ASC, ASCQ, how

#include <cstddef>
#include <mutex>
#include <string>

namespace cdflash::sim::aspi_layer {

class RequestLog {
 public:
  explicit RequestLog(std::string path) : path_(std::move(path)) {}

  void Block(const char* kind, const void* block, std::size_t size);
  /// "KIND ADDRESS" with the address in as many hex digits as a pointer has.
  static std::string Head(const char* kind, const void* block);
  void Line(const std::string& line);

 private:
  std::mutex mutex_;
  std::string path_;
};

}  // namespace cdflash::sim::aspi_layer
