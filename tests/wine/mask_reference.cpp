// Our file-mask matcher against the system's (PathMatchSpecA), one pattern
// at a time, on names and patterns a model table may hold.

#include <windows.h>
#include <shlwapi.h>

#include <gtest/gtest.h>

#include "common/FileMask.h"

namespace cdflash {
namespace {

TEST(MaskReference, OurMatcherAgreesWithTheSystemsOnEveryPattern) {
  const char* names[] = {"V100.BIN", "v100.bin", "V1000.BIN", "V10X.BIN", "V100.BIN.OLD", "README",
                         "1.60.BIN", "1.60.hex", "abab.bin", "a.b.c", ".bin", "x.bi"};
  const char* patterns[] = {"*.bin", "*.BIN", "V1??.BIN", "V10?.*", "*.*", "*",  "1.*.BIN",
                            "*ab.bin", "a*.c", "*.bi?", "V100.BIN", "*.old", "?.*", "*.b*", "*.", "??????"};
  for (const char* name : names) {
    for (const char* pattern : patterns) {
      EXPECT_EQ(MatchesMask(name, pattern), PathMatchSpecA(name, pattern) != FALSE)
          << name << " / " << pattern;
    }
  }
}

}  // namespace
}  // namespace cdflash
