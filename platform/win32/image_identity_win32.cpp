// Is the file at the running image's name the image that runs, byte for
// byte? The uninstaller that SYSTEM later starts is copied from that file, so
// likeness of some parts is not enough: a copy with the same headers and
// resources but other code must be caught.
//
// Every byte the loader mapped from the file is compared with memory:
// - the headers, ImageBase aside (the loader may write the base it chose);
// - every section's raw data, the base relocations undone through the
//   mapped image's own relocation table; what the loader itself writes (the
//   import address table, the TLS index) is compared with what the file
//   must hold there instead;
// - a writable section against the copy a TLS callback takes before the C
//   runtime and the program's own code first write them;
// - the raw data past a section's virtual size must be zero, and no byte of
//   the file may lie outside the headers and the sections, except the
//   certificate table that the security directory names at the end.
#include "platform/win32/image_identity.h"

#include <cstdint>
#include <cstring>
#include <vector>

namespace platform {
namespace {

// The writable sections as the loader left them, taken before any code of
// the program (its C runtime included) ran. Zero in the file (GCC may place
// them in .data): set only after the copy is taken, so that the copy holds
// the file's zeros.
struct WritableCopy {
  DWORD rva;
  DWORD size;
  const unsigned char* bytes;
};
const WritableCopy* g_copies;
DWORD g_copyCount;
bool g_copied;

const IMAGE_NT_HEADERS* Headers(const unsigned char* base) {
  const auto* dos = reinterpret_cast<const IMAGE_DOS_HEADER*>(base);
  return reinterpret_cast<const IMAGE_NT_HEADERS*>(base + dos->e_lfanew);
}

DWORD Mapped(const IMAGE_SECTION_HEADER& s) {
  return s.SizeOfRawData < s.Misc.VirtualSize ? s.SizeOfRawData : s.Misc.VirtualSize;
}

void NTAPI CopyWritableSections(PVOID module, DWORD reason, PVOID) {
  if (reason != DLL_PROCESS_ATTACH || g_copied) return;
  const auto* base = static_cast<const unsigned char*>(module);
  const IMAGE_NT_HEADERS* nt = Headers(base);
  const IMAGE_SECTION_HEADER* first = IMAGE_FIRST_SECTION(nt);
  const WORD count = nt->FileHeader.NumberOfSections;
  SIZE_T total = sizeof(WritableCopy) * count;
  for (WORD i = 0; i < count; ++i)
    if (first[i].Characteristics & IMAGE_SCN_MEM_WRITE) total += Mapped(first[i]);
  auto* block = static_cast<unsigned char*>(HeapAlloc(GetProcessHeap(), 0, total));
  if (!block) return;  // no copy: every comparison fails, closed
  auto* copies = reinterpret_cast<WritableCopy*>(block);
  unsigned char* at = block + sizeof(WritableCopy) * count;
  DWORD n = 0;
  for (WORD i = 0; i < count; ++i) {
    const IMAGE_SECTION_HEADER& s = first[i];
    if (!(s.Characteristics & IMAGE_SCN_MEM_WRITE)) continue;
    const DWORD size = Mapped(s);
    std::memcpy(at, base + s.VirtualAddress, size);
    copies[n++] = {s.VirtualAddress, size, at};
    at += size;
  }
  g_copies = copies;
  g_copyCount = n;
  g_copied = true;
}

}  // namespace
}  // namespace platform

// Placed before the C runtime's own TLS callbacks (.CRT$XLC and later), which
// already write its data.
#if defined(_MSC_VER)
#pragma comment(linker, "/INCLUDE:_tls_used")
#pragma comment(linker, "/INCLUDE:tarnwell_copy_writable_sections")
#pragma section(".CRT$XLB", read)
extern "C" __declspec(allocate(".CRT$XLB")) const PIMAGE_TLS_CALLBACK tarnwell_copy_writable_sections =
    platform::CopyWritableSections;
#else
extern "C" {
__attribute__((section(".CRT$XLB"), used))
PIMAGE_TLS_CALLBACK tarnwell_copy_writable_sections = platform::CopyWritableSections;
}
#endif

