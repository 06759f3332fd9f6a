// The resources of the built pelmora.exe, read from the file as Explorer and the loader read
// them: the version information, the icon group that is the file's icon, and the manifest.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <cstdlib>
#include <cwchar>
#include <string>
#include <string_view>
#include <vector>

#include "platform/handle.h"
#include "platform/win32.h"
#include "platform/windowing.h"

// After windows.h, which leaves it out with WIN32_LEAN_AND_MEAN.
#include <winver.h>

#ifndef PELMORA_EXE
#error "PELMORA_EXE must name the built pelmora.exe"
#endif
#ifndef PELMORA_VERSION
#error "PELMORA_VERSION must give the project version"
#endif

namespace pelmora {
namespace {

// The program file as a Windows path: Wine shows the Unix root as drive Z:, and the loader
// wants backslashes. PELMORA_EXE_UNDER_TEST names another copy, such as the one in the release
// archive.
std::wstring exePath() {
  std::wstring path = L"" PELMORA_EXE;
  if (const wchar_t* other = _wgetenv(L"PELMORA_EXE_UNDER_TEST"); other != nullptr && *other != 0) {
    path = other;
  }
  std::replace(path.begin(), path.end(), L'/', L'\\');
  return path;
}

const std::wstring kVersion = L"" PELMORA_VERSION;

struct ModuleTraits {
  using pointer = HMODULE;
  static constexpr pointer invalid() noexcept { return nullptr; }
  static void close(pointer module) noexcept { FreeLibrary(module); }
};
using UniqueModule = platform::UniqueHandle<ModuleTraits>;

// Little-endian fields of a resource, read without relying on the layout of a packed struct.
std::uint16_t word(const std::uint8_t* bytes) {
  return static_cast<std::uint16_t>(bytes[0] | (bytes[1] << 8));
}
std::uint32_t dword(const std::uint8_t* bytes) {
  return static_cast<std::uint32_t>(word(bytes)) |
         (static_cast<std::uint32_t>(word(bytes + 2)) << 16);
}

// The names of one resource type in the order of the file's resource directory (named ones
// first, then numbered ones), numbers as "#n".
BOOL CALLBACK collectName(HMODULE, LPCWSTR, LPWSTR name, LONG_PTR param) {
  auto* names = reinterpret_cast<std::vector<std::wstring>*>(param);
  if (IS_INTRESOURCE(name)) {
    names->push_back(L"#" + std::to_wstring(reinterpret_cast<ULONG_PTR>(name)));
  } else {
    names->push_back(name);
  }
  return TRUE;
}

std::vector<std::wstring> resourceNames(HMODULE module, LPCWSTR type) {
  std::vector<std::wstring> names;
  EnumResourceNamesW(module, type, collectName, reinterpret_cast<LONG_PTR>(&names));
  return names;
}

// The bytes of one resource; empty when it is missing.
std::vector<std::uint8_t> resourceBytes(HMODULE module, LPCWSTR name, LPCWSTR type) {
  const HRSRC info = FindResourceW(module, name, type);
  if (info == nullptr) return {};
  const HGLOBAL loaded = LoadResource(module, info);
  const auto* data = static_cast<const std::uint8_t*>(LockResource(loaded));
  if (data == nullptr) return {};
  return {data, data + SizeofResource(module, info)};
}

class PelmoraExe : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_NE(GetFileAttributesW(path_.c_str()), INVALID_FILE_ATTRIBUTES)
        << "no program file at " << platform::narrow936(path_);
  }

  // The file loaded as resources only: no code of it runs.
  UniqueModule loadAsData() const {
    return UniqueModule(LoadLibraryExW(path_.c_str(), nullptr,
                                       LOAD_LIBRARY_AS_DATAFILE | LOAD_LIBRARY_AS_IMAGE_RESOURCE));
  }

  const std::wstring path_ = exePath();
};

// ---- Version information ---------------------------------------------------------------------

class VersionResource : public PelmoraExe {
 protected:
  void SetUp() override {
    PelmoraExe::SetUp();
    if (HasFatalFailure()) return;
    DWORD ignored = 0;
    const DWORD size = GetFileVersionInfoSizeW(path_.c_str(), &ignored);
    ASSERT_GT(size, 0u) << "the file has no version information";
    block_.resize(size);
    ASSERT_TRUE(GetFileVersionInfoW(path_.c_str(), 0, size, block_.data()));
  }

  // A value of the version block, or nullptr when it is missing.
  const void* query(const std::wstring& key, UINT* length = nullptr) const {
    void* value = nullptr;
    UINT size = 0;
    if (!VerQueryValueW(block_.data(), key.c_str(), &value, &size)) return nullptr;
    if (length != nullptr) *length = size;
    return value;
  }

