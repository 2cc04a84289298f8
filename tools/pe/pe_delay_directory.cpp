// pe-delay-directory MODULE DLL-NAME
//
// Finishes a module linked by GNU ld with a delay import library made by dlltool -y: the linker lays
// out the delay import descriptors but leaves the header's delay import directory empty, where the
// Microsoft linker fills it in and where tools and loaders look for the delay-loaded modules. This finds
// the table (through the descriptor of DLL-NAME: RVA attributes, pointing at that name), checks that a
// null descriptor closes it, records it in the header and brings the checksum up to date. Running it
// again on a finished module changes nothing.
#include <cstdio>
#include <cstring>
#include <fstream>
#include <string>

#include "tools/pe/pe_reader.h"

namespace {

int Fail(const std::string& why) {
  std::fprintf(stderr, "pe-delay-directory: %s\n", why.c_str());
  return 1;
}

// A descriptor as the delay-load helper needs it: RVA attributes, a module name, and the module
// handle, address table and name table inside the image.
bool LooksLikeDescriptor(const pe::Image& image, std::uint32_t rva) {
  const auto bytes = image.Bytes(rva, pe::kDelayDescriptorSize);
  if (!bytes) return false;
  std::uint32_t fields[8];
  std::memcpy(fields, bytes->data(), sizeof fields);
  return fields[0] == pe::kDelayAttributeRva && image.String(fields[1]).has_value() &&
         image.SectionOf(fields[2]) != nullptr && image.SectionOf(fields[3]) != nullptr &&
         image.SectionOf(fields[4]) != nullptr;
}

bool IsNull(const pe::Image& image, std::uint32_t rva) {
  const auto bytes = image.Bytes(rva, pe::kDelayDescriptorSize);
  if (!bytes) return false;
  for (std::uint8_t byte : *bytes) {
    if (byte != 0) return false;
  }
  return true;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc != 3) return Fail("usage: pe-delay-directory MODULE DLL-NAME");
  const std::string path = argv[1];
  const std::string dll = argv[2];
  std::string error;
  auto image = pe::Image::Load(path, &error);
  if (!image) return Fail(path + ": " + error);

  // The descriptor of the named module: the only one whose name field points at that name.
  std::vector<std::uint8_t> name(dll.begin(), dll.end());
  name.push_back(0);
  std::uint32_t descriptor = 0;
  int matches = 0;
  for (std::uint32_t name_rva : image->Find(name)) {
    std::uint8_t pattern[8];
    const std::uint32_t fields[2] = {pe::kDelayAttributeRva, name_rva};
    std::memcpy(pattern, fields, sizeof pattern);
    for (std::uint32_t rva : image->Find(pattern)) {
      if (rva % 4 == 0 && LooksLikeDescriptor(*image, rva)) {
        descriptor = rva;
        ++matches;
      }
    }
  }
  if (matches != 1)
    return Fail(path + ": " + std::to_string(matches) + " delay import descriptors of " + dll);

  std::uint32_t first = descriptor;
  while (first >= pe::kDelayDescriptorSize && LooksLikeDescriptor(*image, first - pe::kDelayDescriptorSize))
    first -= pe::kDelayDescriptorSize;
  std::uint32_t end = descriptor;
  while (LooksLikeDescriptor(*image, end))
    end += pe::kDelayDescriptorSize;
  if (!IsNull(*image, end)) return Fail(path + ": no null descriptor closes the delay import table");

  const pe::DataDirectory table{first, end + pe::kDelayDescriptorSize - first};
  const pe::DataDirectory now = image->directory(pe::kDirectoryDelayImport);
  if (now.rva == table.rva && now.size == table.size) return 0;
  if (now.rva != 0) return Fail(path + ": the delay import directory already points elsewhere");
  const bool had_checksum = image->checksum() != 0;
  image->SetDirectory(pe::kDirectoryDelayImport, table);
  if (had_checksum) image->UpdateChecksum();

  std::ofstream out(path, std::ios::binary | std::ios::trunc);
  out.write(reinterpret_cast<const char*>(image->bytes().data()),
            static_cast<std::streamsize>(image->bytes().size()));
  if (!out) return Fail(path + ": cannot write");
  return 0;
}
