// SetUp.exe's image read back: the load configuration that restricts the
// loader's search for its imports, the import table, what the image can load
// by name later, and the version information. SetUp-unprotected.exe, linked
// without the restriction, shows that the reader finds a difference.
#include <gtest/gtest.h>

#include <windows.h>

#include <algorithm>
#include <cctype>
#include <cstring>
#include <fstream>
#include <iterator>
#include <map>
#include <set>
#include <string>
#include <vector>

#include "common/case_name.h"
#include "e2e/driver.h"

namespace {

using e2e::WinPath;

std::string Lower(std::string s) {
  for (char& c : s) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
  return s;
}

// The parts of a PE32+ image that the tests look at.
struct Image {
  std::string error;
  std::string bytes;
  WORD machine = 0;
  WORD subsystem = 0;
  WORD dllCharacteristics = 0;
  IMAGE_DATA_DIRECTORY relocations{};
  std::vector<IMAGE_SECTION_HEADER> sections;
  IMAGE_DATA_DIRECTORY loadConfig{};
  std::string loadConfigSection;
  IMAGE_LOAD_CONFIG_DIRECTORY64 config{};
  std::map<std::string, std::set<std::string>> imports;  // lower-case DLL: functions

  bool At(std::size_t off, std::size_t n) const { return off + n <= bytes.size() && off + n >= off; }
  bool Offset(DWORD rva, std::size_t n, std::size_t* off, std::string* section = nullptr) const {
    for (const IMAGE_SECTION_HEADER& s : sections) {
      if (rva >= s.VirtualAddress && rva + n <= s.VirtualAddress + s.SizeOfRawData) {
        *off = rva - s.VirtualAddress + s.PointerToRawData;
        if (section) section->assign(reinterpret_cast<const char*>(s.Name), strnlen(reinterpret_cast<const char*>(s.Name), 8));
        return At(*off, n);
      }
    }
    return false;
  }
  std::string Text(DWORD rva) const {
    std::size_t off = 0;
    if (!Offset(rva, 1, &off)) return "";
    const std::size_t end = bytes.find('\0', off);
    return end == std::string::npos ? "" : bytes.substr(off, end - off);
  }
};

Image Read(const std::string& file) {
  Image im;
  std::ifstream in(file, std::ios::binary);
  im.bytes.assign(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
  IMAGE_DOS_HEADER dos;
  IMAGE_NT_HEADERS64 nt;
  if (!im.At(0, sizeof dos)) return im.error = "short file", im;
  std::memcpy(&dos, im.bytes.data(), sizeof dos);
  const auto ntOff = static_cast<std::size_t>(dos.e_lfanew);
  if (dos.e_magic != IMAGE_DOS_SIGNATURE || !im.At(ntOff, sizeof nt)) return im.error = "no PE", im;
  std::memcpy(&nt, im.bytes.data() + ntOff, sizeof nt);
  if (nt.Signature != IMAGE_NT_SIGNATURE || nt.OptionalHeader.Magic != IMAGE_NT_OPTIONAL_HDR64_MAGIC)
    return im.error = "not PE32+", im;
  im.machine = nt.FileHeader.Machine;
  im.subsystem = nt.OptionalHeader.Subsystem;
  im.dllCharacteristics = nt.OptionalHeader.DllCharacteristics;
  im.relocations = nt.OptionalHeader.DataDirectory[IMAGE_DIRECTORY_ENTRY_BASERELOC];
  const std::size_t secOff =
      ntOff + offsetof(IMAGE_NT_HEADERS64, OptionalHeader) + nt.FileHeader.SizeOfOptionalHeader;
  im.sections.resize(nt.FileHeader.NumberOfSections);
  if (!im.At(secOff, im.sections.size() * sizeof(IMAGE_SECTION_HEADER))) return im.error = "sections", im;
  std::memcpy(im.sections.data(), im.bytes.data() + secOff,
              im.sections.size() * sizeof(IMAGE_SECTION_HEADER));

  im.loadConfig = nt.OptionalHeader.DataDirectory[IMAGE_DIRECTORY_ENTRY_LOAD_CONFIG];
  std::size_t off = 0;
  if (im.loadConfig.VirtualAddress) {
    if (!im.Offset(im.loadConfig.VirtualAddress, sizeof im.config, &off, &im.loadConfigSection))
      return im.error = "load configuration outside the sections", im;
    std::memcpy(&im.config, im.bytes.data() + off, sizeof im.config);
  }

  const IMAGE_DATA_DIRECTORY dir = nt.OptionalHeader.DataDirectory[IMAGE_DIRECTORY_ENTRY_IMPORT];
  if (!im.Offset(dir.VirtualAddress, sizeof(IMAGE_IMPORT_DESCRIPTOR), &off)) return im.error = "imports", im;
  for (;; off += sizeof(IMAGE_IMPORT_DESCRIPTOR)) {
    IMAGE_IMPORT_DESCRIPTOR d;
    if (!im.At(off, sizeof d)) return im.error = "import directory", im;
    std::memcpy(&d, im.bytes.data() + off, sizeof d);
    if (d.Name == 0 && d.FirstThunk == 0) break;
    std::set<std::string>& functions = im.imports[Lower(im.Text(d.Name))];
    std::size_t t = 0;
    for (DWORD rva = d.OriginalFirstThunk ? d.OriginalFirstThunk : d.FirstThunk;
         im.Offset(rva, 8, &t); rva += 8) {
      ULONGLONG thunk = 0;
      std::memcpy(&thunk, im.bytes.data() + t, 8);
      if (thunk == 0) break;
      if (thunk & IMAGE_ORDINAL_FLAG64)
        functions.insert("#" + std::to_string(thunk & 0xFFFF));
      else
        functions.insert(im.Text(static_cast<DWORD>(thunk) + 2));  // past the hint
    }
  }
  return im;
}

// Every name ending in ".dll" in the image, ASCII or UTF-16 (at even and at
// odd offsets), lower-cased.
std::set<std::string> DllNamesInside(const std::string& b) {
  std::set<std::string> names;
  auto nameChar = [](unsigned char c) {
    return c < 0x80 && (std::isalnum(c) || c == '_' || c == '-' || c == '.');
  };
  const std::pair<std::size_t, std::size_t> scans[] = {{0, 1}, {0, 2}, {1, 2}};
  for (const auto& [start, step] : scans) {
    std::string run;
    for (std::size_t i = start; i + step <= b.size(); i += step) {
      const unsigned char c = static_cast<unsigned char>(b[i]);
      // A UTF-16 name starts after a unit of the ASCII range or a zero (the
      // byte before it is 0): not on the last letter of an ASCII text, whose
      // terminating zero would make it look like a UTF-16 unit.
      const bool unit = step == 1 || (b[i + 1] == '\0' && (!run.empty() || i == 0 || b[i - 1] == '\0'));
      if (nameChar(c) && unit) {
        run += static_cast<char>(c);
        continue;
      }
      const std::string low = Lower(run);
      if (low.size() > 4 && low.compare(low.size() - 4, 4, ".dll") == 0) names.insert(low);
      run.clear();
    }
  }
  return names;
}

struct LoadConfigCase {
  const char* name;
  const char* exe;
  bool restricted;
};

class LoadConfigTest : public testing::TestWithParam<LoadConfigCase> {};

TEST_P(LoadConfigTest, DependentLoadFlagsSayTheSystemFolder) {
  const LoadConfigCase& c = GetParam();
  const Image im = Read(WinPath(c.exe));
  ASSERT_TRUE(im.error.empty()) << im.error;
  if (!c.restricted) {
    EXPECT_EQ(im.loadConfig.VirtualAddress, 0u);
    return;
  }
  ASSERT_NE(im.loadConfig.VirtualAddress, 0u);
  // The directory and the structure agree on the size, the 64-bit layout
  // through SEHandlerCount; the structure lies in read-only data.
  EXPECT_EQ(im.loadConfig.Size, 0x70u);
  EXPECT_EQ(im.config.Size, im.loadConfig.Size);
  EXPECT_EQ(im.loadConfigSection, ".rdata");
  EXPECT_EQ(im.config.Reserved1, LOAD_LIBRARY_SEARCH_SYSTEM32);  // DependentLoadFlags
  // Nothing else is asked of the loader: no cookie, no handler or lock tables.
  EXPECT_EQ(im.config.SecurityCookie, 0u);
  EXPECT_EQ(im.config.SEHandlerTable, 0u);
  EXPECT_EQ(im.config.LockPrefixTable, 0u);
  EXPECT_EQ(im.config.GlobalFlagsSet, 0u);
  EXPECT_EQ(im.config.ProcessHeapFlags, 0u);
}

INSTANTIATE_TEST_SUITE_P(Image, LoadConfigTest,
                         testing::Values(LoadConfigCase{"SetUp", TARNWELL_SETUP_EXE, true},
                                         LoadConfigCase{"Unprotected", TARNWELL_SETUP_UNPROTECTED_EXE,
                                                        false}),
                         CaseName());

// The DLLs that Windows always maps from the system folder (known DLLs),
// whichever folder the program starts from: the only ones that an import
// table may name (on Windows 7 to 8.1, which ignore DependentLoadFlags, the
// loader looks for any other import in the program's folder first).
const std::set<std::string> kSystemDlls = {
    "kernel32.dll", "user32.dll", "gdi32.dll",    "advapi32.dll", "shell32.dll",
    "ole32.dll",    "oleaut32.dll", "msvcrt.dll", "shlwapi.dll",  "comdlg32.dll"};

struct ImportCase {
  const char* name;
  const char* exe;
};

class ImportTest : public testing::TestWithParam<ImportCase> {};

TEST_P(ImportTest, ImportsOnlySystemDlls) {
  const Image im = Read(WinPath(GetParam().exe));
  ASSERT_TRUE(im.error.empty()) << im.error;
  EXPECT_EQ(im.machine, IMAGE_FILE_MACHINE_AMD64);
  EXPECT_EQ(im.subsystem, IMAGE_SUBSYSTEM_WINDOWS_GUI);
  ASSERT_TRUE(im.imports.count("kernel32.dll"));
  for (const auto& [dll, functions] : im.imports) EXPECT_TRUE(kSystemDlls.count(dll)) << dll;
}

INSTANTIATE_TEST_SUITE_P(Image, ImportTest,
                         testing::Values(ImportCase{"SetUp", TARNWELL_SETUP_EXE},
                                         ImportCase{"Unprotected", TARNWELL_SETUP_UNPROTECTED_EXE}),
                         CaseName());

// Loaded anywhere (above 4 GB too, with its relocations), its data never executed.
TEST(ImageTest, DynamicBaseHighEntropyVaNxCompatible) {
  const Image im = Read(WinPath(TARNWELL_SETUP_EXE));
  ASSERT_TRUE(im.error.empty()) << im.error;
  const WORD wanted = IMAGE_DLLCHARACTERISTICS_DYNAMIC_BASE | IMAGE_DLLCHARACTERISTICS_HIGH_ENTROPY_VA |
                      IMAGE_DLLCHARACTERISTICS_NX_COMPAT;
  EXPECT_EQ(im.dllCharacteristics & wanted, wanted) << std::hex << im.dllCharacteristics;
  EXPECT_GT(im.relocations.Size, 0u);
}

// The release image stays within its size budget (400 KiB).
TEST(ImageTest, FitsItsSizeBudget) {
  const Image im = Read(WinPath(TARNWELL_SETUP_EXE));
  ASSERT_TRUE(im.error.empty()) << im.error;
  EXPECT_LE(im.bytes.size(), 409600u);
}

// SetUp.exe imports two loader functions: LoadLibraryExW, with which it
// loads comctl32 (and, through the delay-load helper's hook, the delay-loaded
// user32, gdi32 and shell32) from the system folder, and LoadLibraryA, which
// the delay-load helper calls when its hook gives no module (std::random_device
// and its LoadLibraryW are no longer linked: app/quiet_terminate.cpp). Any DLL
// name written in the image is a system DLL of the list above or comctl32.
TEST(ImageTest, NamesOnlySystemDllsAndComctl32) {
  const Image im = Read(WinPath(TARNWELL_SETUP_EXE));
  ASSERT_TRUE(im.error.empty()) << im.error;
  std::set<std::string> loaders;
  for (const auto& [dll, functions] : im.imports)
    for (const std::string& f : functions)
      if (f.rfind("LoadLibrary", 0) == 0 || f.rfind("LdrLoadDll", 0) == 0 ||
          f.rfind("LoadPackagedLibrary", 0) == 0 || f.rfind("LoadModule", 0) == 0)
        loaders.insert(dll + "!" + f);
  EXPECT_EQ(loaders, (std::set<std::string>{"kernel32.dll!LoadLibraryA", "kernel32.dll!LoadLibraryExW"}));
  const std::set<std::string> names = DllNamesInside(im.bytes);
  EXPECT_TRUE(names.count("comctl32.dll"));
  EXPECT_TRUE(names.count("user32.dll"));
  for (const std::string& name : names)
    EXPECT_TRUE(kSystemDlls.count(name) || name == "comctl32.dll") << name;
}

// The version information, read as Properties > Details and the elevation
// prompt read it (version.dll): one Chinese (PRC), code page 936 string
// table, and the fixed part with the version numbers of the dialog's line.
class VersionTest : public testing::Test {
 protected:
  static void SetUpTestSuite() {
    const std::string path = WinPath(TARNWELL_SETUP_EXE);
    DWORD handle = 0;
    const DWORD size = GetFileVersionInfoSizeA(path.c_str(), &handle);
    info_.assign(size, '\0');
    if (size == 0 || !GetFileVersionInfoA(path.c_str(), 0, size, &info_[0])) info_.clear();
  }
  static const void* Query(const wchar_t* block, UINT* length) {
    void* value = nullptr;
    *length = 0;
    if (info_.empty() || !VerQueryValueW(info_.data(), block, &value, length)) return nullptr;
    return value;
  }
  static std::string info_;
};
std::string VersionTest::info_;

TEST_F(VersionTest, FixedPartSays2026_5_12_0) {
  UINT length = 0;
  const auto* fixed = static_cast<const VS_FIXEDFILEINFO*>(Query(L"\\", &length));
  ASSERT_NE(fixed, nullptr);
  ASSERT_GE(length, sizeof(VS_FIXEDFILEINFO));
  EXPECT_EQ(fixed->dwSignature, 0xFEEF04BDu);
  EXPECT_EQ(fixed->dwFileVersionMS, (2026u << 16) | 5u);
  EXPECT_EQ(fixed->dwFileVersionLS, 12u << 16);
  EXPECT_EQ(fixed->dwProductVersionMS, fixed->dwFileVersionMS);
  EXPECT_EQ(fixed->dwProductVersionLS, fixed->dwFileVersionLS);
  EXPECT_EQ(fixed->dwFileType, static_cast<DWORD>(VFT_APP));
  EXPECT_EQ(fixed->dwFileFlags & fixed->dwFileFlagsMask, 0u);  // no debug or pre-release build
}

TEST_F(VersionTest, OneTranslationChinesePrcCodePage936) {
  UINT length = 0;
  const auto* pairs = static_cast<const WORD*>(Query(L"\\VarFileInfo\\Translation", &length));
  ASSERT_NE(pairs, nullptr);
  ASSERT_EQ(length, 4u);
  EXPECT_EQ(pairs[0], 0x0804);
  EXPECT_EQ(pairs[1], 936);
  // The resource itself is filed under the same language.
  HMODULE image = LoadLibraryExA(WinPath(TARNWELL_SETUP_EXE).c_str(), nullptr,
                                 LOAD_LIBRARY_AS_DATAFILE | LOAD_LIBRARY_AS_IMAGE_RESOURCE);
  ASSERT_NE(image, nullptr);
  EXPECT_NE(FindResourceExA(image, MAKEINTRESOURCEA(16), MAKEINTRESOURCEA(1),  // RT_VERSION
                            MAKELANGID(LANG_CHINESE, SUBLANG_CHINESE_SIMPLIFIED)),
            nullptr);
  FreeLibrary(image);
}

struct VersionStringCase {
  const char* name;
  const wchar_t* value;
};

class VersionStringTest : public VersionTest, public testing::WithParamInterface<VersionStringCase> {};

TEST_P(VersionStringTest, StringTable080403a8) {
  const VersionStringCase& c = GetParam();
  std::wstring block = L"\\StringFileInfo\\080403a8\\";
  for (const char* p = c.name; *p; ++p) block += static_cast<wchar_t>(*p);
  UINT length = 0;
  const auto* value = static_cast<const wchar_t*>(Query(block.c_str(), &length));
  ASSERT_NE(value, nullptr) << c.name;
  // The length counts the terminating zero where the compiler wrote one.
  std::wstring text(value, length);
  while (!text.empty() && text.back() == L'\0') text.pop_back();
  EXPECT_TRUE(text == c.value) << c.name;
}

INSTANTIATE_TEST_SUITE_P(
    Version, VersionStringTest,
    testing::Values(VersionStringCase{"FileVersion", L"2026.5.12.0"},
                    VersionStringCase{"ProductVersion", L"2026.5.12.0"},
                    VersionStringCase{"ProductName", L"Tarnwell软件"},
                    VersionStringCase{"FileDescription", L"Tarnwell软件安装"},
                    VersionStringCase{"CompanyName", L"Korvex"},
                    VersionStringCase{"OriginalFilename", L"SetUp.exe"}),
    CaseName());

}  // namespace
