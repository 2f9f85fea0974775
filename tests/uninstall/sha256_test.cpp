// SHA-256 against the FIPS 180-4 examples and the padding boundaries (55 and
// 56 bytes need one and two final blocks; 64 and 120 likewise), the latter
// checked against Python's hashlib), on both compressions, whole and piece by piece.
#include <gtest/gtest.h>

#include <algorithm>
#include <string>

#include "common/case_name.h"
#include "package/sha256.h"

namespace {

struct DigestCase {
  const char* name;
  std::string data;
  const char* digest;
};

const DigestCase kCases[] = {
    {"Empty", "", "e3b0c44298fc1c149afbf4c8996fb92427ae41e4649b934ca495991b7852b855"},
    {"Abc", "abc", "ba7816bf8f01cfea414140de5dae2223b00361a396177a9cb410ff61f20015ad"},
    {"TwoBlocks448Bits", "abcdbcdecdefdefgefghfghighijhijkijkljklmklmnlmnomnopnopq",
     "248d6a61d20638b8e5c026930c3e6039a33ce45964ff2167f6ecedd419db06c1"},
    {"FourBlocks896Bits",
     "abcdefghbcdefghicdefghijdefghijkefghijklfghijklmghijklmnhijklmnoijklmnopjklmnopqklmnopqrlmnopqrsmnopqrstnopqrstu",
     "cf5b16a778af8380036ce59e7b0492370b249b11e8f07a51afac45037afee9d1"},
    {"MillionA", std::string(1000000, 'a'),
     "cdc76e5c9914fb9281a1c7e284d73e67f1809a48a497200e046d39ccc7112cd0"},
    {"Bytes55", std::string(55, 'x'), "d5e285683cd4efc02d021a5c62014694958901005d6f71e89e0989fac77e4072"},
    {"Bytes56", std::string(56, 'x'), "04c26261370ee7541549d16dee320c723e3fd14671e66a099afe0a377c16888e"},
    {"Bytes63", std::string(63, 'x'), "75220b47218278e656f2013bb8f0c455a25eaf01e86c64924e9d48d89776d6f2"},
    {"Bytes64", std::string(64, 'x'), "7ce100971f64e7001e8fe5a51973ecdfe1ced42befe7ee8d5fd6219506b5393c"},
    {"Bytes119", std::string(119, 'x'), "000b48d4edf0fa7bee3c6236ecd2785baa5db4eeb8bb54341b029e0d9fa5fb0c"},
    {"Bytes120", std::string(120, 'x'), "13f05a0b594787f5ecd315edc96141bd3243203d1b7d4f0836f37308b276ba98"},
    {"GbkBytes", "扩展绘图库", "1220b28414529b17365961a1921b9a5cc8e8a83592b6b1ee34a41d89b613f1ca"},
};

class Sha256Test : public testing::TestWithParam<DigestCase> {
 protected:
  void TearDown() override { SelectSha256Engine(engine_); }
  const Sha256Engine engine_ = CurrentSha256Engine();
};

TEST_P(Sha256Test, KnownDigestOnEachEngine) {
  for (Sha256Engine engine : {Sha256Engine::kPortable, Sha256Engine::kCpu}) {
    if (!SelectSha256Engine(engine)) continue;  // no SHA extensions here
    SCOPED_TRACE(engine == Sha256Engine::kCpu ? "cpu" : "portable");
    EXPECT_EQ(Sha256Hex(GetParam().data), GetParam().digest);
  }
}

// Pieces that end inside a block, on its end, and span several blocks; the
// object starts afresh after each digest.
TEST_P(Sha256Test, PieceByPiece) {
  const std::string& data = GetParam().data;
  Sha256 digest;
  for (std::size_t piece : {std::size_t{1}, std::size_t{63}, std::size_t{64}, std::size_t{65}, std::size_t{4097}}) {
    for (std::size_t at = 0; at < data.size(); at += piece)
      digest.Update(data.data() + at, std::min(piece, data.size() - at));
    EXPECT_EQ(digest.FinishHex(), GetParam().digest) << piece;
  }
}

INSTANTIATE_TEST_SUITE_P(Vectors, Sha256Test, testing::ValuesIn(kCases), CaseName());

}  // namespace
