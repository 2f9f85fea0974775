#include "package/sha256.h"

#include <cstring>
#include <utility>

#if (defined(__x86_64__) || defined(_M_X64)) && (defined(__GNUC__) || defined(_MSC_VER))
#define TARNWELL_SHA_EXTENSIONS 1
#include <immintrin.h>
#if defined(_MSC_VER) && !defined(__clang__)
#include <intrin.h>
#define TARNWELL_TARGET_SHA
#else
#include <cpuid.h>
#define TARNWELL_TARGET_SHA __attribute__((target("sha,sse4.1,ssse3")))
#endif
#endif

namespace {

alignas(16) constexpr std::uint32_t kRound[64] = {
    0x428a2f98, 0x71374491, 0xb5c0fbcf, 0xe9b5dba5, 0x3956c25b, 0x59f111f1, 0x923f82a4, 0xab1c5ed5,
    0xd807aa98, 0x12835b01, 0x243185be, 0x550c7dc3, 0x72be5d74, 0x80deb1fe, 0x9bdc06a7, 0xc19bf174,
    0xe49b69c1, 0xefbe4786, 0x0fc19dc6, 0x240ca1cc, 0x2de92c6f, 0x4a7484aa, 0x5cb0a9dc, 0x76f988da,
    0x983e5152, 0xa831c66d, 0xb00327c8, 0xbf597fc7, 0xc6e00bf3, 0xd5a79147, 0x06ca6351, 0x14292967,
    0x27b70a85, 0x2e1b2138, 0x4d2c6dfc, 0x53380d13, 0x650a7354, 0x766a0abb, 0x81c2c92e, 0x92722c85,
    0xa2bfe8a1, 0xa81a664b, 0xc24b8b70, 0xc76c51a3, 0xd192e819, 0xd6990624, 0xf40e3585, 0x106aa070,
    0x19a4c116, 0x1e376c08, 0x2748774c, 0x34b0bcb5, 0x391c0cb3, 0x4ed8aa4a, 0x5b9cca4f, 0x682e6ff3,
    0x748f82ee, 0x78a5636f, 0x84c87814, 0x8cc70208, 0x90befffa, 0xa4506ceb, 0xbef9a3f7, 0xc67178f2,
};

constexpr std::uint32_t kInitial[8] = {0x6a09e667, 0xbb67ae85, 0x3c6ef372, 0xa54ff53a,
                                       0x510e527f, 0x9b05688c, 0x1f83d9ab, 0x5be0cd19};

inline std::uint32_t Rotr(std::uint32_t x, int n) { return (x >> n) | (x << (32 - n)); }

#if defined(__GNUC__)
#define TARNWELL_ALWAYS_INLINE inline __attribute__((always_inline))
#else
#define TARNWELL_ALWAYS_INLINE __forceinline
#endif

// One round: d and h change, and the caller renames the eight variables
// instead of shifting their values.
TARNWELL_ALWAYS_INLINE void Round(std::uint32_t a, std::uint32_t b, std::uint32_t c, std::uint32_t& d,
                                  std::uint32_t e, std::uint32_t f, std::uint32_t g, std::uint32_t& h,
                                  std::uint32_t kw) {
  const std::uint32_t t1 = h + (Rotr(e, 6) ^ Rotr(e, 11) ^ Rotr(e, 25)) + (g ^ (e & (f ^ g))) + kw;
  d += t1;
  h = t1 + (Rotr(a, 2) ^ Rotr(a, 13) ^ Rotr(a, 22)) + ((a & b) | (c & (a | b)));
}

// Word i of the message schedule, kept as a ring of sixteen words.
TARNWELL_ALWAYS_INLINE std::uint32_t Schedule(std::uint32_t* w, int i) {
  if (i >= 16) {
    const std::uint32_t s0 = w[(i + 1) & 15], s1 = w[(i + 14) & 15];
    w[i & 15] += (Rotr(s0, 7) ^ Rotr(s0, 18) ^ (s0 >> 3)) + w[(i + 9) & 15] +
                 (Rotr(s1, 17) ^ Rotr(s1, 19) ^ (s1 >> 10));
  }
  return kRound[i] + w[i & 15];
}

// The portable compression, in the common fast form: eight rounds a step
// with the variables renamed, and the schedule computed as the rounds go.
void CompressPortable(std::uint32_t* h, const unsigned char* data, std::size_t blocks) {
  for (; blocks; --blocks, data += 64) {
    std::uint32_t w[16];
    for (int i = 0; i < 16; ++i)
      w[i] = (std::uint32_t{data[4 * i]} << 24) | (std::uint32_t{data[4 * i + 1]} << 16) |
             (std::uint32_t{data[4 * i + 2]} << 8) | std::uint32_t{data[4 * i + 3]};
    std::uint32_t a = h[0], b = h[1], c = h[2], d = h[3], e = h[4], f = h[5], g = h[6], k = h[7];
    for (int i = 0; i < 64; i += 8) {
      Round(a, b, c, d, e, f, g, k, Schedule(w, i));
      Round(k, a, b, c, d, e, f, g, Schedule(w, i + 1));
      Round(g, k, a, b, c, d, e, f, Schedule(w, i + 2));
      Round(f, g, k, a, b, c, d, e, Schedule(w, i + 3));
      Round(e, f, g, k, a, b, c, d, Schedule(w, i + 4));
      Round(d, e, f, g, k, a, b, c, Schedule(w, i + 5));
      Round(c, d, e, f, g, k, a, b, Schedule(w, i + 6));
      Round(b, c, d, e, f, g, k, a, Schedule(w, i + 7));
    }
    h[0] += a;
    h[1] += b;
    h[2] += c;
    h[3] += d;
    h[4] += e;
    h[5] += f;
    h[6] += g;
    h[7] += k;
  }
}

#ifdef TARNWELL_SHA_EXTENSIONS
// Four rounds of the compression on the SHA extensions (SHA-NI), with
// message vector i: the state kept as the lanes ABEF and CDGH that
// sha256rnds2 works on, the schedule extended with sha256msg1 and
// sha256msg2. One function per i, so that the sixteen steps of a block are
// written out and the four message vectors stay in registers (a loop here,
// which a size-optimized build keeps, is an eighth slower).
template <int i>
TARNWELL_TARGET_SHA TARNWELL_ALWAYS_INLINE void FourRounds(__m128i* w, __m128i& abef, __m128i& cdgh,
                                                           const unsigned char* data, __m128i byteSwap) {
  __m128i& m = w[i & 3];
  if constexpr (i < 4) {
    m = _mm_shuffle_epi8(_mm_loadu_si128(reinterpret_cast<const __m128i*>(data + 16 * i)), byteSwap);
  } else {
    // w[t..t+3] from w[t-16..t-13], w[t-12..t-9], w[t-7..t-4], w[t-4..t-1].
    const __m128i previous = w[(i - 1) & 3];
    m = _mm_sha256msg1_epu32(m, w[(i - 3) & 3]);
    m = _mm_add_epi32(m, _mm_alignr_epi8(previous, w[(i - 2) & 3], 4));
    m = _mm_sha256msg2_epu32(m, previous);
  }
  __m128i k = _mm_add_epi32(m, _mm_load_si128(reinterpret_cast<const __m128i*>(kRound + 4 * i)));
  cdgh = _mm_sha256rnds2_epu32(cdgh, abef, k);
  k = _mm_shuffle_epi32(k, 0x0E);
  abef = _mm_sha256rnds2_epu32(abef, cdgh, k);
}

template <int... i>
TARNWELL_TARGET_SHA TARNWELL_ALWAYS_INLINE void Block(std::integer_sequence<int, i...>, __m128i& abef,
                                                      __m128i& cdgh, const unsigned char* data,
                                                      __m128i byteSwap) {
  __m128i w[4];
  (FourRounds<i>(w, abef, cdgh, data, byteSwap), ...);
}

TARNWELL_TARGET_SHA void CompressCpu(std::uint32_t* h, const unsigned char* data, std::size_t blocks) {
  const __m128i byteSwap = _mm_set_epi64x(0x0c0d0e0f08090a0bULL, 0x0405060700010203ULL);
  __m128i cdab = _mm_shuffle_epi32(_mm_loadu_si128(reinterpret_cast<const __m128i*>(h)), 0xB1);
  __m128i efgh = _mm_shuffle_epi32(_mm_loadu_si128(reinterpret_cast<const __m128i*>(h + 4)), 0x1B);
  __m128i abef = _mm_alignr_epi8(cdab, efgh, 8);
  __m128i cdgh = _mm_blend_epi16(efgh, cdab, 0xF0);
  for (; blocks; --blocks, data += 64) {
    const __m128i abefBefore = abef, cdghBefore = cdgh;
    Block(std::make_integer_sequence<int, 16>(), abef, cdgh, data, byteSwap);
    abef = _mm_add_epi32(abef, abefBefore);
    cdgh = _mm_add_epi32(cdgh, cdghBefore);
  }
  const __m128i feba = _mm_shuffle_epi32(abef, 0x1B);
  const __m128i dchg = _mm_shuffle_epi32(cdgh, 0xB1);
  _mm_storeu_si128(reinterpret_cast<__m128i*>(h), _mm_blend_epi16(feba, dchg, 0xF0));
  _mm_storeu_si128(reinterpret_cast<__m128i*>(h + 4), _mm_alignr_epi8(dchg, feba, 8));
}

// CPUID: leaf 1 ECX bit 9 (SSSE3) and 19 (SSE4.1), leaf 7 EBX bit 29 (SHA).
bool CpuHasShaExtensions() {
  unsigned regs1[4] = {}, regs7[4] = {};
#if defined(_MSC_VER) && !defined(__clang__)
  int r[4];
  __cpuid(r, 0);
  if (r[0] < 7) return false;
  __cpuid(r, 1);
  std::memcpy(regs1, r, sizeof r);
  __cpuidex(r, 7, 0);
  std::memcpy(regs7, r, sizeof r);
#else
  if (__get_cpuid_max(0, nullptr) < 7) return false;
  __cpuid(1, regs1[0], regs1[1], regs1[2], regs1[3]);
  __cpuid_count(7, 0, regs7[0], regs7[1], regs7[2], regs7[3]);
#endif
  return (regs1[2] & (1u << 9)) && (regs1[2] & (1u << 19)) && (regs7[1] & (1u << 29));
}
#else
bool CpuHasShaExtensions() { return false; }
#endif

using Compression = void (*)(std::uint32_t*, const unsigned char*, std::size_t);

Compression& Selected() {
#ifdef TARNWELL_SHA_EXTENSIONS
  static Compression selected = CpuHasShaExtensions() ? CompressCpu : CompressPortable;
#else
  static Compression selected = CompressPortable;
#endif
  return selected;
}

}  // namespace

