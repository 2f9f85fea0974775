// What the installer relies on of the registry calls, checked against the
// real registry under Wine and against the simulation natively.
#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

#include "common/case_name.h"
#include "common/platform_checks.h"
#include "common/registry_tree.h"
#include "platform/registry.h"

namespace {

using platform::RegKey;
using testing_support::SubKeys;

const std::string kBase = "SOFTWARE\\TarnwellRegistryTest";

class Registry : public testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(root.OpenLocalMachine());
    ASSERT_FALSE(testing_support::KeyExists(kBase));
  }
  void TearDown() override {
    root.Close();
    EXPECT_TRUE(testing_support::DeleteTree(kBase));
    EXPECT_NO_OPEN_REGISTRY_KEYS_WHERE_COUNTED();
  }
  RegKey root;
};

TEST_F(Registry, CreateMakesMissingParentsAndKeepsTheNameAsGiven) {
  RegKey key;
  ASSERT_TRUE(key.Create(root, (kBase + "\\Mixed\\Deeper\\Leaf").c_str()));
  EXPECT_EQ(SubKeys(kBase), std::vector<std::string>{"Mixed"});
  RegKey again;
  EXPECT_TRUE(again.Create(root, (kBase + "\\MIXED\\deeper").c_str()));
  EXPECT_EQ(SubKeys(kBase + "\\mixed"), std::vector<std::string>{"Deeper"});
}

TEST_F(Registry, OpenAcceptsATrailingSeparatorAndEmptyNameOpensTheKeyAgain) {
  RegKey created, opened, self;
  ASSERT_TRUE(created.Create(root, (kBase + "\\K").c_str()));
  ASSERT_TRUE(opened.Open(root, (kBase + "\\K\\").c_str()));
  ASSERT_TRUE(self.OpenForRead(opened, ""));
  opened.Close();
  const char x = 'x';
  EXPECT_TRUE(created.SetValue("v", platform::kRegBinary, &x, 1));
  char data[platform::kRegValueBuffer];
  EXPECT_TRUE(self.QueryValue("v", data));
  EXPECT_STREQ(data, "x");
  RegKey missing;
  EXPECT_FALSE(missing.OpenForRead(root, (kBase + "\\Nope").c_str()));
  EXPECT_FALSE(missing.IsOpen());
}

TEST_F(Registry, EnumeratesSortedIgnoringCase) {
  for (const char* name : {"c", "b", "A", "aa", "Mm"}) {
    RegKey k;
    ASSERT_TRUE(k.Create(root, (kBase + "\\" + name).c_str()));
  }
  EXPECT_EQ(SubKeys(kBase), (std::vector<std::string>{"A", "aa", "b", "c", "Mm"}));
  RegKey base;
  ASSERT_TRUE(base.OpenForRead(root, kBase.c_str()));
  EXPECT_EQ(base.SubKeyCount(), 5u);
  char name[platform::kRegNameBuffer];
  EXPECT_FALSE(base.EnumSubKey(5, name));
}

TEST_F(Registry, NamesLongerThanTheEnumerationBufferCannotBeRead) {
  const std::string ascii255(255, 'n');
  std::string chinese;
  for (int i = 0; i < 130; ++i) chinese += "中";  // 130 characters, 260 bytes
  RegKey base, a, b;
  ASSERT_TRUE(base.Create(root, kBase.c_str()));
  ASSERT_TRUE(a.Create(base, ascii255.c_str()));
  ASSERT_TRUE(b.Create(base, chinese.c_str()));
  ASSERT_EQ(base.SubKeyCount(), 2u);
  char name[platform::kRegNameBuffer];
  ASSERT_TRUE(base.EnumSubKey(0, name));
  EXPECT_EQ(std::string(name), ascii255);
  EXPECT_FALSE(base.EnumSubKey(1, name));
  // Not enumerable, so removed by name.
  EXPECT_TRUE(base.DeleteSubKey(chinese.c_str()));
}

