// The DLL's entry points: the two of the ASPI for Win32 interface (__cdecl,
// exported under their plain names) and one for tests that ends requests
// still pending. The layer is made on first use from the INI file beside
// the DLL and logs beside it too.

#include <windows.h>

#include <cstdint>
#include <string>

#include "AspiLayer.h"

extern "C" IMAGE_DOS_HEADER __ImageBase;

namespace {

using cdflash::sim::aspi_layer::AspiLayer;

HMODULE ThisModule() { return reinterpret_cast<HMODULE>(&__ImageBase); }

// The DLL's own path with another extension: WNASPI32.INI, WNASPI32.LOG.
std::string BesideThisModule(const char* extension) {
  char path[MAX_PATH] = {};
  const DWORD length = ::GetModuleFileNameA(ThisModule(), path, MAX_PATH);
  std::string text(path, length);
  const std::size_t dot = text.find_last_of('.');
  const std::size_t slash = text.find_last_of("\\/");
  if (dot != std::string::npos && (slash == std::string::npos || dot > slash)) text.resize(dot);
  return text + extension;
}

AspiLayer& Layer() {
  static AspiLayer layer(cdflash::sim::aspi_layer::LoadLayerConfig(BesideThisModule(".INI")),
                         BesideThisModule(".LOG"), ThisModule());
  return layer;
}

}  // namespace

extern "C" {

__declspec(dllexport) DWORD __cdecl GetASPI32SupportInfo(void) { return Layer().SupportInfo(); }

__declspec(dllexport) DWORD __cdecl SendASPI32Command(void* requestBlock) {
  return Layer().Send(requestBlock);
}

__declspec(dllexport) int __cdecl SimAspiExpirePending(void) { return Layer().ExpirePending(); }

}  // extern "C"
