#include <windows.h>

#include <sddl.h>

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

}  // namespace

namespace {
// Sets part of the descriptor of the entry itself: a link is opened, not
// followed; backup semantics open a folder and let SeRestorePrivilege count.
std::uint32_t SetOnEntry(const char* path, DWORD access, SECURITY_INFORMATION what,
                         SECURITY_DESCRIPTOR* sd) {
  const WideName name(path);
  if (!name.ok()) return GetLastError();
  HANDLE h = CreateFileW(name.c_str(), access, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                         nullptr, OPEN_EXISTING,
                         FILE_FLAG_BACKUP_SEMANTICS | FILE_FLAG_OPEN_REPARSE_POINT, nullptr);
  if (h == INVALID_HANDLE_VALUE) return GetLastError();
  const DWORD r = SetKernelObjectSecurity(h, what, sd) ? ERROR_SUCCESS : GetLastError();
  CloseHandle(h);
  return r;
}
}  // namespace

std::uint32_t SetFileOwner(const char* path, const char* ownerSid) {
  LocalSid owner = ToSid(ownerSid);
  if (!owner) return ERROR_INVALID_SID;
  SECURITY_DESCRIPTOR sd;
  if (!InitializeSecurityDescriptor(&sd, SECURITY_DESCRIPTOR_REVISION) ||
      !SetSecurityDescriptorOwner(&sd, owner.get(), FALSE))
    return GetLastError();
  return SetOnEntry(path, WRITE_OWNER, OWNER_SECURITY_INFORMATION, &sd);
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
    const BOOL ok =
        aces[i].type == kAceDeny
            ? AddAccessDeniedAceEx(acl, ACL_REVISION, aces[i].flags, aces[i].mask, sids[i].get())
            : AddAccessAllowedAceEx(acl, ACL_REVISION, aces[i].flags, aces[i].mask, sids[i].get());
    if (!ok) return GetLastError();
  }
  SECURITY_DESCRIPTOR sd;
  const SECURITY_DESCRIPTOR_CONTROL bits = SE_DACL_PROTECTED | SE_DACL_AUTO_INHERITED;
  if (!InitializeSecurityDescriptor(&sd, SECURITY_DESCRIPTOR_REVISION) ||
      !SetSecurityDescriptorDacl(&sd, TRUE, acl, FALSE) ||
      !SetSecurityDescriptorControl(&sd, bits, protect ? bits : SE_DACL_AUTO_INHERITED))
    return GetLastError();
  return SetOnEntry(path, WRITE_DAC, DACL_SECURITY_INFORMATION, &sd);
}

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

}  // namespace platform
