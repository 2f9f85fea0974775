#include <windows.h>

#include <sddl.h>

#include <cstring>
#include <memory>

#include "platform/security.h"
#include "platform/win32/wide.h"

namespace platform {

namespace {

struct LocalFreer {
  void operator()(void* p) const { LocalFree(p); }
};
using LocalSid = std::unique_ptr<void, LocalFreer>;

// ConvertStringSidToSidW; null for a text that is no SID.
LocalSid ToSid(const std::string& text) {
  const WideName name(text);
  PSID sid = nullptr;
  if (!name.ok() || !ConvertStringSidToSidW(name.c_str(), &sid)) return nullptr;
  return LocalSid(sid);
}

// An ACL of exactly `aces` in `buffer` (InitializeAcl, AddAccessAllowedAceEx,
// AddAccessDeniedAceEx): null, with the error in `error`, when it cannot be
// built.
PACL BuildAcl(const std::vector<Ace>& aces, std::unique_ptr<DWORD[]>* buffer, DWORD* error) {
  std::vector<LocalSid> sids;
  DWORD size = sizeof(ACL);
  *error = ERROR_INVALID_SID;
  for (const Ace& ace : aces) {
    sids.push_back(ToSid(ace.sid));
    if (!sids.back()) return nullptr;
    // Both ACE types are a header, a mask and the SID in place of SidStart.
    size += static_cast<DWORD>(sizeof(ACCESS_ALLOWED_ACE) - sizeof(DWORD)) +
            GetLengthSid(sids.back().get());
  }
  size = (size + 3) & ~3u;
  buffer->reset(new DWORD[size / sizeof(DWORD)]);
  PACL acl = reinterpret_cast<PACL>(buffer->get());
  *error = 0;
  if (!InitializeAcl(acl, size, ACL_REVISION)) *error = GetLastError();
  for (std::size_t i = 0; *error == 0 && i < aces.size(); ++i) {
    const BOOL ok =
        aces[i].type == kAceDeny
            ? AddAccessDeniedAceEx(acl, ACL_REVISION, aces[i].flags, aces[i].mask, sids[i].get())
            : AddAccessAllowedAceEx(acl, ACL_REVISION, aces[i].flags, aces[i].mask, sids[i].get());
    if (!ok) *error = GetLastError();
  }
  return *error == 0 ? acl : nullptr;
}

// A descriptor that carries the DACL (SE_DACL_AUTO_INHERITED, and
// SE_DACL_PROTECTED when `protect`).
DWORD DaclDescriptor(SECURITY_DESCRIPTOR* sd, PACL acl, bool protect) {
  const SECURITY_DESCRIPTOR_CONTROL bits = SE_DACL_PROTECTED | SE_DACL_AUTO_INHERITED;
  if (!InitializeSecurityDescriptor(sd, SECURITY_DESCRIPTOR_REVISION) ||
      !SetSecurityDescriptorDacl(sd, TRUE, acl, FALSE) ||
      !SetSecurityDescriptorControl(sd, bits, protect ? bits : SE_DACL_AUTO_INHERITED))
    return GetLastError();
  return 0;
}

std::string SidText(PSID sid) {
  LPWSTR text = nullptr;
  std::string out;
  if (sid && ConvertSidToStringSidW(sid, &text)) {
    if (!Narrow(text, std::string::npos, &out)) out.clear();
    LocalFree(text);
  }
  return out;
}

}  // namespace

std::uint32_t EnablePrivilege(const char* name, bool enable) {
  TOKEN_PRIVILEGES privileges = {};
  privileges.PrivilegeCount = 1;
  const WideName privilege(name);
  if (!privilege.ok() ||
      !LookupPrivilegeValueW(nullptr, privilege.c_str(), &privileges.Privileges[0].Luid))
    return GetLastError();
  privileges.Privileges[0].Attributes = enable ? SE_PRIVILEGE_ENABLED : 0;
  HANDLE token = nullptr;
  if (!OpenProcessToken(GetCurrentProcess(), TOKEN_ADJUST_PRIVILEGES, &token))
    return GetLastError();
  // Succeeds also when the token lacks the privilege; the last error then
  // says ERROR_NOT_ALL_ASSIGNED.
  const BOOL ok = AdjustTokenPrivileges(token, FALSE, &privileges, 0, nullptr, nullptr);
  const DWORD error = GetLastError();
  CloseHandle(token);
  return ok ? error : (error ? error : ERROR_INVALID_FUNCTION);
}

std::string ProcessUserSid() {
  HANDLE token = nullptr;
  if (!OpenProcessToken(GetCurrentProcess(), TOKEN_QUERY, &token)) return std::string();
  DWORD size = 0;
  GetTokenInformation(token, TokenUser, nullptr, 0, &size);
  std::unique_ptr<DWORD[]> buffer(new DWORD[size / sizeof(DWORD) + 1]);
  std::string sid;
  if (size && GetTokenInformation(token, TokenUser, buffer.get(), size, &size))
    sid = SidText(reinterpret_cast<TOKEN_USER*>(buffer.get())->User.Sid);
  CloseHandle(token);
  return sid;
}

std::uint32_t MakeSecuredFolder(const char* path, const FileSecurity& security) {
  std::vector<wchar_t> wide;
  if (!Widen(path, &wide)) return ERROR_INVALID_NAME;
  LocalSid owner = ToSid(security.owner);
  if (!owner) return ERROR_INVALID_SID;
  std::unique_ptr<DWORD[]> buffer;
  DWORD error = 0;
  PACL acl = BuildAcl(security.dacl, &buffer, &error);
  if (!acl) return error;
  SECURITY_DESCRIPTOR sd;
  if (const DWORD r = DaclDescriptor(&sd, acl, security.protectedDacl)) return r;
  if (!SetSecurityDescriptorOwner(&sd, owner.get(), FALSE)) return GetLastError();
  SECURITY_ATTRIBUTES attributes = {sizeof attributes, &sd, FALSE};
  return CreateDirectoryW(wide.data(), &attributes) ? 0 : GetLastError();
}

std::uint32_t HeldEntry::Open(const char* path, std::uint32_t access) {
  Close();
  std::vector<wchar_t> wide;
  if (!Widen(path, &wide)) return ERROR_INVALID_NAME;
  HANDLE h = CreateFileW(wide.data(), access | FILE_LIST_DIRECTORY | FILE_READ_ATTRIBUTES,
                         FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_EXISTING,
                         FILE_FLAG_BACKUP_SEMANTICS | FILE_FLAG_OPEN_REPARSE_POINT, nullptr);
  if (h == INVALID_HANDLE_VALUE) return GetLastError();
  handle_ = h;
  return 0;
}

std::uint32_t HeldEntry::Attributes(std::uint32_t* attributes) const {
  FILE_BASIC_INFO info;
  if (!GetFileInformationByHandleEx(handle_, FileBasicInfo, &info, sizeof info)) return GetLastError();
  *attributes = info.FileAttributes;
  return 0;
}

std::uint32_t HeldEntry::ReadSecurity(FileSecurity* security) const {
  const SECURITY_INFORMATION what = OWNER_SECURITY_INFORMATION | DACL_SECURITY_INFORMATION;
  DWORD size = 0;
  GetKernelObjectSecurity(handle_, what, nullptr, 0, &size);
  if (size == 0) return GetLastError();
  std::unique_ptr<DWORD[]> buffer(new DWORD[size / sizeof(DWORD) + 1]);
  PSECURITY_DESCRIPTOR sd = buffer.get();
  PSID owner = nullptr;
  PACL acl = nullptr;
  BOOL present = FALSE, defaulted = FALSE;
  SECURITY_DESCRIPTOR_CONTROL control = 0;
  DWORD revision = 0;
  if (!GetKernelObjectSecurity(handle_, what, sd, size, &size) ||
      !GetSecurityDescriptorOwner(sd, &owner, &defaulted) ||
      !GetSecurityDescriptorDacl(sd, &present, &acl, &defaulted) ||
      !GetSecurityDescriptorControl(sd, &control, &revision))
    return GetLastError();
  *security = FileSecurity();
  security->owner = SidText(owner);
  security->protectedDacl = (control & SE_DACL_PROTECTED) != 0;
  if (!present || !acl) {
    security->dacl.push_back({kAceAllow, 0, kAccessFull, kSidEveryone});
    return 0;
  }
  for (DWORD i = 0; i < acl->AceCount; ++i) {
    void* raw = nullptr;
    if (!GetAce(acl, i, &raw)) return GetLastError();
    const auto* header = static_cast<const ACE_HEADER*>(raw);
    if (header->AceType != ACCESS_ALLOWED_ACE_TYPE && header->AceType != ACCESS_DENIED_ACE_TYPE)
      return ERROR_INVALID_ACL;
    // Both types: the header, the mask, then the SID.
    auto* ace = static_cast<ACCESS_ALLOWED_ACE*>(raw);
    security->dacl.push_back({header->AceType == ACCESS_DENIED_ACE_TYPE ? kAceDeny : kAceAllow,
                              header->AceFlags, ace->Mask, SidText(&ace->SidStart)});
  }
  return 0;
}

std::uint32_t HeldEntry::SetDacl(const std::vector<Ace>& aces, bool protect) const {
  std::unique_ptr<DWORD[]> buffer;
  DWORD error = 0;
  PACL acl = BuildAcl(aces, &buffer, &error);
  if (!acl) return error;
  SECURITY_DESCRIPTOR sd;
  if (const DWORD r = DaclDescriptor(&sd, acl, protect)) return r;
  return SetKernelObjectSecurity(handle_, DACL_SECURITY_INFORMATION, &sd) ? 0 : GetLastError();
}

std::uint32_t HeldEntry::List(std::vector<std::string>* names, std::size_t limit) const {
  names->clear();
  std::vector<DWORD> buffer(16 * 1024);
  for (FILE_INFO_BY_HANDLE_CLASS what = FileIdBothDirectoryRestartInfo;;
       what = FileIdBothDirectoryInfo) {
    if (!GetFileInformationByHandleEx(handle_, what, buffer.data(),
                                      static_cast<DWORD>(buffer.size() * sizeof(DWORD)))) {
      const DWORD error = GetLastError();
      return error == ERROR_NO_MORE_FILES ? 0 : error;
    }
    const unsigned char* at = reinterpret_cast<const unsigned char*>(buffer.data());
    for (;;) {
      const auto* entry = reinterpret_cast<const FILE_ID_BOTH_DIR_INFO*>(at);
      std::string name;
      if (!Narrow(entry->FileName, entry->FileNameLength / sizeof(wchar_t), &name))
        return ERROR_NO_UNICODE_TRANSLATION;
      if (name != "." && name != "..") {
        if (names->size() == limit) return 0;
        names->push_back(name);
      }
      if (entry->NextEntryOffset == 0) break;
      at += entry->NextEntryOffset;
    }
  }
}

std::uint32_t HeldEntry::VolumeKeepsSecurity(bool* keeps) const {
  DWORD flags = 0;
  if (!GetVolumeInformationByHandleW(static_cast<HANDLE>(handle_), nullptr, 0, nullptr, nullptr,
                                     &flags, nullptr, 0))
    return GetLastError();
  *keeps = (flags & FILE_PERSISTENT_ACLS) != 0;
  return 0;
}

std::uint32_t HeldEntry::FinalPath(std::string* path) const {
  // Longer than any path the installer opens without the "\\?\" prefix.
  wchar_t wide[2 * MAX_PATH];
  const DWORD n = GetFinalPathNameByHandleW(handle_, wide, 2 * MAX_PATH,
                                            FILE_NAME_NORMALIZED | VOLUME_NAME_DOS);
  if (n == 0 || n >= 2 * MAX_PATH) return n ? ERROR_INSUFFICIENT_BUFFER : GetLastError();
  const wchar_t* text = std::wcsncmp(wide, L"\\\\?\\", 4) == 0 ? wide + 4 : wide;
  return Narrow(text, std::string::npos, path) ? 0 : ERROR_NO_UNICODE_TRANSLATION;
}

std::uint32_t HeldEntry::Rename(const char* newPath) const {
  std::vector<wchar_t> wide;
  if (!Widen(newPath, &wide)) return ERROR_INVALID_NAME;
  const std::size_t bytes = (wide.size() - 1) * sizeof(wchar_t);
  std::vector<unsigned char> buffer(sizeof(FILE_RENAME_INFO) + bytes);
  auto* info = reinterpret_cast<FILE_RENAME_INFO*>(buffer.data());
  info->ReplaceIfExists = FALSE;
  info->RootDirectory = nullptr;
  info->FileNameLength = static_cast<DWORD>(bytes);
  std::memcpy(info->FileName, wide.data(), bytes);
  return SetFileInformationByHandle(handle_, FileRenameInfo, info,
                                    static_cast<DWORD>(buffer.size()))
             ? 0
             : GetLastError();
}

std::uint32_t HeldEntry::Delete() {
  FILE_BASIC_INFO basic;
  if (GetFileInformationByHandleEx(handle_, FileBasicInfo, &basic, sizeof basic) &&
      (basic.FileAttributes & FILE_ATTRIBUTE_READONLY)) {
    basic.FileAttributes &= ~FILE_ATTRIBUTE_READONLY;
    if (basic.FileAttributes == 0) basic.FileAttributes = FILE_ATTRIBUTE_NORMAL;
    SetFileInformationByHandle(handle_, FileBasicInfo, &basic, sizeof basic);
  }
  FILE_DISPOSITION_INFO disposition = {TRUE};
  return SetFileInformationByHandle(handle_, FileDispositionInfo, &disposition,
                                    sizeof disposition)
             ? 0
             : GetLastError();
}

void HeldEntry::Close() {
  if (handle_) CloseHandle(handle_);
  handle_ = nullptr;
}

}  // namespace platform
