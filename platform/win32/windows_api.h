#pragma once
// The Windows headers as every unit of the Win32 backend includes them: without the rarely used
// parts, and without the min and max macros that would break the standard library.
#ifndef WIN32_LEAN_AND_MEAN
#define WIN32_LEAN_AND_MEAN
#endif
#ifndef NOMINMAX
#define NOMINMAX
#endif
#include <windows.h>
#include <mmsystem.h>