bool SelectSha256Engine(Sha256Engine engine) {
#ifdef TARNWELL_SHA_EXTENSIONS
  if (engine == Sha256Engine::kCpu) {
    if (!CpuHasShaExtensions()) return false;
    Selected() = CompressCpu;
    return true;
  }
#else
  if (engine == Sha256Engine::kCpu) return false;
#endif
  Selected() = CompressPortable;
  return true;
}

Sha256Engine CurrentSha256Engine() {
  return Selected() == CompressPortable ? Sha256Engine::kPortable : Sha256Engine::kCpu;
}

Sha256::Sha256() { std::memcpy(state_, kInitial, sizeof state_); }

void Sha256::Update(const void* data, std::size_t size) {
  const auto* bytes = static_cast<const unsigned char*>(data);
  total_ += size;
  const Compression compress = Selected();
  if (buffered_) {
    const std::size_t take = size < 64 - buffered_ ? size : 64 - buffered_;
    std::memcpy(buffer_ + buffered_, bytes, take);
    buffered_ += take;
    bytes += take;
    size -= take;
    if (buffered_ < 64) return;
    compress(state_, buffer_, 1);
    buffered_ = 0;
  }
  if (size >= 64) {
    compress(state_, bytes, size / 64);
    bytes += size / 64 * 64;
    size %= 64;
  }
  if (size) std::memcpy(buffer_, bytes, size);
  buffered_ = size;
}

std::string Sha256::FinishHex() {
  // The 0x80 marker, zeros, and the length in bits (big-endian).
  const std::uint64_t bits = total_ * 8;
  unsigned char tail[72] = {0x80};
  const std::size_t zeros = (buffered_ < 56 ? 56 : 120) - buffered_;
  for (int i = 0; i < 8; ++i) tail[zeros + i] = static_cast<unsigned char>(bits >> (56 - 8 * i));
  Update(tail, zeros + 8);
  static const char kHex[] = "0123456789abcdef";
  std::string out;
  out.reserve(64);
  for (std::uint32_t word : state_)
    for (int shift = 28; shift >= 0; shift -= 4) out.push_back(kHex[(word >> shift) & 0xF]);
  *this = Sha256();
  return out;
}

std::string Sha256Hex(std::string_view data) {
  Sha256 digest;
  digest.Update(data.data(), data.size());
  return digest.FinishHex();
}
