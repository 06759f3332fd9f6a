// The hardening of the built pelmora.exe, read from the file itself and from its link map:
// ASLR with relocations, DEP, imports of system DLLs only, the stack protector, and the
// manifest's execution level and supported systems.
#include <gtest/gtest.h>

#include <algorithm>
#include <cctype>
#include <cstddef>
#include <fstream>
#include <iterator>
#include <optional>
#include <sstream>
#include <string>
#include <utility>
#include <vector>

#include "platform/win32.h"

namespace pelmora {
namespace {

std::optional<std::string> readFile(const char* path) {
  std::ifstream in(path, std::ios::binary);
  if (!in) return std::nullopt;
  return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

// A 32-bit PE image as it lies in its file.
class PeFile {
 public:
  explicit PeFile(std::string bytes) : bytes_(std::move(bytes)) {
    const auto* dos = at<IMAGE_DOS_HEADER>(0);
    if (dos == nullptr || dos->e_magic != IMAGE_DOS_SIGNATURE) return;
    nt_ = at<IMAGE_NT_HEADERS32>(static_cast<std::size_t>(dos->e_lfanew));
    if (nt_ == nullptr || nt_->Signature != IMAGE_NT_SIGNATURE ||
        nt_->OptionalHeader.Magic != IMAGE_NT_OPTIONAL_HDR32_MAGIC) {
      nt_ = nullptr;
      return;
    }
    const std::size_t first = static_cast<std::size_t>(dos->e_lfanew) +
                              offsetof(IMAGE_NT_HEADERS32, OptionalHeader) +
                              nt_->FileHeader.SizeOfOptionalHeader;
    for (WORD i = 0; i < nt_->FileHeader.NumberOfSections; ++i) {
      const auto* section = at<IMAGE_SECTION_HEADER>(first + i * sizeof(IMAGE_SECTION_HEADER));
      if (section == nullptr) {
        nt_ = nullptr;
        return;
      }
      sections_.push_back(*section);
    }
  }

  [[nodiscard]] const IMAGE_NT_HEADERS32* headers() const { return nt_; }

  [[nodiscard]] IMAGE_DATA_DIRECTORY directory(int index) const {
    return nt_->OptionalHeader.DataDirectory[index];
  }

  // The file offset of a relative virtual address, when a section's raw data holds it.
  [[nodiscard]] std::optional<std::size_t> offsetOf(DWORD rva) const {
    for (const IMAGE_SECTION_HEADER& s : sections_) {
      if (rva >= s.VirtualAddress && rva < s.VirtualAddress + s.SizeOfRawData) {
        return s.PointerToRawData + (rva - s.VirtualAddress);
      }
    }
    return std::nullopt;
  }

  template <typename T>
  [[nodiscard]] const T* at(std::size_t offset) const {
    if (offset > bytes_.size() || bytes_.size() - offset < sizeof(T)) return nullptr;
    return reinterpret_cast<const T*>(bytes_.data() + offset);
  }
  template <typename T>
  [[nodiscard]] const T* atRva(DWORD rva) const {
    const auto offset = offsetOf(rva);
    return offset ? at<T>(*offset) : nullptr;
  }

  [[nodiscard]] std::optional<std::string> stringAtRva(DWORD rva) const {
    const auto offset = offsetOf(rva);
    if (!offset) return std::nullopt;
    const std::size_t end = bytes_.find('\0', *offset);
    if (end == std::string::npos) return std::nullopt;
    return bytes_.substr(*offset, end - *offset);
  }

  // The names of the DLLs in the import table, in table order; empty when it cannot be read.
  [[nodiscard]] std::vector<std::string> importedDlls() const {
    std::vector<std::string> names;
    const IMAGE_DATA_DIRECTORY imports = directory(IMAGE_DIRECTORY_ENTRY_IMPORT);
    for (DWORD rva = imports.VirtualAddress;; rva += sizeof(IMAGE_IMPORT_DESCRIPTOR)) {
      const auto* descriptor = atRva<IMAGE_IMPORT_DESCRIPTOR>(rva);
      if (descriptor == nullptr) return {};
      if (descriptor->Name == 0) break;
      const auto name = stringAtRva(descriptor->Name);
      if (!name) return {};
      names.push_back(*name);
    }
    return names;
  }

 private:
  std::string bytes_;
  const IMAGE_NT_HEADERS32* nt_ = nullptr;
  std::vector<IMAGE_SECTION_HEADER> sections_;
};

std::string lowerCase(std::string s) {
  std::transform(s.begin(), s.end(), s.begin(),
                 [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
  return s;
}

class Hardening : public ::testing::Test {
 protected:
  void SetUp() override {
    auto bytes = readFile(PELMORA_EXE_PATH);
    ASSERT_TRUE(bytes.has_value()) << "cannot read " << PELMORA_EXE_PATH;
    pe_.emplace(std::move(*bytes));
    ASSERT_NE(pe_->headers(), nullptr) << PELMORA_EXE_PATH << " is no 32-bit PE image";
  }

  std::optional<PeFile> pe_;
};

TEST_F(Hardening, ProgramIsRelocatableWithAslrAndDep) {
  const IMAGE_NT_HEADERS32& nt = *pe_->headers();
  EXPECT_NE(nt.OptionalHeader.DllCharacteristics & IMAGE_DLLCHARACTERISTICS_DYNAMIC_BASE, 0);
  EXPECT_NE(nt.OptionalHeader.DllCharacteristics & IMAGE_DLLCHARACTERISTICS_NX_COMPAT, 0);
  // ASLR needs the relocations: without them the loader keeps the program at its preferred base.
  EXPECT_EQ(nt.FileHeader.Characteristics & IMAGE_FILE_RELOCS_STRIPPED, 0);
  const IMAGE_DATA_DIRECTORY relocations = pe_->directory(IMAGE_DIRECTORY_ENTRY_BASERELOC);
  ASSERT_GT(relocations.Size, sizeof(IMAGE_BASE_RELOCATION));
  const auto* block = pe_->atRva<IMAGE_BASE_RELOCATION>(relocations.VirtualAddress);
  ASSERT_NE(block, nullptr) << "the relocation directory lies outside the file's sections";
  EXPECT_GT(block->SizeOfBlock, sizeof(IMAGE_BASE_RELOCATION))
      << "the first relocation block is empty";
}

TEST_F(Hardening, ImportsOnlySystemDlls) {
  // ADVAPI32 seeds the stack protector's guard from the system's random source.
  static const char* const kSystemDlls[] = {"kernel32.dll", "user32.dll", "gdi32.dll", "msvcrt.dll",
                                            "advapi32.dll"};
  const std::vector<std::string> dlls = pe_->importedDlls();
  ASSERT_FALSE(dlls.empty()) << "no readable import table";
  std::vector<std::string> lower;
  for (const std::string& dll : dlls) {
    lower.push_back(lowerCase(dll));
    const bool system = std::find(std::begin(kSystemDlls), std::end(kSystemDlls), lower.back()) !=
                        std::end(kSystemDlls);
    EXPECT_TRUE(system) << "imports " << dll;
  }
  for (const char* needed : {"kernel32.dll", "user32.dll", "gdi32.dll"}) {
    EXPECT_NE(std::find(lower.begin(), lower.end(), needed), lower.end())
        << "does not import " << needed;
  }
}

TEST_F(Hardening, StackProtectorGuardsProductCode) {
  // The stripped program has no symbols: the link map tells which object called for the
  // protector's failure handler and where it and the guard were placed.
  const auto map = readFile(PELMORA_MAP_PATH);
  ASSERT_TRUE(map.has_value()) << "cannot read " << PELMORA_MAP_PATH;
  const std::size_t archives = map->find("Archive member included to satisfy reference");
  const std::size_t memoryMap = map->find("Linker script and memory map");
  ASSERT_NE(archives, std::string::npos);
  ASSERT_NE(memoryMap, std::string::npos);

  bool productCallsHandler = false;
  bool handlerPlaced = false;
  bool guardPlaced = false;
  std::istringstream lines(*map);
  std::size_t position = 0;
  for (std::string line; std::getline(lines, line); position += line.size() + 1) {
    std::istringstream words(line);
    std::string first;
    std::string second;
    words >> first >> second;
    if (position > archives && position < memoryMap && second == "(__stack_chk_fail)") {
      productCallsHandler = productCallsHandler || first.find("pelmora") != std::string::npos;
    }
    if (position > memoryMap && first.rfind("0x", 0) == 0) {
      handlerPlaced = handlerPlaced || second == "__stack_chk_fail";
      guardPlaced = guardPlaced || second == "__stack_chk_guard";
    }
  }
  EXPECT_TRUE(productCallsHandler) << "no instrumented product function";
  EXPECT_TRUE(handlerPlaced);
  EXPECT_TRUE(guardPlaced);
}

TEST_F(Hardening, ManifestRunsAsInvokerOnWindows7To11) {
  wchar_t path[MAX_PATH];
  ASSERT_GT(MultiByteToWideChar(CP_ACP, 0, PELMORA_EXE_PATH, -1, path, MAX_PATH), 0);
  const HMODULE image = LoadLibraryExW(path, nullptr, LOAD_LIBRARY_AS_DATAFILE);
  ASSERT_NE(image, nullptr);
  std::string manifest;
  if (const HRSRC resource = FindResourceW(image, MAKEINTRESOURCEW(1), RT_MANIFEST)) {
    if (const HGLOBAL loaded = LoadResource(image, resource)) {
      manifest.assign(static_cast<const char*>(LockResource(loaded)),
                      SizeofResource(image, resource));
    }
  }
  FreeLibrary(image);
  ASSERT_FALSE(manifest.empty()) << "no manifest resource 1";

  EXPECT_NE(manifest.find(R"(level="asInvoker")"), std::string::npos);
  static const char* const kSupportedOs[] = {
      "35138b9a-5d96-4fbd-8e2d-a2440225f93a",  // Windows 7
      "4a2f28e3-53b9-4441-ba9c-d69d4a4a6e38",  // Windows 8
      "1f676c76-80e1-4239-95bb-83d0f6d0da78",  // Windows 8.1
      "8e0f7a12-bfb3-4fe8-b9a5-48fd50a15a9a",  // Windows 10 and 11
  };
  for (const char* id : kSupportedOs) {
    EXPECT_NE(manifest.find(std::string(R"(<supportedOS Id="{)") + id + "}\""), std::string::npos)
        << "no supportedOS " << id;
  }
}

}  // namespace
}  // namespace pelmora
