#pragma once
// Readable owners and DACLs in test failures.
#include <ostream>

#include "platform/security.h"

namespace platform {

inline void PrintTo(const Ace& ace, std::ostream* os) {
  *os << (ace.type == kAceDeny ? "deny " : "allow ") << ace.sid << " mask 0x" << std::hex
      << ace.mask << " flags 0x" << static_cast<int>(ace.flags) << std::dec;
}

inline void PrintTo(const FileSecurity& s, std::ostream* os) {
  *os << "owner " << s.owner << (s.protectedDacl ? ", protected" : "") << ", DACL {";
  for (const Ace& ace : s.dacl) {
    *os << " ";
    PrintTo(ace, os);
    *os << ";";
  }
  *os << " }";
}

}  // namespace platform
