// The host's settings service over INI files in its folder.
#include "simulated_host/host.h"
#include "simulated_host/services.h"

extern "C" std::int16_t KOMBREL_CDECL torval_ini_access(const char*, std::uint16_t, const char*, const char*,
                                                        const char*, std::va_list) {
  simhost::Host::Current().Record("ini_access");
  return 1;
}
