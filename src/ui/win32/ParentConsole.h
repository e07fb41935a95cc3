#pragma once
// cdflash.exe is a window program: Windows gives it no console of its own.
// Started with arguments from a command prompt, it writes to that prompt's
// console instead: it attaches to its parent's console and reopens on it the
// standard streams the caller left alone. A stream sent to a file, a pipe or
// a device such as NUL keeps going there.

#include <windows.h>

namespace cdflash::win32 {

/// Whether a standard handle already leads somewhere other than a console:
/// a file, a pipe, or a character device that is no console.
bool IsRedirected(HANDLE handle);

/// Attaches to the console of the parent process, if it has one, and
/// reopens stdin, stdout and stderr on it (C streams and standard handles)
/// unless they were redirected. Returns whether a console was attached.
bool UseParentConsole();

}  // namespace cdflash::win32
