// Loading the plug-in and calling its entries by ordinal.
#include "simulated_host/plugin.h"

#include "simulated_host/host.h"

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

// While the plug-in has control, the running host watches what it writes (Host::BeginWatch).
class Watching {
 public:
  explicit Watching(Grant grant) : host_(Host::Running() ? &Host::Current() : nullptr) {
    if (host_ != nullptr) host_->BeginWatch(grant);
  }
  ~Watching() {
    if (host_ != nullptr) host_->EndWatch();
  }
  Watching(const Watching&) = delete;
  Watching& operator=(const Watching&) = delete;

 private:
  Host* host_;
};

}  // namespace

Plugin::Plugin(const std::string& file, const std::string& reported_path) {
  Watching watching(Grant::kNothing);
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
  if (module_ == nullptr) return;
  Watching watching(Grant::kNothing);
  FreeLibrary(module_);
  module_ = nullptr;
}

FARPROC Plugin::Export(std::uint16_t ordinal) const {
  return module_ == nullptr ? nullptr : GetProcAddress(module_, MAKEINTRESOURCEA(ordinal));
}

std::int32_t Plugin::LoadCheck(char* help_buffer) {
  Watching watching(Grant::kNothing);
  return FunctionCast<Entry30001Fn>(Export(30001))(&host_token, help_buffer);
}

std::int32_t Plugin::Report() {
  Watching watching(Grant::kNothing);
  return FunctionCast<Entry30008Fn>(Export(30008))(1);
}

std::int32_t Plugin::Start() {
  Watching watching(Grant::kHook);
  return FunctionCast<Entry30008Fn>(Export(30008))(0);
}

std::int32_t Plugin::Stop() {
  Watching watching(Grant::kHook);
  return FunctionCast<Entry30001Fn>(Export(30001))(nullptr, nullptr);
}

std::int32_t Plugin::Entry30009() {
  Watching watching(Grant::kNothing);
  return FunctionCast<Entry30009Fn>(Export(30009))();
}

}  // namespace simhost
