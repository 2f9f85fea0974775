// Registry behaviour where Wine 8 differs from Windows; the simulation
// follows Windows.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "common/registry_tree.h"
#include "platform/registry.h"
#include "platform/sim/sim_registry.h"

namespace {

using platform::sim::SimRegistry;

// Windows orders subkeys by their upper-cased names, so "_" (0x5F) comes
// after the letters; Wine 8 compares lower-cased names and lists "_x" first.
TEST(RegistrySim, EnumerationComparesUpperCasedNames) {
  ASSERT_TRUE(testing_support::WriteTree({testing_support::Key("S\\b"), testing_support::Key("S\\_x"),
                                          testing_support::Key("S\\A"), testing_support::Key("S\\zz")}));
  EXPECT_EQ(testing_support::SubKeys("S"), (std::vector<std::string>{"A", "b", "zz", "_x"}));
}

// Windows takes a path argument of any length as long as each name has at
// most 255 characters; Wine 8 refuses a path of more than about 255.
TEST(RegistrySim, LongPathArgumentsAreAccepted) {
  platform::RegKey root, key;
  ASSERT_TRUE(root.OpenLocalMachine());
  const std::string path = "SOFTWARE\\Long\\" + std::string(255, 'n') + "\\" + std::string(255, 'm');
  EXPECT_TRUE(key.Create(root, path.c_str()));
  EXPECT_TRUE(testing_support::KeyExists(path));
}

// Windows refuses a key name of more than 255 characters; Wine 8 creates
// one of 256.
TEST(RegistrySim, NamesOfMoreThan255CharactersAreRefused) {
  platform::RegKey root, key;
  ASSERT_TRUE(root.OpenLocalMachine());
  EXPECT_TRUE(key.Create(root, ("S\\" + std::string(255, 'n')).c_str()));
  EXPECT_FALSE(key.Create(root, ("S\\" + std::string(256, 'n')).c_str()));
  std::string chinese;
  for (int i = 0; i < 256; ++i) chinese += "中";
  EXPECT_FALSE(key.Create(root, ("S\\" + chinese).c_str()));
}

TEST(RegistrySim, DeniedKeyCannotBeOpenedButIsStillListed) {
  ASSERT_TRUE(testing_support::WriteTree({testing_support::Key("S\\Locked\\Inner")}));
  ASSERT_TRUE(SimRegistry::Get().SetDenied("S\\Locked", true));
  platform::RegKey root, s, locked;
  ASSERT_TRUE(root.OpenLocalMachine());
  ASSERT_TRUE(s.OpenForRead(root, "S"));
  EXPECT_EQ(s.SubKeyCount(), 1u);
  EXPECT_FALSE(locked.OpenForRead(s, "Locked"));
  EXPECT_FALSE(locked.Open(s, "Locked"));
  EXPECT_FALSE(locked.Create(s, "Locked"));
  // Only the key itself is protected, not the keys below it.
  EXPECT_TRUE(locked.OpenForRead(root, "S\\Locked\\Inner"));
}

TEST(RegistrySim, EveryHandleIsCounted) {
  platform::RegKey root, a;
  ASSERT_TRUE(root.OpenLocalMachine());
  ASSERT_TRUE(a.Create(root, "S\\A"));
  EXPECT_EQ(SimRegistry::Get().OpenHandles(), 2);
  a.Close();
  root.Close();
  EXPECT_EQ(SimRegistry::Get().OpenHandles(), 0);
}

}  // namespace
