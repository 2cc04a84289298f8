// A strict reader of PE images (PE32 and PE32+): headers, sections, the export directory, the imports and
// the delay imports, enough to check a built module byte for byte. Every offset is checked before it is
// read; a malformed file gives an error, never a read outside the file.
#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <vector>

namespace pe {

inline constexpr std::uint16_t kMachineI386 = 0x014C;
inline constexpr std::uint16_t kMachineAmd64 = 0x8664;
inline constexpr std::uint16_t kFileDll = 0x2000;  // file header characteristic: the image is a DLL

inline constexpr int kDirectoryExport = 0;
inline constexpr int kDirectoryImport = 1;
inline constexpr int kDirectoryTls = 9;
inline constexpr int kDirectoryDelayImport = 13;

inline constexpr std::uint32_t kSectionCode = 0x00000020;
inline constexpr std::uint32_t kSectionExecute = 0x20000000;
inline constexpr std::uint32_t kSectionWrite = 0x80000000;

inline constexpr std::uint32_t kDelayDescriptorSize = 32;  // eight 32-bit fields
inline constexpr std::uint32_t kDelayAttributeRva = 1;     // the descriptor's addresses are RVAs

struct DataDirectory {
  std::uint32_t rva = 0;
  std::uint32_t size = 0;
};

struct Section {
  std::string name;
  std::uint32_t virtual_address = 0;
  std::uint32_t virtual_size = 0;
  std::uint32_t raw_offset = 0;
  std::uint32_t raw_size = 0;
  std::uint32_t characteristics = 0;

  bool executable() const { return (characteristics & (kSectionCode | kSectionExecute)) != 0; }
  bool writable() const { return (characteristics & kSectionWrite) != 0; }
};

struct ExportDirectory {
  std::string module_name;
  std::uint32_t base = 0;
  std::vector<std::uint32_t> functions;  // the RVA of ordinal base + i; 0 for an empty slot
  std::uint32_t name_count = 0;
};

struct ImportedFunction {
  bool by_ordinal = false;
  std::uint16_t ordinal = 0;  // by_ordinal only
  std::string name;           // by name only
};

struct ImportedModule {
  std::string name;
  std::vector<ImportedFunction> functions;
};

struct DelayImportedModule {
  std::string name;
  std::uint32_t attributes = 0;
  std::uint32_t module_handle_rva = 0;
  std::vector<ImportedFunction> functions;
  std::vector<std::uint64_t> iat;  // the address slots as the file holds them, before any load
};

class Image {
 public:
  // Reads a whole file; nullopt, with the reason in `error`, when it is not a well-formed PE image.
  static std::optional<Image> Load(const std::string& path, std::string* error);
  static std::optional<Image> Parse(std::vector<std::uint8_t> bytes, std::string* error);

  bool pe32_plus() const { return pe32_plus_; }
  std::uint16_t machine() const { return machine_; }
  std::uint16_t characteristics() const { return characteristics_; }
  std::uint64_t image_base() const { return image_base_; }
  std::uint32_t entry_point() const { return entry_point_; }
  std::uint32_t checksum() const;
  const std::vector<Section>& sections() const { return sections_; }
  DataDirectory directory(int index) const;
  const std::vector<std::uint8_t>& bytes() const { return bytes_; }

  // The section holding `rva`, or null.
  const Section* SectionOf(std::uint32_t rva) const;
  // `size` bytes at `rva`, all within one section's data in the file; nullopt otherwise.
  std::optional<std::span<const std::uint8_t>> Bytes(std::uint32_t rva, std::uint32_t size) const;
  std::optional<std::uint32_t> U32(std::uint32_t rva) const;
  std::optional<std::uint64_t> U64(std::uint32_t rva) const;
  // A pointer-sized value: 4 bytes in a PE32 image, 8 in a PE32+ one.
  std::optional<std::uint64_t> Pointer(std::uint32_t rva) const;
  // A zero-terminated text at `rva`, within its section.
  std::optional<std::string> String(std::uint32_t rva) const;
  // Every RVA at which `needle` lies in a section's data in the file.
  std::vector<std::uint32_t> Find(std::span<const std::uint8_t> needle) const;

  std::optional<ExportDirectory> Exports(std::string* error) const;
  std::optional<std::vector<ImportedModule>> Imports(std::string* error) const;
  std::optional<std::vector<DelayImportedModule>> DelayImports(std::string* error) const;

  // Writing, for the tool that finishes a linked module: a data directory entry, and the checksum that
  // the header must then carry again.
  void SetDirectory(int index, DataDirectory directory);
  void UpdateChecksum();

 private:
  std::optional<std::vector<ImportedFunction>> ReadThunks(std::uint32_t rva, std::string* error) const;

  std::vector<std::uint8_t> bytes_;
  bool pe32_plus_ = false;
  std::uint16_t machine_ = 0;
  std::uint16_t characteristics_ = 0;
  std::uint64_t image_base_ = 0;
  std::uint32_t entry_point_ = 0;
  std::size_t checksum_offset_ = 0;
  std::size_t directories_offset_ = 0;
  std::uint32_t directory_count_ = 0;
  std::vector<Section> sections_;
};

}  // namespace pe
