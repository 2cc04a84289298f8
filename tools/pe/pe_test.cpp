// Checks a built Kombrel.dll as the host and the Windows loader see it: exports by ordinal only, the
// imports it may have and no others, the delay-loaded runtime module, the start-up's initialiser table,
// and the exact bytes of its constant data.
//
//   kombrel-pe-test [gtest flags] MODULE i386|amd64
#include <gtest/gtest.h>

#include <algorithm>
#include <cctype>
#include <cstdio>
#include <cstring>
#include <map>
#include <set>
#include <string>
#include <vector>

#include "common/texts.h"
#include "host/host_services.h"
#include "tests/form_table_bytes.h"
#include "tools/pe/pe_reader.h"

namespace {

std::string module_path;
std::string expected_machine;

std::string Lower(std::string text) {
  std::transform(text.begin(), text.end(), text.begin(), [](unsigned char c) { return std::tolower(c); });
  return text;
}

class ModuleTest : public ::testing::Test {
 protected:
  void SetUp() override {
    std::string error;
    auto image = pe::Image::Load(module_path, &error);
    ASSERT_TRUE(image.has_value()) << module_path << ": " << error;
    image_ = std::move(*image);
  }

  const pe::Image& image() const { return *image_; }

  // The imports by module, the module names in lower case as the loader compares them. A module may have
  // more than one import descriptor (one per import library that names it): their functions add up.
  std::map<std::string, std::vector<pe::ImportedFunction>> Imports() const {
    std::string error;
    const auto modules = image().Imports(&error);
    EXPECT_TRUE(modules.has_value()) << error;
    std::map<std::string, std::vector<pe::ImportedFunction>> by_module;
    if (!modules) return by_module;
    for (const auto& module : *modules) {
      auto& functions = by_module[Lower(module.name)];
      functions.insert(functions.end(), module.functions.begin(), module.functions.end());
    }
    return by_module;
  }

  bool InCode(std::uint32_t rva) const {
    const pe::Section* section = image().SectionOf(rva);
    return section != nullptr && section->executable();
  }

  // A pointer the image holds (a virtual address at the preferred base) as an RVA.
  std::uint32_t Rva(std::uint64_t address) const {
    return address < image().image_base() ? 0 : static_cast<std::uint32_t>(address - image().image_base());
  }

  // Every place the image holds these bytes.
  std::vector<std::uint32_t> Where(const void* bytes, std::size_t size) const {
    return image().Find({static_cast<const std::uint8_t*>(bytes), size});
  }