namespace platform {
namespace {

bool ReadWhole(HANDLE file, std::vector<unsigned char>* bytes) {
  constexpr LONGLONG kLimit = 64ll << 20;
  LARGE_INTEGER size, zero = {};
  if (!GetFileSizeEx(file, &size) || size.QuadPart <= 0 || size.QuadPart > kLimit ||
      !SetFilePointerEx(file, zero, nullptr, FILE_BEGIN))
    return false;
  bytes->resize(static_cast<std::size_t>(size.QuadPart));
  for (std::size_t done = 0; done < bytes->size();) {
    DWORD got = 0;
    if (!ReadFile(file, bytes->data() + done, static_cast<DWORD>(bytes->size() - done), &got,
                  nullptr) ||
        got == 0)
      return false;
    done += got;
  }
  return true;
}

const WritableCopy* CopyOf(DWORD rva) {
  for (DWORD i = 0; i < g_copyCount; ++i)
    if (g_copies[i].rva == rva) return &g_copies[i];
  return nullptr;
}

// Subtracts `delta` from every place the relocation table names in `image`
// (laid out by RVA); false for a table that is not well formed.
bool UndoRelocations(const unsigned char* base, const IMAGE_DATA_DIRECTORY& dir,
                     std::vector<unsigned char>& image, std::uint64_t delta) {
  const std::size_t end = image.size();
  if (dir.VirtualAddress > end || dir.Size > end - dir.VirtualAddress) return false;
  for (DWORD at = 0; at + sizeof(IMAGE_BASE_RELOCATION) <= dir.Size;) {
    IMAGE_BASE_RELOCATION block;
    std::memcpy(&block, base + dir.VirtualAddress + at, sizeof block);
    if (block.SizeOfBlock < sizeof block || block.SizeOfBlock > dir.Size - at) return false;
    const DWORD entries = static_cast<DWORD>((block.SizeOfBlock - sizeof block) / sizeof(WORD));
    for (DWORD i = 0; i < entries; ++i) {
      WORD e;
      std::memcpy(&e, base + dir.VirtualAddress + at + sizeof block + i * sizeof(WORD), sizeof e);
      const std::size_t rva = static_cast<std::size_t>(block.VirtualAddress) + (e & 0xFFF);
      const int type = e >> 12;
      if (type == IMAGE_REL_BASED_ABSOLUTE) continue;
      if (type == IMAGE_REL_BASED_DIR64 && rva + 8 <= end) {
        std::uint64_t v;
        std::memcpy(&v, &image[rva], 8);
        v -= delta;
        std::memcpy(&image[rva], &v, 8);
      } else if (type == IMAGE_REL_BASED_HIGHLOW && rva + 4 <= end) {
        std::uint32_t v;
        std::memcpy(&v, &image[rva], 4);
        v -= static_cast<std::uint32_t>(delta);
        std::memcpy(&image[rva], &v, 4);
      } else {
        return false;
      }
    }
    at += block.SizeOfBlock;
  }
  return true;
}

// Takes what the loader writes from the file's own image: each import
// address table slot, which in the file must hold what its name table holds
// (an image not bound beforehand), and the TLS index.
bool TakeLoaderWrites(const unsigned char* base, const IMAGE_NT_HEADERS* nt,
                      const std::vector<unsigned char>& file, std::vector<unsigned char>& memory) {
  const std::size_t end = memory.size();
  const IMAGE_DATA_DIRECTORY& imports = nt->OptionalHeader.DataDirectory[IMAGE_DIRECTORY_ENTRY_IMPORT];
  for (DWORD at = imports.VirtualAddress;; at += sizeof(IMAGE_IMPORT_DESCRIPTOR)) {
    if (imports.VirtualAddress == 0) break;
    if (at + sizeof(IMAGE_IMPORT_DESCRIPTOR) > end) return false;
    IMAGE_IMPORT_DESCRIPTOR d;
    std::memcpy(&d, &file[at], sizeof d);
    if (d.Name == 0 && d.FirstThunk == 0) break;
    if (d.OriginalFirstThunk == 0 || d.TimeDateStamp != 0) return false;
    for (std::size_t i = 0;; ++i) {
      const std::size_t names = d.OriginalFirstThunk + i * 8, slot = d.FirstThunk + i * 8;
      if (names + 8 > end || slot + 8 > end) return false;
      if (std::memcmp(&file[names], &file[slot], 8) != 0) return false;
      std::memcpy(&memory[slot], &file[slot], 8);
      std::uint64_t thunk;
      std::memcpy(&thunk, &file[names], 8);
      if (thunk == 0) break;
    }
  }
  const IMAGE_DATA_DIRECTORY& tls = nt->OptionalHeader.DataDirectory[IMAGE_DIRECTORY_ENTRY_TLS];
  if (tls.VirtualAddress != 0) {
    if (tls.VirtualAddress + sizeof(IMAGE_TLS_DIRECTORY) > end) return false;
    IMAGE_TLS_DIRECTORY directory;
    std::memcpy(&directory, base + tls.VirtualAddress, sizeof directory);
    const std::uint64_t index = directory.AddressOfIndex - reinterpret_cast<std::uintptr_t>(base);
    if (directory.AddressOfIndex != 0) {
      if (index + 4 > end) return false;
      std::memcpy(&memory[index], &file[index], 4);
    }
  }
  return true;
}

}  // namespace

bool IsRunningImageFile(HANDLE fileHandle, const unsigned char* base) {
  if (!g_copied || !g_copies) return false;
  std::vector<unsigned char> bytes;
  if (!ReadWhole(fileHandle, &bytes)) return false;
  const IMAGE_NT_HEADERS* nt = Headers(base);
  const DWORD headerSize = nt->OptionalHeader.SizeOfHeaders;
  const std::size_t imageSize = nt->OptionalHeader.SizeOfImage;
  const std::size_t baseField = reinterpret_cast<const unsigned char*>(&nt->OptionalHeader.ImageBase) - base;
  if (headerSize > bytes.size() || headerSize > imageSize || baseField + 8 > headerSize) return false;
  // The headers, the base aside.
  if (std::memcmp(bytes.data(), base, baseField) != 0 ||
      std::memcmp(bytes.data() + baseField + 8, base + baseField + 8, headerSize - baseField - 8) != 0)
    return false;
  std::uint64_t fileBase;
  std::memcpy(&fileBase, bytes.data() + baseField, 8);
  // Both sides laid out by RVA: what the file holds, and what memory held.
  std::vector<unsigned char> file(imageSize), memory(imageSize);
  const IMAGE_SECTION_HEADER* sections = IMAGE_FIRST_SECTION(nt);
  const WORD count = nt->FileHeader.NumberOfSections;
  std::vector<std::pair<std::size_t, std::size_t>> covered = {{0, headerSize}};
  for (WORD i = 0; i < count; ++i) {
    const IMAGE_SECTION_HEADER& s = sections[i];
    const DWORD size = Mapped(s);
    if (s.SizeOfRawData == 0) continue;
    if (s.PointerToRawData > bytes.size() || s.SizeOfRawData > bytes.size() - s.PointerToRawData ||
        s.VirtualAddress > imageSize || size > imageSize - s.VirtualAddress)
      return false;
    for (DWORD k = size; k < s.SizeOfRawData; ++k)
      if (bytes[s.PointerToRawData + k] != 0) return false;
    std::memcpy(&file[s.VirtualAddress], &bytes[s.PointerToRawData], size);
    const unsigned char* held = base + s.VirtualAddress;
    if (s.Characteristics & IMAGE_SCN_MEM_WRITE) {
      const WritableCopy* copy = CopyOf(s.VirtualAddress);
      if (!copy || copy->size != size) return false;
      held = copy->bytes;
    }
    std::memcpy(&memory[s.VirtualAddress], held, size);
    covered.emplace_back(s.PointerToRawData, s.PointerToRawData + s.SizeOfRawData);
  }
  const std::uint64_t delta = reinterpret_cast<std::uintptr_t>(base) - fileBase;
  if (!UndoRelocations(base, nt->OptionalHeader.DataDirectory[IMAGE_DIRECTORY_ENTRY_BASERELOC],
                       memory, delta) ||
      !TakeLoaderWrites(base, nt, file, memory) || file != memory)
    return false;
  // No byte of the file outside the headers and the sections...
  std::size_t end = 0;
  for (bool grew = true; grew;) {
    grew = false;
    for (const auto& c : covered)
      if (c.first <= end && c.second > end) end = c.second, grew = true;
  }
  for (const auto& c : covered)
    if (c.first > end) return false;
  if (end == bytes.size()) return true;
  // ...but the certificate table, after at most the padding to 8 bytes.
  const IMAGE_DATA_DIRECTORY& certificates =
      nt->OptionalHeader.DataDirectory[IMAGE_DIRECTORY_ENTRY_SECURITY];
  const std::size_t at = certificates.VirtualAddress;
  if (certificates.Size == 0 || at < end || at - end >= 8 || at > bytes.size() ||
      certificates.Size != bytes.size() - at)
    return false;
  for (std::size_t k = end; k < at; ++k)
    if (bytes[k] != 0) return false;
  return true;
}

}  // namespace platform
