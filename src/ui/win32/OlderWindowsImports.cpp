// The thread runtime linked into the program imports three kernel functions
// that Windows 2000 (and for the first, XP) lacks; an import the loader cannot
// find stops the program before it starts. The runtime calls them through
// their import entries, __imp__NAME@N. Defining those entries here, in an
// object of the program itself, keeps the names out of the import table: each
// entry calls the system's function where it exists and a stand-in elsewhere.

// A 64-bit program runs only on systems that have all three: nothing to do.
#if !defined(_WIN64)

#include <windows.h>

#include <atomic>

#include "ui/win32/TickCount.h"

namespace {

// The system's function `name`, looked up on first use. No guarded static:
// the runtime may call in while it holds its own locks, and two threads that
// race here only look the name up twice.
template <typename Function>
Function SystemFunction(std::atomic<void*>& cache, const char* name) {
  void* found = cache.load(std::memory_order_acquire);
  if (found == nullptr) {
    found = reinterpret_cast<void*>(GetProcAddress(GetModuleHandleA("kernel32.dll"), name));
    if (found == nullptr) found = &cache;  // marks "the system has none"
    cache.store(found, std::memory_order_release);
  }
  return found == &cache ? nullptr : reinterpret_cast<Function>(found);
}

using TickCount64Function = ULONGLONG(WINAPI*)();
using AddHandlerFunction = PVOID(WINAPI*)(ULONG, PVECTORED_EXCEPTION_HANDLER);
using RemoveHandlerFunction = ULONG(WINAPI*)(PVOID);

std::atomic<void*> tickCount64{nullptr};
std::atomic<void*> addHandler{nullptr};
std::atomic<void*> removeHandler{nullptr};
constinit cdflash::win32::TickExtender extender;

ULONGLONG WINAPI TickCount64Entry() {
  if (const auto system = SystemFunction<TickCount64Function>(tickCount64, "GetTickCount64")) {
    return system();
  }
  return extender.Extend(GetTickCount());
}

// Without vectored handlers the runtime skips what it needs them for (naming
// threads for a debugger): a null handle tells it so.
PVOID WINAPI AddHandlerEntry(ULONG first, PVECTORED_EXCEPTION_HANDLER handler) {
  const auto system = SystemFunction<AddHandlerFunction>(addHandler, "AddVectoredExceptionHandler");
  return system != nullptr ? system(first, handler) : nullptr;
}

ULONG WINAPI RemoveHandlerEntry(PVOID handle) {
  const auto system = SystemFunction<RemoveHandlerFunction>(removeHandler, "RemoveVectoredExceptionHandler");
  return system != nullptr && handle != nullptr ? system(handle) : 0;
}

}  // namespace

extern "C" {
TickCount64Function cdflash_imp_GetTickCount64 __asm__("__imp__GetTickCount64@0") = &TickCount64Entry;
AddHandlerFunction cdflash_imp_AddVectoredExceptionHandler __asm__("__imp__AddVectoredExceptionHandler@8") =
    &AddHandlerEntry;
RemoveHandlerFunction cdflash_imp_RemoveVectoredExceptionHandler __asm__(
    "__imp__RemoveVectoredExceptionHandler@4") = &RemoveHandlerEntry;
}

#endif  // !defined(_WIN64)