 private:
  std::optional<pe::Image> image_;
};

TEST_F(ModuleTest, IsADllForTheExpectedMachineWithAValidChecksum) {
  EXPECT_NE(image().characteristics() & pe::kFileDll, 0);
  if (expected_machine == "i386") {
    EXPECT_EQ(image().machine(), pe::kMachineI386);
    EXPECT_FALSE(image().pe32_plus()) << "the shipped module is PE32";
  } else {
    EXPECT_EQ(image().machine(), pe::kMachineAmd64);
    EXPECT_TRUE(image().pe32_plus());
  }
  EXPECT_TRUE(InCode(image().entry_point()));
  // No thread-local storage: its callbacks would run before the module's own entry point.
  EXPECT_EQ(image().directory(pe::kDirectoryTls).rva, 0u);
  pe::Image copy = image();
  copy.UpdateChecksum();
  EXPECT_EQ(copy.checksum(), image().checksum()) << "the header's checksum does not match the file";
}

TEST_F(ModuleTest, ExportsTheThreeEntriesByOrdinalOnly) {
  std::string error;
  const auto exports = image().Exports(&error);
  ASSERT_TRUE(exports.has_value()) << error;
  EXPECT_EQ(exports->module_name, "Kombrel.dll");
  EXPECT_EQ(exports->base, 30001u);
  EXPECT_EQ(exports->name_count, 0u) << "exports carry names";
  ASSERT_EQ(exports->functions.size(), 9u);
  for (std::uint32_t ordinal = 30001; ordinal <= 30009; ++ordinal) {
    const std::uint32_t rva = exports->functions[ordinal - 30001];
    if (ordinal == 30001 || ordinal == 30008 || ordinal == 30009) {
      EXPECT_TRUE(InCode(rva)) << ordinal << " does not lead to code";
    } else {
      EXPECT_EQ(rva, 0u) << ordinal << " is not empty";
    }
  }
  const std::set<std::uint32_t> entries(exports->functions.begin(), exports->functions.end());
  EXPECT_EQ(entries.size(), 4u) << "the three entries are three functions";
}

TEST_F(ModuleTest, ImportsOnlyFromTheHostTheRuntimeKernel32AndUser32) {
  const auto imports = Imports();
  const std::set<std::string> allowed = {"torval.dll", "braxo.dll", "msvcrt.dll", "kernel32.dll",
                                         "user32.dll"};
  for (const auto& [module, functions] : imports)
    EXPECT_EQ(allowed.count(module), 1u) << "an import from " << module;

  // The host's exception translator, entry 30005, by ordinal; nothing else of the host statically.
  ASSERT_EQ(imports.count("torval.dll"), 1u);
  const auto& torval = imports.at("torval.dll");
  ASSERT_EQ(torval.size(), 1u);
  EXPECT_TRUE(torval[0].by_ordinal);
  EXPECT_EQ(torval[0].ordinal, ordinal::sys_se_translator);

  // wsprintfA comes from the host's compatibility module, never from user32.
  ASSERT_EQ(imports.count("braxo.dll"), 1u);
  const auto& braxo = imports.at("braxo.dll");
  ASSERT_EQ(braxo.size(), 1u);
  EXPECT_FALSE(braxo[0].by_ordinal);
  EXPECT_EQ(braxo[0].name, "wsprintfA");
  if (imports.count("user32.dll") != 0) {
    for (const auto& function : imports.at("user32.dll"))
      EXPECT_NE(function.name, "wsprintfA");
  }

  // _set_se_translator under the only name the C runtime DLL exports it by.
  ASSERT_EQ(imports.count("msvcrt.dll"), 1u);
  const std::string translator = image().pe32_plus()
                                     ? "?_set_se_translator@@YAP6AXIPEAU_EXCEPTION_POINTERS@@@ZP6AXI0@Z@Z"
                                     : "?_set_se_translator@@YAP6AXIPAU_EXCEPTION_POINTERS@@@ZP6AXI0@Z@Z";
  const auto& msvcrt = imports.at("msvcrt.dll");
  EXPECT_TRUE(std::any_of(msvcrt.begin(), msvcrt.end(), [&](const auto& f) { return f.name == translator; }));

  // The runtime's command line comes from KOLUM alone.
  for (const auto& [module, functions] : imports) {
    for (const auto& function : functions)
      EXPECT_NE(function.name, "GetCommandLineA") << "from " << module;
  }
}

TEST_F(ModuleTest, DelayLoadsTheRuntimeModuleThroughLazyStubs) {
  std::string error;
  const auto delayed = image().DelayImports(&error);
  ASSERT_TRUE(delayed.has_value()) << error;
  ASSERT_EQ(delayed->size(), 1u) << "the delay import directory is empty or holds more than KOLUM";
  const pe::DelayImportedModule& kolum = delayed->front();
  EXPECT_EQ(kolum.name, "KOLUM.dll");
  ASSERT_EQ(kolum.functions.size(), 1u);
  EXPECT_FALSE(kolum.functions[0].by_ordinal);
  EXPECT_EQ(kolum.functions[0].name, "GetCommandLineA");
  // Before the first call each address slot leads to the stub that calls the delay-load helper; a null
  // slot would make that first call jump to nothing.
  ASSERT_EQ(kolum.iat.size(), 1u);
  EXPECT_TRUE(InCode(Rva(kolum.iat[0])));
  const pe::Section* handle = image().SectionOf(kolum.module_handle_rva);
  ASSERT_NE(handle, nullptr);
  EXPECT_TRUE(handle->writable()) << "the helper stores KOLUM's handle there";
}

TEST_F(ModuleTest, StartUpWalksOneServiceCheckPerHostServiceBetweenNullMarkers) {
  const auto kinit = std::find_if(image().sections().begin(), image().sections().end(),
                                  [](const pe::Section& s) { return s.name == ".kinit"; });
  ASSERT_NE(kinit, image().sections().end()) << "no initialiser section";
  const std::uint32_t pointer = image().pe32_plus() ? 8 : 4;
  const std::uint32_t slots = std::min(kinit->virtual_size, kinit->raw_size) / pointer;
  std::vector<std::uint64_t> entries;
  for (std::uint32_t i = 0; i < slots; ++i) {
    const std::uint32_t rva = kinit->virtual_address + i * pointer;
    const auto entry = image().Pointer(rva);
    ASSERT_TRUE(entry.has_value());
    entries.push_back(*entry);
  }
  ASSERT_GE(entries.size(), 2u);
  EXPECT_EQ(entries.front(), 0u) << "the start marker";
  EXPECT_EQ(entries.back(), 0u) << "the end marker";
  int checks = 0;
  for (std::uint64_t entry : entries) {
    if (entry == 0) continue;
    EXPECT_TRUE(InCode(Rva(entry))) << "an initialiser that is not code";
    ++checks;
  }
  EXPECT_EQ(checks, kHostServiceCount);
}

// The constant data: each text in the image with its terminator, in Mazovia.
struct Text {
  const char* what;
  const char* bytes;
  std::size_t size;  // with the terminator
};
#define KOMBREL_TEXT(name)                               \
  Text {                                                 \
#name, texts::name.c_str(), sizeof texts::name.bytes \
  }

TEST_F(ModuleTest, CarriesItsTextsByteForByte) {
  static_assert(sizeof texts::kHelpText.bytes == 57);
  // Every text of the plug-in: each is used by its code, so each is in the image.
  const Text texts_in_use[] = {
      KOMBREL_TEXT(kHelpText),
      KOMBREL_TEXT(kHostModule),
      KOMBREL_TEXT(kTitleError),
      KOMBREL_TEXT(kTitleWarning),
      KOMBREL_TEXT(kTitleWarningLower),
      KOMBREL_TEXT(kTitleStop),
      KOMBREL_TEXT(kTitleBlocked),
      KOMBREL_TEXT(kNeedsNewerPlugin),
      KOMBREL_TEXT(kTableTspr),
      KOMBREL_TEXT(kTableTsprDok),
      KOMBREL_TEXT(kTableMm),
      KOMBREL_TEXT(kTableMmDok),
      KOMBREL_TEXT(kVersionMismatch),
      KOMBREL_TEXT(kReportHeading),
      KOMBREL_TEXT(kReportRowLayout),
      KOMBREL_TEXT(kReportNoTable),
      KOMBREL_TEXT(kReportClosing),
      KOMBREL_TEXT(kMissingEntry),
      KOMBREL_TEXT(kMissingEntryCaption),
      KOMBREL_TEXT(kUnknownPath),
      KOMBREL_TEXT(kPleaseWait),
      KOMBREL_TEXT(kNothingToMark),
      KOMBREL_TEXT(kDiskError),
      KOMBREL_TEXT(kSelectionOutOfMemory),
      KOMBREL_TEXT(kCollectionDiskError),
      KOMBREL_TEXT(kCollectionSeekError),
      KOMBREL_TEXT(kCollectionOutOfMemory),
      KOMBREL_TEXT(kDocumentFull),
      KOMBREL_TEXT(kWarehouseLabel),
      KOMBREL_TEXT(kSettingsFile),
      KOMBREL_TEXT(kSettingsSection),
      KOMBREL_TEXT(kSettingsAskKey),
      KOMBREL_TEXT(kSettingsFormat),
      KOMBREL_TEXT(kInstallationNotice),
  };
  for (const Text& text : texts_in_use) {
    EXPECT_FALSE(Where(text.bytes, text.size).empty()) << text.what << " is not in the image";
  }
}

// The form table: its 941 bytes, once, in the image.
TEST_F(ModuleTest, CarriesTheFormTableByteForByte) {
  const std::vector<std::uint8_t> table = kombrel_test::DocumentedTable();
  ASSERT_EQ(table.size(), 941u);
  EXPECT_EQ(Where(table.data(), table.size()).size(), 1u);
}

}  // namespace

int main(int argc, char** argv) {
  ::testing::InitGoogleTest(&argc, argv);
  if (argc != 3 || (std::strcmp(argv[2], "i386") != 0 && std::strcmp(argv[2], "amd64") != 0)) {
    std::fprintf(stderr, "usage: kombrel-pe-test [gtest flags] MODULE i386|amd64\n");
    return 2;
  }
  module_path = argv[1];
  expected_machine = argv[2];
  return RUN_ALL_TESTS();
}
