// The package manifest read as hostile input: a well-formed one gives its
// files; anything cut short or off the format is damaged as a whole, with
// the line that broke it.
#include <gtest/gtest.h>

#include <string>

#include "common/case_name.h"
#include "package/package_manifest.h"

namespace {

const std::string kDigest(64, 'a');
std::string Line(const std::string& path, const std::string& size = "3", const std::string& digest = kDigest) {
  return "file\t" + path + "\t" + size + "\t" + digest + "\r\n";
}
const std::string kHead = std::string(kManifestHeader) + "\r\n";
const std::string kGood = kHead + Line("Korvex2021.ZRX", "18446744073709551615") +
                          Line("Korvex扩展绘图库\\图块.dwg") + Line("korvex_en.SHX") + "end\t3\r\n";

TEST(PackageManifestTest, ReadsEveryFileWithSizeAndDigest) {
  const PackageManifest m = ParsePackageManifest(kGood);
  ASSERT_EQ(m.state, ManifestState::kValid) << m.problem;
  ASSERT_EQ(m.files.size(), 3u);
  EXPECT_EQ(m.files[0].size, UINT64_MAX);
  EXPECT_EQ(m.files[1].path, "Korvex扩展绘图库\\图块.dwg");
  EXPECT_TRUE(InLibraryFolder(m.files[1].path));
  EXPECT_FALSE(InLibraryFolder(m.files[0].path));
  EXPECT_EQ(FindManifestFile(m, "KORVEX2021.zrx"), &m.files[0]);
  EXPECT_EQ(FindManifestFile(m, "Korvex2025.ZRX"), nullptr);
  // Line ends without the carriage return read the same.
  std::string unix;
  for (char c : kGood)
    if (c != '\r') unix += c;
  EXPECT_EQ(ParsePackageManifest(unix).state, ManifestState::kValid);
}

struct DamagedCase {
  const char* name;
  std::string text;
  const char* problem;  // the start of what the reader says
};

const DamagedCase kDamaged[] = {
    {"Empty", "", "empty"},
    {"CutInsideALine", kGood.substr(0, kGood.size() - 5), "line 5: cut short"},
    {"CutBeforeTheEnd", kGood.substr(0, kGood.find("end")), "cut short: no end line"},
    {"OtherHeader", "Tarnwell package manifest 2\r\n" + Line("a.txt") + "end\t1\r\n", "line 1:"},
    {"EndCountsTooFew", kHead + Line("a.txt") + Line("b.txt") + "end\t1\r\n", "line 4: the end line"},
    {"LineAfterTheEnd", kGood + Line("b.txt"), "line 6: after the end"},
    {"NoFiles", kHead + "end\t0\r\n", "lists no file"},
    {"UnknownLine", kHead + "font\ta.shx\r\nend\t0\r\n", "line 2: not a file line"},
    {"SizeTooBig", kHead + Line("a.txt", "18446744073709551616") + "end\t1\r\n", "line 2: no size"},
    {"DigestUpperCase", kHead + Line("a.txt", "3", std::string(64, 'A')) + "end\t1\r\n", "line 2: no SHA"},
    {"ListedTwice", kHead + Line("a.txt") + Line("A.TXT") + "end\t2\r\n", "line 3: listed twice"},
    {"TooLong", kHead + Line(std::string(1000, 'x') + ".txt") + "end\t1\r\n", "line 2: too long"},
    // Paths the install would never take from the package.
    {"ParentFolder", kHead + Line("..\\a.txt") + "end\t1\r\n", "line 2: not a file that"},
    {"Stream", kHead + Line("a.txt:x") + "end\t1\r\n", "line 2: not a file that"},
    {"LibrarySubFolder", kHead + Line("Korvex扩展绘图库\\sub\\a.txt") + "end\t1\r\n", "line 2: not a file that"},
    {"NoDot", kHead + Line("README") + "end\t1\r\n", "line 2: not a file that"},
    {"SetupExecutable", kHead + Line("setup.exe") + "end\t1\r\n", "line 2: not a file that"},
    {"LibraryMarkOnTop", kHead + Line("旧扩展绘图库.zip") + "end\t1\r\n", "line 2: not a file that"},
    {"ControlByte", kHead + Line("a\x01.txt") + "end\t1\r\n", "line 2: not a file that"},
    {"LeadByteLast", kHead + Line("a.txt\xB9") + "end\t1\r\n", "line 2: not a file that"},
};

class DamagedManifestTest : public testing::TestWithParam<DamagedCase> {};

TEST_P(DamagedManifestTest, IsRefusedAsAWhole) {
  const PackageManifest m = ParsePackageManifest(GetParam().text);
  EXPECT_EQ(m.state, ManifestState::kDamaged);
  EXPECT_TRUE(m.files.empty());
  EXPECT_EQ(m.problem.rfind(GetParam().problem, 0), 0u) << m.problem;
}

INSTANTIATE_TEST_SUITE_P(Manifest, DamagedManifestTest, testing::ValuesIn(kDamaged), CaseName());

}  // namespace
