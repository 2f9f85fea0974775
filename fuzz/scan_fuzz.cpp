// The host scan over registry trees made from arbitrary bytes: the year lists
// stay parallel, every key path ends with "\" and names a key that holds the
// value, every location fits the value buffer, and every key opened is closed.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>

#include "host/host_registry.h"
#include "platform/registry.h"
#include "platform/sim/sim.h"
#include "platform/sim/sim_registry.h"

namespace {

void Check(bool ok) {
  if (!ok) std::abort();
}

class Reader {
 public:
  Reader(const std::uint8_t* data, std::size_t size) : data_(data), size_(size) {}
  bool More() const { return pos_ < size_; }
  std::uint8_t Byte() { return pos_ < size_ ? data_[pos_++] : 0; }
  std::string Bytes(std::size_t n) {
    std::string s;
    while (n-- > 0 && More()) s.push_back(static_cast<char>(Byte()));
    return s;
  }

 private:
  const std::uint8_t* data_;
  std::size_t size_, pos_ = 0;
};

const char* const kNames[] = {"2021", "2024", "2027", "x2025y", "2020", "2022 2026", "zh-CN",
                              "A", "a", "中望", "\x81\x5c", "Location", "Applications", "b\\c"};

std::string Name(Reader& in) {
  const std::uint8_t pick = in.Byte();
  if (pick < 200) return kNames[pick % (sizeof kNames / sizeof kNames[0])];
  return in.Bytes(pick % 40);  // raw bytes, sometimes empty or odd
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  platform::sim::ResetAll();
  Reader in(data, size);
  platform::RegKey root;
  root.OpenLocalMachine();
  while (in.More()) {
    std::string path = std::string(kHostProductKeys[in.Byte() % 4]);
    const int depth = in.Byte() % 6;
    for (int i = 0; i <= depth; ++i) path += "\\" + Name(in);
    platform::RegKey key;
    if (!key.Create(root, path.c_str())) continue;
    const std::uint8_t op = in.Byte();
    if (op % 4 == 0) continue;
    const std::uint32_t type = op % 4 == 1 ? platform::kRegSz : (op >> 2) % 12;
    std::size_t length = in.Byte();
    if (op & 0x80) length = length * 8;  // up to 2 KiB, past the 520-byte buffer
    std::string value = in.Bytes(length % 64) + std::string(length > 64 ? length - 64 : 0, 'v');
    key.SetValue(op & 0x40 ? "location" : "Location", type, value.data(),
                 static_cast<std::uint32_t>(value.size()));
    if (op & 0x20) platform::sim::SimRegistry::Get().SetDenied(path, true);
  }
  root.Close();

  CHostRegistry hosts;
  hosts.ScanInstalledHosts();
  for (int y = 0; y < kHostYearCount; ++y) {
    Check(hosts.m_locations[y].Count() == hosts.m_keyPaths[y].Count());
    for (std::size_t i = 0; i < hosts.m_keyPaths[y].Count(); ++i) {
      const std::string& keyPath = hosts.m_keyPaths[y].At(i);
      Check(!keyPath.empty() && keyPath.back() == '\\');
      Check(keyPath.rfind("SOFTWARE\\ZWSOFT\\", 0) == 0);
      Check(hosts.m_locations[y].At(i).size() < platform::kRegValueBuffer);
      Check(hosts.m_locations[y].At(i).find('\0') == std::string::npos);
      Check(platform::sim::SimRegistry::Get().Find(keyPath.substr(0, keyPath.size() - 1)) != nullptr);
    }
  }
  Check(hosts.m_foundKeyPaths.Count() == hosts.m_foundLocations.Count());
  Check(platform::sim::SimRegistry::Get().OpenHandles() == 0);
  return 0;
}
