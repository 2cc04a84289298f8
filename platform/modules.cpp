// The module registry and loader of the Linux platform layer: GetModuleHandleA, GetProcAddress,
// GetModuleFileNameA, LoadLibraryA and FreeLibrary over modules that are either registered by the
// process itself (the host) or mapped from a shared object that carries a KModuleImage.
#include <dlfcn.h>

#include <algorithm>
#include <cctype>
#include <cstring>
#include <memory>
#include <string>
#include <utility>
#include <vector>

#include "platform/module_image.h"
#include "platform/platform.h"

namespace kplatform {
namespace {

struct Module {
  std::string name;  // as registered, e.g. "TORVAL.dll"
  std::string path;  // what GetModuleFileNameA reports
  std::uint32_t base = 0;
  std::vector<FARPROC> exports;
  void* shared_object = nullptr;  // dlopen handle of a loaded module; null for a registered one
  const KModuleImage* image = nullptr;
};

std::vector<std::unique_ptr<Module>>& Modules() {
  static std::vector<std::unique_ptr<Module>> modules;
  return modules;
}

std::string& LoadError() {
  static std::string error;
  return error;
}

HMODULE HandleOf(Module* module) {
  return reinterpret_cast<HMODULE>(module);
}

Module* Find(HMODULE handle) {
  for (auto& module : Modules()) {
    if (HandleOf(module.get()) == handle) return module.get();
  }
  return nullptr;
}

std::string Lower(std::string text) {
  std::transform(text.begin(), text.end(), text.begin(),
                 [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
  return text;
}

// Windows compares module names without case and appends ".dll" to a name that has no extension.
std::string CanonicalName(std::string name) {
  const auto slash = name.find_last_of("\\/");
  if (slash != std::string::npos) name.erase(0, slash + 1);
  if (name.find('.') == std::string::npos) name += ".dll";
  return Lower(name);
}

Module* FindByName(const char* name) {
  const std::string wanted = CanonicalName(name);
  for (auto& module : Modules()) {
    if (CanonicalName(module->name) == wanted) return module.get();
  }
  return nullptr;
}

FARPROC ExportOf(const Module& module, std::uint32_t ordinal) {
  if (ordinal < module.base || ordinal - module.base >= module.exports.size()) return nullptr;
  return module.exports[ordinal - module.base];
}

std::string Describe(LPCSTR name_or_ordinal) {
  if (IS_INTRESOURCE(name_or_ordinal)) {
    return "#" + std::to_string(reinterpret_cast<ULONG_PTR>(name_or_ordinal));
  }
  return name_or_ordinal;
}

HMODULE Fail(std::string why) {
  LoadError() = std::move(why);
  return nullptr;
}

}  // namespace

HMODULE RegisterModule(const std::string& name, const std::string& path, std::uint32_t base,
                       std::vector<FARPROC> exports) {
  auto module = std::make_unique<Module>();
  module->name = name;
  module->path = path;
  module->base = base;
  module->exports = std::move(exports);
  Modules().push_back(std::move(module));
  return HandleOf(Modules().back().get());
}

void UnregisterModule(HMODULE handle) {
  auto& modules = Modules();
  modules.erase(std::remove_if(modules.begin(), modules.end(),
                               [handle](const auto& module) { return HandleOf(module.get()) == handle; }),
                modules.end());
}

const std::string& LastLoadError() {
  return LoadError();
}

std::vector<std::string>& Journal() {
  static std::vector<std::string> journal;
  return journal;
}

HMODULE LoadLibraryAs(const char* file_name, const char* reported_path) {
  LoadError().clear();
  if (file_name == nullptr) return Fail("no file name");
  void* shared_object = dlopen(file_name, RTLD_NOW | RTLD_LOCAL);
  if (shared_object == nullptr) return Fail(dlerror());
  const auto* image = static_cast<const KModuleImage*>(dlsym(shared_object, KMODULE_IMAGE_SYMBOL));
  if (image == nullptr) {
    dlclose(shared_object);
    return Fail(std::string(file_name) + " is not a module: it has no " KMODULE_IMAGE_SYMBOL);
  }

  // Static imports are bound before any code of the module runs; one that cannot be bound fails the load.
  for (std::uint32_t i = 0; i < image->import_count; ++i) {
    const KModuleImport& import = image->imports[i];
    Module* exporter = FindByName(import.module);
    FARPROC address = exporter != nullptr ? ExportOf(*exporter, import.ordinal) : nullptr;
    if (address == nullptr) {
      std::string why = std::string(image->name) + " imports ordinal " + std::to_string(import.ordinal) +
                        " of " + import.module +
                        (exporter == nullptr ? ", which is not loaded" : ", which lacks it");
      dlclose(shared_object);
      return Fail(std::move(why));
    }
    *import.slot = address;
  }

  auto module = std::make_unique<Module>();
  module->name = image->name;
  module->path = reported_path != nullptr ? reported_path : file_name;
  module->base = image->export_base;
  module->exports.assign(image->exports, image->exports + image->export_count);
  module->shared_object = shared_object;
  module->image = image;
  Modules().push_back(std::move(module));
  Module* loaded = Modules().back().get();
  HMODULE handle = HandleOf(loaded);

  if (image->entry != nullptr && !image->entry(handle, DLL_PROCESS_ATTACH, nullptr)) {
    // As on Windows: a module that refuses the attach is told to detach and is unloaded at once.
    std::string why = std::string(image->name) + ": the entry point refused the process attach";
    image->entry(handle, DLL_PROCESS_DETACH, nullptr);
    UnregisterModule(handle);
    dlclose(shared_object);
    return Fail(std::move(why));
  }
  return handle;
}

}  // namespace kplatform

using kplatform::Journal;

HMODULE WINAPI LoadLibraryA(LPCSTR file_name) {
  return kplatform::LoadLibraryAs(file_name, nullptr);
}

BOOL WINAPI FreeLibrary(HMODULE handle) {
  kplatform::Module* module = kplatform::Find(handle);
  if (module == nullptr || module->shared_object == nullptr) return FALSE;
  void* shared_object = module->shared_object;
  const KModuleImage* image = module->image;
  if (image->entry != nullptr) image->entry(handle, DLL_PROCESS_DETACH, nullptr);
  kplatform::UnregisterModule(handle);
  return dlclose(shared_object) == 0 ? TRUE : FALSE;
}

HMODULE WINAPI GetModuleHandleA(LPCSTR module_name) {
  Journal().push_back(std::string("GetModuleHandleA(") + (module_name ? module_name : "null") + ")");
  if (module_name == nullptr) return nullptr;
  return kplatform::HandleOf(kplatform::FindByName(module_name));
}

FARPROC WINAPI GetProcAddress(HMODULE handle, LPCSTR name_or_ordinal) {
  const kplatform::Module* module = kplatform::Find(handle);
  Journal().push_back("GetProcAddress(" + (module ? module->name : std::string("?")) + "," +
                      kplatform::Describe(name_or_ordinal) + ")");
  // Our modules export by ordinal only.
  if (module == nullptr || !IS_INTRESOURCE(name_or_ordinal)) return nullptr;
  return kplatform::ExportOf(*module,
                             static_cast<std::uint32_t>(reinterpret_cast<ULONG_PTR>(name_or_ordinal)));
}

DWORD WINAPI GetModuleFileNameA(HMODULE handle, LPSTR buffer, DWORD size) {
  Journal().push_back("GetModuleFileNameA");
  const kplatform::Module* module = kplatform::Find(handle);
  if (module == nullptr || buffer == nullptr || size == 0) return 0;
  // As Windows does: a path that does not fit is cut, terminated, and the full size is returned.
  const std::size_t length = std::min<std::size_t>(module->path.size(), size - 1);
  std::memcpy(buffer, module->path.data(), length);
  buffer[length] = '\0';
  return module->path.size() < size ? static_cast<DWORD>(length) : size;
}

LPSTR WINAPI lstrcpyA(LPSTR destination, LPCSTR source) {
  if (destination == nullptr || source == nullptr) return nullptr;
  return std::strcpy(destination, source);
}
