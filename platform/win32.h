// The Win32 subset that the plug-in and the host side use.
//
// On Windows this is the real API. Elsewhere the same names are declared here and implemented by the
// platform library over a small module registry (modules.cpp), so the plug-in's code reads the same on
// every build.
#pragma once

#if defined(_WIN32)

#ifndef WIN32_LEAN_AND_MEAN
#define WIN32_LEAN_AND_MEAN
#endif
#ifndef NOMINMAX
#define NOMINMAX
#endif
#include <windows.h>
// delayimp.h builds on the types of windows.h.
#include <delayimp.h>

// The per-thread translator of structured exceptions. The C runtime DLL exports it under its C++ name
// only; the module links it through an import library that gives it this plain C name (msvcrt_eh.def).
struct _EXCEPTION_POINTERS;
typedef void(__cdecl* _se_translator_function)(unsigned int, struct _EXCEPTION_POINTERS*);
extern "C" __declspec(dllimport) _se_translator_function
    __cdecl _set_se_translator(_se_translator_function translator);

#else

#include <cstddef>
#include <cstdint>

#if defined(__i386__)
#define WINAPI __attribute__((stdcall))
#define WINAPIV __attribute__((cdecl))
#else
#define WINAPI
#define WINAPIV
#endif
#define APIENTRY WINAPI

using BOOL = int;
using BYTE = std::uint8_t;
using WORD = std::uint16_t;
using DWORD = std::uint32_t;
using UINT = unsigned int;
using LONG = std::int32_t;
using INT_PTR = std::intptr_t;
using ULONG_PTR = std::uintptr_t;
using LPSTR = char*;
using LPCSTR = const char*;
using LPVOID = void*;

struct HINSTANCE__;
struct HWND__;
using HINSTANCE = HINSTANCE__*;
using HMODULE = HINSTANCE;
using HWND = HWND__*;

using FARPROC = INT_PTR(WINAPI*)();

#define TRUE 1
#define FALSE 0

// An ordinal in place of a name, as GetProcAddress takes it: a "pointer" whose value is below 0x10000.
#define MAKEINTRESOURCEA(i) (reinterpret_cast<LPSTR>(static_cast<ULONG_PTR>(static_cast<WORD>(i))))
#define IS_INTRESOURCE(p) ((reinterpret_cast<ULONG_PTR>(p) >> 16) == 0)

#define DLL_PROCESS_DETACH 0
#define DLL_PROCESS_ATTACH 1
#define DLL_THREAD_ATTACH 2
#define DLL_THREAD_DETACH 3

#define MB_ABORTRETRYIGNORE 0x00000002u
#define MB_ICONERROR 0x00000010u
#define MB_TASKMODAL 0x00002000u
#define IDABORT 3
#define IDRETRY 4
#define IDIGNORE 5

#define MAX_PATH 260

HMODULE WINAPI GetModuleHandleA(LPCSTR module_name);
FARPROC WINAPI GetProcAddress(HMODULE module, LPCSTR name_or_ordinal);
DWORD WINAPI GetModuleFileNameA(HMODULE module, LPSTR buffer, DWORD size);
LPSTR WINAPI lstrcpyA(LPSTR destination, LPCSTR source);
int WINAPI MessageBoxA(HWND owner, LPCSTR text, LPCSTR caption, UINT type);
int WINAPIV wsprintfA(LPSTR buffer, LPCSTR format, ...);
HMODULE WINAPI LoadLibraryA(LPCSTR file_name);
BOOL WINAPI FreeLibrary(HMODULE module);

// Structured exceptions and the per-thread translator that turns them into C++ exceptions.
struct _EXCEPTION_RECORD;
struct _CONTEXT;
struct _EXCEPTION_POINTERS {
  _EXCEPTION_RECORD* ExceptionRecord;
  _CONTEXT* ContextRecord;
};
using EXCEPTION_POINTERS = _EXCEPTION_POINTERS;
using _se_translator_function = void (*)(unsigned int, _EXCEPTION_POINTERS*);
_se_translator_function _set_se_translator(_se_translator_function translator);

// Delay loading: the notifications that the delay-load helper sends to the module's hook.
#define dliStartProcessing 0
#define dliNotePreLoadLibrary 1
#define dliNotePreGetProcAddress 2
#define dliFailLoadLib 3
#define dliFailGetProc 4
#define dliNoteEndProcessing 5

struct DelayLoadProc {
  BOOL fImportByName;
  union {
    LPCSTR szProcName;
    DWORD dwOrdinal;
  };
};

struct DelayLoadInfo {
  DWORD cb;
  const void* pidd;
  FARPROC* ppfn;
  LPCSTR szDll;
  DelayLoadProc dlp;
  HMODULE hmodCur;
  FARPROC pfnCur;
  DWORD dwLastError;
};
using PDelayLoadInfo = DelayLoadInfo*;
using PfnDliHook = FARPROC(WINAPI*)(unsigned notification, PDelayLoadInfo info);

// The hook that the delay-load helper linked into a module consults, one per module.
extern "C" PfnDliHook __pfnDliNotifyHook2;

#endif

// Converts between function pointer types, as the results of GetProcAddress need: through the one
// function type that the compiler accepts as a stand-in for every other.
template <class To, class From>
inline To FunctionCast(From function) {
  return reinterpret_cast<To>(reinterpret_cast<void (*)()>(function));
}