  // A string of the first string table that the translation list names.
  std::wstring string(const wchar_t* name) const {
    UINT size = 0;
    const auto* translation = static_cast<const WORD*>(query(L"\\VarFileInfo\\Translation", &size));
    if (translation == nullptr || size < 2 * sizeof(WORD)) return L"<no translation>";
    wchar_t table[9];
    std::swprintf(table, 9, L"%04x%04x", translation[0], translation[1]);
    UINT length = 0;
    const auto* value = static_cast<const wchar_t*>(
        query(std::wstring(L"\\StringFileInfo\\") + table + L"\\" + name, &length));
    if (value == nullptr) return L"<missing>";
    return std::wstring(value, wcsnlen(value, length));
  }

  std::vector<unsigned char> block_;
};

TEST_F(VersionResource, StringsNameTheProductItsMakerAndTheProjectVersion) {
  struct Case {
    const wchar_t* name;
    std::wstring expected;
  };
  const Case cases[] = {
      {L"CompanyName", L"Tovrel"},
      {L"ProductName", L"Pelmora"},
      {L"FileVersion", kVersion},
      {L"ProductVersion", kVersion},
      {L"OriginalFilename", L"pelmora.exe"},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(platform::narrow936(string(c.name)), platform::narrow936(c.expected))
        << platform::narrow936(c.name);
  }
  const std::wstring description = string(L"FileDescription");
  EXPECT_FALSE(description.empty() || description[0] == L'<')
      << "FileDescription: " << platform::narrow936(description);
}

TEST_F(VersionResource, FixedInfoCarriesTheProjectVersionForAnApplication) {
  UINT size = 0;
  const auto* fixed = static_cast<const VS_FIXEDFILEINFO*>(query(L"\\", &size));
  ASSERT_NE(fixed, nullptr);
  ASSERT_GE(size, sizeof(VS_FIXEDFILEINFO));
  EXPECT_EQ(fixed->dwSignature, 0xFEEF04BDu);

  // The fourth part of the version is always 0.
  const std::uint32_t ms = (std::uint32_t{PELMORA_VERSION_MAJOR} << 16) | PELMORA_VERSION_MINOR;
  const std::uint32_t ls = std::uint32_t{PELMORA_VERSION_PATCH} << 16;
  EXPECT_EQ(fixed->dwFileVersionMS, ms);
  EXPECT_EQ(fixed->dwFileVersionLS, ls);
  EXPECT_EQ(fixed->dwProductVersionMS, ms);
  EXPECT_EQ(fixed->dwProductVersionLS, ls);
  EXPECT_EQ(fixed->dwFileType, static_cast<DWORD>(VFT_APP));
  EXPECT_EQ(fixed->dwFileOS, static_cast<DWORD>(VOS_NT_WINDOWS32));
  EXPECT_EQ(fixed->dwFileFlags & fixed->dwFileFlagsMask, 0u) << "a debug or pre-release build";
}

// ---- Icon ------------------------------------------------------------------------------------

// The program file loaded as data, for reading its resources.
class LoadedPelmoraExe : public PelmoraExe {
 protected:
  void SetUp() override {
    PelmoraExe::SetUp();
    if (HasFatalFailure()) return;
    module_ = loadAsData();
    ASSERT_TRUE(module_) << "LoadLibraryExW failed: " << GetLastError();
  }

  UniqueModule module_;
};

class IconResource : public LoadedPelmoraExe {};

TEST_F(IconResource, FirstIconGroupIsDefaultIcon) {
  // Explorer shows the first icon group of the resource directory as the file's icon.
  const std::vector<std::wstring> groups = resourceNames(module_.get(), RT_GROUP_ICON);
  ASSERT_FALSE(groups.empty());
  EXPECT_EQ(platform::narrow936(groups.front()), "DEFAULT_ICON");
}

TEST_F(IconResource, DefaultIconHoldsSixteenColourImagesOf16And32And48Pixels) {
  const std::vector<std::uint8_t> group =
      resourceBytes(module_.get(), L"DEFAULT_ICON", RT_GROUP_ICON);
  // Directory: reserved, type (1 = icon), count; then 14 bytes per image.
  ASSERT_GE(group.size(), 6u) << "no icon group DEFAULT_ICON";
  EXPECT_EQ(word(&group[2]), 1);
  const std::size_t count = word(&group[4]);
  ASSERT_EQ(count, 3u);
  ASSERT_GE(group.size(), 6 + 14 * count);

  std::vector<int> sizes;
  for (std::size_t i = 0; i < count; ++i) {
    const std::uint8_t* entry = &group[6 + 14 * i];
    const int width = entry[0] == 0 ? 256 : entry[0];
    const int height = entry[1] == 0 ? 256 : entry[1];
    const int colours = entry[2];
    const int bitCount = word(entry + 6);
    const int id = word(entry + 12);
    SCOPED_TRACE(::testing::Message() << "image " << i << ", " << width << "x" << height);
    EXPECT_EQ(width, height);
    EXPECT_EQ(colours, 16);
    EXPECT_EQ(bitCount, 4);
    sizes.push_back(width);

    // The image itself must agree with the directory: a 4-bit DIB of that size (its height
    // counts the colour and the mask halves).
    const std::vector<std::uint8_t> image =
        resourceBytes(module_.get(), MAKEINTRESOURCEW(id), RT_ICON);
    ASSERT_GE(image.size(), 40u) << "no icon image #" << id;
    EXPECT_EQ(static_cast<std::int32_t>(dword(&image[4])), width);
    EXPECT_EQ(static_cast<std::int32_t>(dword(&image[8])), 2 * height);
    EXPECT_EQ(word(&image[14]), 4);
  }
  std::sort(sizes.begin(), sizes.end());
  EXPECT_EQ(sizes, (std::vector<int>{16, 32, 48}));
}