TEST_F(Registry, DeleteRefusesAKeyWithSubkeysAndTakesValuesAlong) {
  RegKey leaf, parent;
  ASSERT_TRUE(leaf.Create(root, (kBase + "\\P\\Child").c_str()));
  leaf.Close();
  ASSERT_TRUE(parent.Open(root, kBase.c_str()));
  EXPECT_FALSE(parent.DeleteSubKey("P"));
  EXPECT_TRUE(testing_support::KeyExists(kBase + "\\P\\Child"));
  RegKey p;
  ASSERT_TRUE(p.Open(root, (kBase + "\\P").c_str()));
  EXPECT_TRUE(p.DeleteSubKey("Child"));
  const std::uint32_t two = 2;
  ASSERT_TRUE(p.SetValue("LOADCTRLS", platform::kRegDword, &two, 4));
  p.Close();
  EXPECT_TRUE(parent.DeleteSubKey("P"));
  RegKey fresh;
  ASSERT_TRUE(fresh.Create(root, (kBase + "\\P").c_str()));
  std::uint32_t type = 0;
  std::string data;
  EXPECT_FALSE(fresh.QueryValueRaw("LOADCTRLS", &type, &data));
}

struct ValueCase {
  const char* name;
  std::uint32_t type;
  std::string data;
  bool fits;
  std::string text;  // what QueryValue leaves in the buffer, up to the NUL
};

class RegistryValue : public Registry, public testing::WithParamInterface<ValueCase> {};

TEST_P(RegistryValue, ReadIntoTheFixedBufferOnlyWhenItFitsWithANul) {
  const ValueCase& c = GetParam();
  RegKey key;
  ASSERT_TRUE(key.Create(root, (kBase + "\\V").c_str()));
  ASSERT_TRUE(key.SetValue("Location", c.type, c.data.data(),
                           static_cast<std::uint32_t>(c.data.size())));
  char data[platform::kRegValueBuffer];
  std::memset(data, 'q', sizeof data);
  EXPECT_EQ(key.QueryValue("Location", data), c.fits);
  EXPECT_EQ(data[platform::kRegValueBuffer - 1], '\0');
  if (c.fits) {
    EXPECT_EQ(std::string(data), c.text);
  }
  std::uint32_t type = 0;
  std::string raw;
  ASSERT_TRUE(key.QueryValueRaw("Location", &type, &raw));
  EXPECT_EQ(type, c.type);
  EXPECT_EQ(raw, c.data);
}

std::string Text(std::size_t n, char c) { return std::string(n, c) + '\0'; }

INSTANTIATE_TEST_SUITE_P(
    Sizes, RegistryValue,
    testing::Values(
        ValueCase{"Sz519", platform::kRegSz, Text(519, 's'), true, std::string(519, 's')},
        ValueCase{"Sz520", platform::kRegSz, Text(520, 's'), false, ""},
        ValueCase{"Binary519", platform::kRegBinary, std::string(519, 'b'), true,
                  std::string(519, 'b')},
        ValueCase{"Binary520", platform::kRegBinary, std::string(520, 'b'), false, ""},
        ValueCase{"Binary520EndingInNul", platform::kRegBinary, std::string(519, 'b') + '\0',
                  true, std::string(519, 'b')},
        ValueCase{"Binary4000", platform::kRegBinary, std::string(4000, 'x'), false, ""},
        ValueCase{"Dword", platform::kRegDword, std::string("\x02\0\0\0", 4), true, "\x02"},
        ValueCase{"EmptySz", platform::kRegSz, std::string(1, '\0'), true, ""},
        ValueCase{"Chinese", platform::kRegSz, std::string("C:\\中望CAD") + '\0', true,
                  "C:\\中望CAD"}),
    CaseName());

TEST_F(Registry, HandleToADeletedKeySeesNothing) {
  RegKey created;
  ASSERT_TRUE(created.Create(root, (kBase + "\\Gone\\Child").c_str()));
  created.Close();
  RegKey held;
  ASSERT_TRUE(held.OpenForRead(root, (kBase + "\\Gone").c_str()));
  ASSERT_TRUE(testing_support::DeleteTree(kBase + "\\Gone"));
  EXPECT_EQ(held.SubKeyCount(), 0u);
  char name[platform::kRegNameBuffer];
  EXPECT_FALSE(held.EnumSubKey(0, name));
  RegKey child;
  EXPECT_FALSE(child.OpenForRead(held, "Child"));
}

}  // namespace
