#pragma once
// The guest's report: one line per check ("PASS name: detail" or
// "FAIL name: detail"), then "N passed, N failed". Lines are flushed at once so
// that the console log shows how far a guest got if it hangs.

#include <cstdio>
#include <string>

namespace cdflash::kernelcheck {

class CheckLog {
 public:
  bool Check(const std::string& name, bool ok, const std::string& detail = {}) {
    ++(ok ? passed_ : failed_);
    std::printf("%s %s%s%s\n", ok ? "PASS" : "FAIL", name.c_str(), detail.empty() ? "" : ": ",
                detail.c_str());
    std::fflush(stdout);
    return ok;
  }

  // Prints the closing line; the program's exit status.
  int Finish() const {
    std::printf("%d passed, %d failed\n", passed_, failed_);
    std::fflush(stdout);
    return failed_ == 0 ? 0 : 1;
  }

 private:
  int passed_ = 0;
  int failed_ = 0;
};

}  // namespace cdflash::kernelcheck