// ---- Manifest --------------------------------------------------------------------------------

// The start tags named `element` in an XML text, each as its text between '<' and '>'.
std::vector<std::string> startTags(std::string_view xml, std::string_view element) {
  std::vector<std::string> tags;
  const std::string open = "<" + std::string(element);
  for (std::size_t at = xml.find(open); at != std::string_view::npos; at = xml.find(open, at + 1)) {
    const std::size_t end = xml.find('>', at);
    if (end == std::string_view::npos) break;
    const char next = xml[at + open.size()];
    if (next == ' ' || next == '\t' || next == '\r' || next == '\n' || next == '/' || next == '>') {
      tags.emplace_back(xml.substr(at, end - at + 1));
    }
  }
  return tags;
}

// The value of attribute `name` in a start tag; empty when absent.
std::string attribute(std::string_view tag, std::string_view name) {
  for (std::size_t at = tag.find(name); at != std::string_view::npos; at = tag.find(name, at + 1)) {
    const char before = tag[at - 1];
    const std::size_t quote = at + name.size() + 1;
    if ((before == ' ' || before == '\t' || before == '\r' || before == '\n') &&
        quote < tag.size() && tag[at + name.size()] == '=' &&
        (tag[quote] == '"' || tag[quote] == '\'')) {
      const std::size_t close = tag.find(tag[quote], quote + 1);
      if (close == std::string_view::npos) return {};
      return std::string(tag.substr(quote + 1, close - quote - 1));
    }
  }
  return {};
}

class ManifestResource : public LoadedPelmoraExe {
 protected:
  void SetUp() override {
    LoadedPelmoraExe::SetUp();
    if (HasFatalFailure()) return;
    const std::vector<std::uint8_t> bytes =
        resourceBytes(module_.get(), MAKEINTRESOURCEW(1), RT_MANIFEST);
    ASSERT_FALSE(bytes.empty()) << "no manifest resource 1";
    xml_.assign(bytes.begin(), bytes.end());
  }

  std::string xml_;
};

TEST_F(ManifestResource, IsTheOnlyManifest) {
  // A second manifest (one the linker made, say) would leave it open which one the loader uses.
  const std::vector<std::wstring> names = resourceNames(module_.get(), RT_MANIFEST);
  ASSERT_EQ(names.size(), 1u);
  EXPECT_EQ(platform::narrow936(names.front()), "#1");
}

TEST_F(ManifestResource, AsksForCommonControlsSix) {
  int found = 0;
  for (const std::string& tag : startTags(xml_, "assemblyIdentity")) {
    if (attribute(tag, "name") != "Microsoft.Windows.Common-Controls") continue;
    ++found;
    EXPECT_EQ(attribute(tag, "version"), "6.0.0.0") << tag;
    EXPECT_EQ(attribute(tag, "type"), "win32") << tag;
    EXPECT_EQ(attribute(tag, "publicKeyToken"), "6595b64144ccf1df") << tag;
  }
  EXPECT_EQ(found, 1) << xml_;
  // It must be a dependency, not the program's own identity.
  const std::size_t dependency = xml_.find("<dependentAssembly");
  const std::size_t controls = xml_.find("Microsoft.Windows.Common-Controls");
  EXPECT_NE(dependency, std::string::npos);
  EXPECT_LT(dependency, controls);
}

TEST_F(ManifestResource, RunsAsInvokerWithoutUiAccess) {
  const std::vector<std::string> levels = startTags(xml_, "requestedExecutionLevel");
  ASSERT_EQ(levels.size(), 1u) << xml_;
  EXPECT_EQ(attribute(levels.front(), "level"), "asInvoker");
  EXPECT_EQ(attribute(levels.front(), "uiAccess"), "false");
}

TEST_F(ManifestResource, ProgramIdentityCarriesTheProjectVersion) {
  const std::vector<std::string> identities = startTags(xml_, "assemblyIdentity");
  ASSERT_FALSE(identities.empty());
  // The first identity is the program's own, before any dependency. Its version has four parts.
  std::string version = platform::narrow936(kVersion);
  for (auto parts = std::count(version.begin(), version.end(), '.') + 1; parts < 4; ++parts) {
    version += ".0";
  }
  EXPECT_EQ(attribute(identities.front(), "name"), "Tovrel.Pelmora");
  EXPECT_EQ(attribute(identities.front(), "version"), version);
}

}  // namespace
}  // namespace pelmora
