// What libkvo_lang.so exports and what it needs, read from the built file.
#include <elf.h>

#include <cstring>
#include <fstream>
#include <iterator>
#include <set>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "tests/lang/loaded_kvo_lang.h"

namespace bexa::lang {
namespace {

// The dynamic symbols and needed libraries of a 64-bit ELF shared object.
struct DynamicFacts {
  std::set<std::string> defined;
  std::set<std::string> undefined;
  std::vector<std::string> needed;
};

DynamicFacts ReadDynamicFacts(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  const std::vector<char> file((std::istreambuf_iterator<char>(in)), {});
  DynamicFacts facts;
  Elf64_Ehdr header;
  if (file.size() < sizeof header) {
    ADD_FAILURE() << "short file";
    return facts;
  }
  std::memcpy(&header, file.data(), sizeof header);
  if (std::memcmp(header.e_ident, ELFMAG, SELFMAG) != 0 || header.e_ident[EI_CLASS] != ELFCLASS64) {
    ADD_FAILURE() << "not a 64-bit ELF file";
    return facts;
  }
  std::vector<Elf64_Shdr> sections(header.e_shnum);
  std::memcpy(sections.data(), file.data() + header.e_shoff, header.e_shnum * sizeof(Elf64_Shdr));
  auto string_at = [&](const Elf64_Shdr& strtab, size_t offset) {
    return std::string(file.data() + strtab.sh_offset + offset);
  };
  for (const Elf64_Shdr& section : sections) {
    if (section.sh_type == SHT_DYNSYM) {
      const Elf64_Shdr& strtab = sections[section.sh_link];
      for (size_t i = 1; i < section.sh_size / sizeof(Elf64_Sym); ++i) {
        Elf64_Sym sym;
        std::memcpy(&sym, file.data() + section.sh_offset + i * sizeof sym, sizeof sym);
        const std::string name = string_at(strtab, sym.st_name);
        (sym.st_shndx == SHN_UNDEF ? facts.undefined : facts.defined).insert(name);
      }
    } else if (section.sh_type == SHT_DYNAMIC) {
      const Elf64_Shdr& strtab = sections[section.sh_link];
      for (size_t i = 0; i < section.sh_size / sizeof(Elf64_Dyn); ++i) {
        Elf64_Dyn dyn;
        std::memcpy(&dyn, file.data() + section.sh_offset + i * sizeof dyn, sizeof dyn);
        if (dyn.d_tag == DT_NEEDED) facts.needed.push_back(string_at(strtab, dyn.d_un.d_val));
      }
    }
  }
  return facts;
}

TEST(KvoLangExports, NeedsNothingOfTheSystem) {
  const DynamicFacts facts = ReadDynamicFacts(LoadedKvoLang::File());
  EXPECT_TRUE(facts.needed.empty()) << facts.needed.front();
  EXPECT_TRUE(facts.undefined.empty()) << *facts.undefined.begin();
}

TEST(KvoLangExports, ExactlyTheStringNumbersOfTheFiveBlocks) {
  const DynamicFacts facts = ReadDynamicFacts(LoadedKvoLang::File());
  std::set<std::string> expected;
  for (int block = 1; block <= 5; ++block) {
    for (int n = 1; n <= 193; ++n) expected.insert("IDS_KVOL_" + std::to_string(block * 1000 + n));
  }
  std::set<std::string> exported;
  for (const std::string& name : facts.defined) {
    if (name.rfind("IDS_KVOL_", 0) == 0) exported.insert(name);
  }
  EXPECT_EQ(exported.size(), 965u);
  EXPECT_EQ(exported, expected);
  // Nothing of the library's inside leaks out.
  std::set<std::string> others;
  for (const std::string& name : facts.defined) {
    if (!exported.count(name)) others.insert(name);
  }
  EXPECT_EQ(others, (std::set<std::string>{"KVOL_get", "fnKvo_lang", "nKvo_lang",
                                           "_ZN9CKvo_langC1Ev", "_ZN9CKvo_langC2Ev",
                                           "_ZN9CKvo_langaSERKS_"}));
}

TEST(KvoLangExports, EachNumberHoldsItselfAndB100HoldsB000) {
  LoadedKvoLang lib;
  ASSERT_TRUE(lib.Loaded());
  for (int block = 1; block <= 5; ++block) {
    EXPECT_EQ(lib.Symbol("IDS_KVOL_" + std::to_string(block * 1000)), nullptr);
    EXPECT_EQ(lib.Symbol("IDS_KVOL_" + std::to_string(block * 1000 + 194)), nullptr);
    for (int n = 1; n <= 193; ++n) {
      const int id = block * 1000 + n;
      const auto* value = static_cast<const int*>(lib.Symbol("IDS_KVOL_" + std::to_string(id)));
      ASSERT_NE(value, nullptr) << id;
      EXPECT_EQ(*value, n == 100 ? block * 1000 : id) << id;
    }
  }
}

TEST(KvoLangExports, LegacyExports) {
  LoadedKvoLang lib;
  ASSERT_TRUE(lib.Loaded());
  auto fn = reinterpret_cast<int (*)()>(lib.Symbol("fnKvo_lang"));
  ASSERT_NE(fn, nullptr);
  EXPECT_EQ(fn(), 42);
  const auto* n = static_cast<const int*>(lib.Symbol("nKvo_lang"));
  ASSERT_NE(n, nullptr);
  EXPECT_EQ(*n, 0);
}

}  // namespace
}  // namespace bexa::lang
