// Loading the plug-in and calling its entries by ordinal.
#include "simulated_host/plugin.h"

#if !defined(_WIN32)
#include "platform/platform.h"
#endif

namespace simhost {
namespace {

using Entry30001Fn = std::int32_t(KOMBREL_STDCALL*)(void* host, char* help_buffer);
using Entry30008Fn = std::int32_t(KOMBREL_STDCALL*)(std::int32_t flag);
using Entry30009Fn = std::int32_t(KOMBREL_STDCALL*)();

// What the host passes as its own pointer to the load check; the plug-in never looks into it.
char host_token;

}  // namespace

Plugin::Plugin(const std::string& file, const std::string& reported_path) {
#if defined(_WIN32)
  (void)reported_path;
  module_ = LoadLibraryA(file.c_str());
  if (module_ == nullptr) load_error_ = "LoadLibraryA failed with " + std::to_string(GetLastError());
#else
  module_ = kplatform::LoadLibraryAs(file.c_str(), reported_path.empty() ? nullptr : reported_path.c_str());
  if (module_ == nullptr) load_error_ = kplatform::LastLoadError();
#endif
}

Plugin::~Plugin() {
  Unload();
}

void Plugin::Unload() {
  if (module_ != nullptr) FreeLibrary(module_);
  module_ = nullptr;
}

FARPROC Plugin::Export(std::uint16_t ordinal) const {
  return module_ == nullptr ? nullptr : GetProcAddress(module_, MAKEINTRESOURCEA(ordinal));
}

std::int32_t Plugin::LoadCheck(char* help_buffer) {
  return FunctionCast<Entry30001Fn>(Export(30001))(&host_token, help_buffer);
}

std::int32_t Plugin::Report() {
  return FunctionCast<Entry30008Fn>(Export(30008))(1);
}

std::int32_t Plugin::Start() {
  return FunctionCast<Entry30008Fn>(Export(30008))(0);
}

std::int32_t Plugin::Stop() {
  return FunctionCast<Entry30001Fn>(Export(30001))(nullptr, nullptr);
}

std::int32_t Plugin::Entry30009() {
  return FunctionCast<Entry30009Fn>(Export(30009))();
}

}  // namespace simhost
