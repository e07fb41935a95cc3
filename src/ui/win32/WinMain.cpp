// Entry point of cdflash.exe. It takes nothing from the command line and
// returns 0 in every case.

#include <windows.h>

#include "ui/win32/Application.h"

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR, int) { return cdflash::win32::RunApplication(); }
