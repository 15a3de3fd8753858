#include <gtest/gtest.h>

#include "catalogue/catalogue_file.h"
#include "server/command_line.h"
#include "tests/support/test_server.h"

namespace bexa::server {
namespace {

TEST(CatalogueCommand, WrittenCatalogueReadsBack) {
  bexa::testing::TestStore t;
  t.AddAccount("ann", "pw");
  t.AddFile("Docs/a.txt", "one");
  t.AddFile("b.bin", "two");
  t.Import("ann", "\\\\PC1\\C", "PC1", {.date = "20240101000000"});
  t.AddFile("Docs/a.txt", "one, changed");
  t.Import("ann", "\\\\PC1\\C", "PC1", {.date = "20240301000000"});
  const std::string bytes = CatalogueBytes(*t.store().LoadVolume("ann", "PC1:\\\\PC1\\C"));

  MemorySource source(bytes);
  Catalogue back;
  ASSERT_TRUE(LoadCatalogue(source, back));
  ASSERT_EQ(back.size(), 2u);
  const auto it = back.find(u"\\\\PC1\\C\\Docs\\a.txt");
  ASSERT_NE(it, back.end());
  EXPECT_EQ(it->second->sizes(), (std::vector<int64_t>{3, 12}));
  EXPECT_EQ(it->second->backup_dates().Count(), 2u);
  EXPECT_NE(back.find(u"\\\\PC1\\C\\b.bin"), back.end());
}

}  // namespace
}  // namespace bexa::server
