#include <windows.h>

#include <aclapi.h>
#include <sddl.h>

#include <memory>

#include "platform/security.h"

namespace platform {

namespace {

struct LocalFreer {
  void operator()(void* p) const { LocalFree(p); }
};
using LocalSid = std::unique_ptr<void, LocalFreer>;

// ConvertStringSidToSidA; null for a text that is no SID.
LocalSid ToSid(const std::string& text) {
  PSID sid = nullptr;
  if (!ConvertStringSidToSidA(text.c_str(), &sid)) return nullptr;
  return LocalSid(sid);
}

std::string SidText(PSID sid) {
  char* text = nullptr;
  if (!sid || !ConvertSidToStringSidA(sid, &text)) return std::string();
  std::string out(text);
  LocalFree(text);
  return out;
}

}  // namespace

std::uint32_t SetFileOwner(const char* path, const char* ownerSid) {
  LocalSid owner = ToSid(ownerSid);
  if (!owner) return ERROR_INVALID_SID;
  return SetNamedSecurityInfoA(const_cast<char*>(path), SE_FILE_OBJECT, OWNER_SECURITY_INFORMATION,
                               owner.get(), nullptr, nullptr, nullptr);
}

std::uint32_t SetFileDacl(const char* path, const std::vector<Ace>& aces, bool protect) {
  std::vector<LocalSid> sids;
  DWORD size = sizeof(ACL);
  for (const Ace& ace : aces) {
    sids.push_back(ToSid(ace.sid));
    if (!sids.back()) return ERROR_INVALID_SID;
    // Both ACE types are a header, a mask and the SID in place of SidStart.
    size += static_cast<DWORD>(sizeof(ACCESS_ALLOWED_ACE) - sizeof(DWORD)) +
            GetLengthSid(sids.back().get());
  }
  size = (size + 3) & ~3u;
  std::unique_ptr<DWORD[]> buffer(new DWORD[size / sizeof(DWORD)]);
  PACL acl = reinterpret_cast<PACL>(buffer.get());
  if (!InitializeAcl(acl, size, ACL_REVISION)) return GetLastError();
  for (std::size_t i = 0; i < aces.size(); ++i) {
    const DWORD flags = aces[i].flags & VALID_INHERIT_FLAGS;
    const BOOL ok = aces[i].type == kAceDeny
                        ? AddAccessDeniedAceEx(acl, ACL_REVISION, flags, aces[i].mask, sids[i].get())
                        : AddAccessAllowedAceEx(acl, ACL_REVISION, flags, aces[i].mask, sids[i].get());
    if (!ok) return GetLastError();
  }
  const SECURITY_INFORMATION what =
      DACL_SECURITY_INFORMATION |
      (protect ? PROTECTED_DACL_SECURITY_INFORMATION : UNPROTECTED_DACL_SECURITY_INFORMATION);
  return SetNamedSecurityInfoA(const_cast<char*>(path), SE_FILE_OBJECT, what, nullptr, nullptr,
                               acl, nullptr);
}

std::uint32_t ReadFileSecurity(const char* path, FileSecurity* out) {
  PSID owner = nullptr;
  PACL dacl = nullptr;
  PSECURITY_DESCRIPTOR sd = nullptr;
  const DWORD r = GetNamedSecurityInfoA(path, SE_FILE_OBJECT,
                                        OWNER_SECURITY_INFORMATION | DACL_SECURITY_INFORMATION,
                                        &owner, nullptr, &dacl, nullptr, &sd);
  if (r != ERROR_SUCCESS) return r;
  *out = FileSecurity();
  out->owner = SidText(owner);
  SECURITY_DESCRIPTOR_CONTROL control = 0;
  DWORD revision = 0;
  if (GetSecurityDescriptorControl(sd, &control, &revision))
    out->protectedDacl = (control & SE_DACL_PROTECTED) != 0;
  for (DWORD i = 0; dacl && i < dacl->AceCount; ++i) {
    void* raw = nullptr;
    if (!GetAce(dacl, i, &raw)) break;
    const auto* header = static_cast<const ACE_HEADER*>(raw);
    if (header->AceType != ACCESS_ALLOWED_ACE_TYPE && header->AceType != ACCESS_DENIED_ACE_TYPE)
      continue;
    // ACCESS_DENIED_ACE has the layout of ACCESS_ALLOWED_ACE.
    auto* ace = static_cast<ACCESS_ALLOWED_ACE*>(raw);
    Ace entry;
    entry.type = header->AceType == ACCESS_DENIED_ACE_TYPE ? kAceDeny : kAceAllow;
    entry.flags = header->AceFlags;
    entry.mask = ace->Mask;
    entry.sid = SidText(&ace->SidStart);
    out->dacl.push_back(entry);
  }
  LocalFree(sd);
  return ERROR_SUCCESS;
}

std::uint32_t EnablePrivilege(const char* name, bool enable) {
  TOKEN_PRIVILEGES privileges = {};
  privileges.PrivilegeCount = 1;
  if (!LookupPrivilegeValueA(nullptr, name, &privileges.Privileges[0].Luid)) return GetLastError();
  privileges.Privileges[0].Attributes = enable ? SE_PRIVILEGE_ENABLED : 0;
  HANDLE token = nullptr;
  if (!OpenProcessToken(GetCurrentProcess(), TOKEN_ADJUST_PRIVILEGES, &token)) return GetLastError();
  // Succeeds also when the token lacks the privilege; the last error then
  // says ERROR_NOT_ALL_ASSIGNED.
  const BOOL ok = AdjustTokenPrivileges(token, FALSE, &privileges, 0, nullptr, nullptr);
  const DWORD error = GetLastError();
  CloseHandle(token);
  return ok ? error : (error ? error : ERROR_INVALID_FUNCTION);
}

}  // namespace platform
