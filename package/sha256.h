#pragma once
// SHA-256 (FIPS 180-4), written out here so that SetUp.exe needs no
// cryptography DLL for its digests. The compression runs on the CPU's SHA
// extensions where the processor has them (asked once, at the first use),
// otherwise in portable code.
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

// A digest taken piece by piece, as the bytes pass by (a file as it is
// copied): Update as often as needed, then FinishHex once.
class Sha256 {
 public:
  Sha256();
  void Update(const void* data, std::size_t size);
  // The digest of everything given to Update, as 64 lower-case hexadecimal
  // digits. The object then starts again from nothing.
  std::string FinishHex();

 private:
  std::uint32_t state_[8];
  unsigned char buffer_[64];
  std::size_t buffered_ = 0;
  std::uint64_t total_ = 0;
};

// The digest of a byte string as 64 lower-case hexadecimal digits.
std::string Sha256Hex(std::string_view data);

// Which compression the digests use. kCpu is taken at the first use when
// the processor offers it; the choice can be narrowed to kPortable (and
// back), which the tests use to check both. Returns false, changing
// nothing, when kCpu is asked for on a processor without the extensions.
enum class Sha256Engine { kPortable, kCpu };
bool SelectSha256Engine(Sha256Engine engine);
Sha256Engine CurrentSha256Engine();
