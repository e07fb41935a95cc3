// A stand-in ASPI layer that lacks one of the two entry points (which one
// is chosen at build time), for the route's missing-entry check.

#include <windows.h>

extern "C" {

#ifndef WITHOUT_SUPPORT_INFO
__declspec(dllexport) DWORD __cdecl GetASPI32SupportInfo(void) { return 0x0101; }  // SS_COMP, 1 adapter
#endif

#ifndef WITHOUT_SEND_COMMAND
__declspec(dllexport) DWORD __cdecl SendASPI32Command(void*) { return 0x80; }  // SS_INVALID_CMD
#endif

}  // extern "C"
