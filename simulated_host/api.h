// How the simulated host's C++ API crosses a module boundary. On Linux the host is a static library and
// SIMHOST_API is empty; the Windows build makes the host the module TORVAL.dll, which exports its API
// by name (and its services by ordinal only, from TORVAL.def).
#pragma once

#if defined(_WIN32) && defined(KOMBREL_SIMHOST_DLL)
#if defined(KOMBREL_SIMHOST_BUILD)
#define SIMHOST_API __declspec(dllexport)
#else
#define SIMHOST_API __declspec(dllimport)
#endif
#else
#define SIMHOST_API
#endif
