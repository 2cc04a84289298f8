// Reading PE images: the DOS stub's pointer to the PE header, the file header, the optional header with
// its data directories, the section table, and the tables the directories point at.
#include "tools/pe/pe_reader.h"

#include <algorithm>
#include <cstring>
#include <fstream>
#include <iterator>

namespace pe {
namespace {

constexpr std::uint16_t kMagicPe32 = 0x10B;
constexpr std::uint16_t kMagicPe32Plus = 0x20B;
constexpr std::size_t kFileHeaderSize = 20;
constexpr std::size_t kSectionHeaderSize = 40;
constexpr std::uint32_t kImportDescriptorSize = 20;
constexpr std::uint32_t kExportDirectorySize = 40;
constexpr std::uint32_t kMaxEntries = 1u << 16;  // more imports, exports or thunks than this: a bad file

template <class T>
std::optional<T> ReadAt(const std::vector<std::uint8_t>& bytes, std::size_t offset) {
  if (offset > bytes.size() || bytes.size() - offset < sizeof(T)) return std::nullopt;
  T value;
  std::memcpy(&value, bytes.data() + offset, sizeof value);  // the file is little-endian, as this host
  return value;
}

template <class T>
T Get(std::span<const std::uint8_t> bytes, std::size_t offset) {
  T value;
  std::memcpy(&value, bytes.data() + offset, sizeof value);
  return value;
}

template <class T>
std::optional<T> Fail(std::string* error, std::string why) {
  if (error != nullptr) *error = std::move(why);
  return std::nullopt;
}

}  // namespace

std::optional<Image> Image::Load(const std::string& path, std::string* error) {
  std::ifstream in(path, std::ios::binary);
  if (!in) return Fail<Image>(error, "cannot open " + path);
  std::vector<std::uint8_t> bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
  return Parse(std::move(bytes), error);
}

std::optional<Image> Image::Parse(std::vector<std::uint8_t> bytes, std::string* error) {
  Image image;
  image.bytes_ = std::move(bytes);
  const auto& b = image.bytes_;
  if (b.size() < 0x40 || b[0] != 'M' || b[1] != 'Z') return Fail<Image>(error, "no MZ header");
  const std::uint32_t pe_offset = *ReadAt<std::uint32_t>(b, 0x3C);
  const auto signature = ReadAt<std::uint32_t>(b, pe_offset);
  if (!signature || *signature != 0x00004550) return Fail<Image>(error, "no PE signature");

  const std::size_t file_header = pe_offset + 4;
  const auto machine = ReadAt<std::uint16_t>(b, file_header);
  const auto section_count = ReadAt<std::uint16_t>(b, file_header + 2);
  const auto optional_size = ReadAt<std::uint16_t>(b, file_header + 16);
  const auto characteristics = ReadAt<std::uint16_t>(b, file_header + 18);
  if (!machine || !section_count || !optional_size || !characteristics)
    return Fail<Image>(error, "file header cut short");
  image.machine_ = *machine;
  image.characteristics_ = *characteristics;

  const std::size_t optional = file_header + kFileHeaderSize;
  const auto magic = ReadAt<std::uint16_t>(b, optional);
  if (!magic || (*magic != kMagicPe32 && *magic != kMagicPe32Plus))
    return Fail<Image>(error, "unknown optional header");
  image.pe32_plus_ = *magic == kMagicPe32Plus;
  const std::size_t count_offset = optional + (image.pe32_plus_ ? 108 : 92);
  image.directories_offset_ = optional + (image.pe32_plus_ ? 112 : 96);
  image.checksum_offset_ = optional + 64;
  const auto entry = ReadAt<std::uint32_t>(b, optional + 16);
  const auto base = image.pe32_plus_ ? ReadAt<std::uint64_t>(b, optional + 24)
                                     : std::optional<std::uint64_t>(ReadAt<std::uint32_t>(b, optional + 28));
  const auto directory_count = ReadAt<std::uint32_t>(b, count_offset);
  if (!entry || !base || !directory_count) return Fail<Image>(error, "optional header cut short");
  image.entry_point_ = *entry;
  image.image_base_ = *base;
  image.directory_count_ = std::min<std::uint32_t>(*directory_count, 16);
  if (image.directories_offset_ + image.directory_count_ * 8 > optional + *optional_size)
    return Fail<Image>(error, "data directories outside the optional header");

  const std::size_t table = optional + *optional_size;
  for (std::size_t i = 0; i < *section_count; ++i) {
    const std::size_t at = table + i * kSectionHeaderSize;
    if (at + kSectionHeaderSize > b.size()) return Fail<Image>(error, "section table cut short");
    Section section;
    const char* name = reinterpret_cast<const char*>(b.data() + at);
    section.name.assign(name, strnlen(name, 8));
    section.virtual_size = *ReadAt<std::uint32_t>(b, at + 8);
    section.virtual_address = *ReadAt<std::uint32_t>(b, at + 12);
    section.raw_size = *ReadAt<std::uint32_t>(b, at + 16);
    section.raw_offset = *ReadAt<std::uint32_t>(b, at + 20);
    section.characteristics = *ReadAt<std::uint32_t>(b, at + 36);
    if (section.raw_size != 0 &&
        (section.raw_offset > b.size() || b.size() - section.raw_offset < section.raw_size))
      return Fail<Image>(error, "section " + section.name + " lies outside the file");
    image.sections_.push_back(std::move(section));
  }
  return image;
}

std::uint32_t Image::checksum() const {
  return *ReadAt<std::uint32_t>(bytes_, checksum_offset_);
}

DataDirectory Image::directory(int index) const {
  if (index < 0 || static_cast<std::uint32_t>(index) >= directory_count_) return {};
  const std::size_t at = directories_offset_ + static_cast<std::size_t>(index) * 8;
  return {*ReadAt<std::uint32_t>(bytes_, at), *ReadAt<std::uint32_t>(bytes_, at + 4)};
}

const Section* Image::SectionOf(std::uint32_t rva) const {
  for (const Section& section : sections_) {
    const std::uint32_t size = std::max(section.virtual_size, section.raw_size);
    if (rva >= section.virtual_address && rva - section.virtual_address < size) return &section;
  }
  return nullptr;
}

std::optional<std::span<const std::uint8_t>> Image::Bytes(std::uint32_t rva, std::uint32_t size) const {
  const Section* section = SectionOf(rva);
  if (section == nullptr) return std::nullopt;
  // Only what the file holds counts: the part of the section within both its raw and virtual sizes.
  const std::uint32_t held =
      std::min(section->raw_size, section->virtual_size == 0 ? section->raw_size : section->virtual_size);
  const std::uint32_t offset = rva - section->virtual_address;
  if (offset > held || held - offset < size) return std::nullopt;
  return std::span<const std::uint8_t>(bytes_.data() + section->raw_offset + offset, size);
}

std::optional<std::uint32_t> Image::U32(std::uint32_t rva) const {
  const auto bytes = Bytes(rva, 4);
  if (!bytes) return std::nullopt;
  return Get<std::uint32_t>(*bytes, 0);
}

std::optional<std::uint64_t> Image::U64(std::uint32_t rva) const {
  const auto bytes = Bytes(rva, 8);
  if (!bytes) return std::nullopt;
  return Get<std::uint64_t>(*bytes, 0);
}

std::optional<std::string> Image::String(std::uint32_t rva) const {
  const Section* section = SectionOf(rva);
  if (section == nullptr) return std::nullopt;
  for (std::uint32_t length = 0;; ++length) {
    const auto byte = Bytes(rva + length, 1);
    if (!byte) return std::nullopt;
    if ((*byte)[0] == 0) {
      const auto text = Bytes(rva, length);
      return std::string(text->begin(), text->end());
    }
  }
}

std::vector<std::uint32_t> Image::Find(std::span<const std::uint8_t> needle) const {
  std::vector<std::uint32_t> found;
  if (needle.empty()) return found;
  for (const Section& section : sections_) {
    const auto data = Bytes(
        section.virtual_address,
        std::min(section.raw_size, section.virtual_size == 0 ? section.raw_size : section.virtual_size));
    if (!data) continue;
    auto at = data->begin();
    while ((at = std::search(at, data->end(), needle.begin(), needle.end())) != data->end()) {
      found.push_back(section.virtual_address + static_cast<std::uint32_t>(at - data->begin()));
      ++at;
    }
  }
  return found;
}

std::optional<ExportDirectory> Image::Exports(std::string* error) const {
  const DataDirectory where = directory(kDirectoryExport);
  if (where.rva == 0) return Fail<ExportDirectory>(error, "no export directory");
  const auto header = Bytes(where.rva, kExportDirectorySize);
  if (!header) return Fail<ExportDirectory>(error, "export directory outside the image");
  ExportDirectory exports;
  const auto name = String(Get<std::uint32_t>(*header, 12));
  if (!name) return Fail<ExportDirectory>(error, "export directory names no module");
  exports.module_name = *name;
  exports.base = Get<std::uint32_t>(*header, 16);
  const auto function_count = Get<std::uint32_t>(*header, 20);
  exports.name_count = Get<std::uint32_t>(*header, 24);
  const auto functions = Get<std::uint32_t>(*header, 28);
  if (function_count > kMaxEntries) return Fail<ExportDirectory>(error, "too many exports");
  for (std::uint32_t i = 0; i < function_count; ++i) {
    const auto address = U32(functions + 4 * i);
    if (!address) return Fail<ExportDirectory>(error, "export address table outside the image");
    exports.functions.push_back(*address);
  }
  return exports;
}

std::optional<std::uint64_t> Image::Pointer(std::uint32_t rva) const {
  if (pe32_plus_) return U64(rva);
  const auto value = U32(rva);
  if (!value) return std::nullopt;
  return *value;
}

std::optional<std::vector<ImportedFunction>> Image::ReadThunks(std::uint32_t rva, std::string* error) const {
  std::vector<ImportedFunction> functions;
  const std::uint32_t step = pe32_plus_ ? 8 : 4;
  const std::uint64_t ordinal_flag = pe32_plus_ ? 1ull << 63 : 1ull << 31;
  for (std::uint32_t i = 0;; ++i) {
    if (i == kMaxEntries) return Fail<std::vector<ImportedFunction>>(error, "import name table never ends");
    const auto thunk = Pointer(rva + i * step);
    if (!thunk) return Fail<std::vector<ImportedFunction>>(error, "import name table outside the image");
    if (*thunk == 0) return functions;
    ImportedFunction function;
    if ((*thunk & ordinal_flag) != 0) {
      if ((*thunk & ~ordinal_flag) > 0xFFFF)
        return Fail<std::vector<ImportedFunction>>(error, "an ordinal import with stray bits");
      function.by_ordinal = true;
      function.ordinal = static_cast<std::uint16_t>(*thunk);
    } else {
      if (*thunk > 0xFFFFFFFFu)
        return Fail<std::vector<ImportedFunction>>(error, "a name import beyond 4 GiB");
      const auto name = String(static_cast<std::uint32_t>(*thunk) + 2);  // after the 16-bit hint
      if (!name) return Fail<std::vector<ImportedFunction>>(error, "an import name outside the image");
      function.name = *name;
    }
    functions.push_back(std::move(function));
  }
}

std::optional<std::vector<ImportedModule>> Image::Imports(std::string* error) const {
  std::vector<ImportedModule> modules;
  const DataDirectory where = directory(kDirectoryImport);
  if (where.rva == 0) return modules;
  for (std::uint32_t i = 0;; ++i) {
    if (i == kMaxEntries) return Fail<std::vector<ImportedModule>>(error, "import directory never ends");
    const auto descriptor = Bytes(where.rva + i * kImportDescriptorSize, kImportDescriptorSize);
    if (!descriptor) return Fail<std::vector<ImportedModule>>(error, "import directory outside the image");
    const auto names = Get<std::uint32_t>(*descriptor, 0);
    const auto name = Get<std::uint32_t>(*descriptor, 12);
    const auto addresses = Get<std::uint32_t>(*descriptor, 16);
    if (names == 0 && name == 0 && addresses == 0) return modules;
    ImportedModule module;
    const auto module_name = String(name);
    if (!module_name) return Fail<std::vector<ImportedModule>>(error, "an import names no module");
    module.name = *module_name;
    auto functions = ReadThunks(names != 0 ? names : addresses, error);
    if (!functions) return std::nullopt;
    module.functions = std::move(*functions);
    modules.push_back(std::move(module));
  }
}

std::optional<std::vector<DelayImportedModule>> Image::DelayImports(std::string* error) const {
  std::vector<DelayImportedModule> modules;
  const DataDirectory where = directory(kDirectoryDelayImport);
  if (where.rva == 0) return modules;
  const std::uint32_t count = where.size / kDelayDescriptorSize;
  for (std::uint32_t i = 0;; ++i) {
    if (i >= count) return Fail<std::vector<DelayImportedModule>>(error, "delay import table not closed");
    const auto descriptor = Bytes(where.rva + i * kDelayDescriptorSize, kDelayDescriptorSize);
    if (!descriptor)
      return Fail<std::vector<DelayImportedModule>>(error, "delay import table outside the image");
    if (std::all_of(descriptor->begin(), descriptor->end(), [](std::uint8_t b) { return b == 0; }))
      return modules;
    DelayImportedModule module;
    module.attributes = Get<std::uint32_t>(*descriptor, 0);
    if (module.attributes != kDelayAttributeRva)
      return Fail<std::vector<DelayImportedModule>>(error, "a delay import descriptor without RVAs");
    const auto name = String(Get<std::uint32_t>(*descriptor, 4));
    if (!name) return Fail<std::vector<DelayImportedModule>>(error, "a delay import names no module");
    module.name = *name;
    module.module_handle_rva = Get<std::uint32_t>(*descriptor, 8);
    const auto addresses = Get<std::uint32_t>(*descriptor, 12);
    auto functions = ReadThunks(Get<std::uint32_t>(*descriptor, 16), error);
    if (!functions) return std::nullopt;
    module.functions = std::move(*functions);
    for (std::size_t f = 0; f < module.functions.size(); ++f) {
      const auto slot = Pointer(addresses + static_cast<std::uint32_t>(f) * (pe32_plus_ ? 8 : 4));
      if (!slot) return Fail<std::vector<DelayImportedModule>>(error, "delay import address table outside");
      module.iat.push_back(*slot);
    }
    modules.push_back(std::move(module));
  }
}

void Image::SetDirectory(int index, DataDirectory directory) {
  const std::size_t at = directories_offset_ + static_cast<std::size_t>(index) * 8;
  std::memcpy(bytes_.data() + at, &directory.rva, 4);
  std::memcpy(bytes_.data() + at + 4, &directory.size, 4);
}

// The image checksum: the file's 16-bit words summed with their carries folded back, the checksum field
// itself left out, and the file's length added.
void Image::UpdateChecksum() {
  std::uint64_t sum = 0;
  for (std::size_t i = 0; i < bytes_.size(); i += 2) {
    if (i == checksum_offset_ || i == checksum_offset_ + 2) continue;
    std::uint32_t word = bytes_[i];
    if (i + 1 < bytes_.size()) word |= static_cast<std::uint32_t>(bytes_[i + 1]) << 8;
    sum += word;
    sum = (sum & 0xFFFF) + (sum >> 16);
  }
  sum = (sum & 0xFFFF) + (sum >> 16);
  const std::uint32_t checksum = static_cast<std::uint32_t>(sum) + static_cast<std::uint32_t>(bytes_.size());
  std::memcpy(bytes_.data() + checksum_offset_, &checksum, 4);
}

}  // namespace pe
