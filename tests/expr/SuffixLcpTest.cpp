#include "expr/SuffixLcp.h"

#include <gtest/gtest.h>

#include <random>
#include <string>

#include "support/RowName.h"

namespace curvella {
namespace {

struct LcpRow {
  const char* Name;
  std::string Text;
  std::size_t A;
  std::size_t B;
  std::size_t Lcp;
};

class LcpTable : public testing::TestWithParam<LcpRow> {};

TEST_P(LcpTable, GivesTheCommonPrefix) {
  const LcpRow& row = GetParam();
  const TSuffixLcp lcp(row.Text);
  EXPECT_EQ(lcp.Of(row.A, row.B), row.Lcp);
  EXPECT_EQ(lcp.Of(row.B, row.A), row.Lcp);
}

INSTANTIATE_TEST_SUITE_P(
    SuffixLcp, LcpTable,
    testing::Values(LcpRow{"Overlapping", "banana", 1, 3, 3}, LcpRow{"NoneInCommon", "banana", 0, 2, 0},
                    LcpRow{"ItselfIsItsLength", "banana", 2, 2, 4}, LcpRow{"EmptySuffix", "banana", 5, 6, 0},
                    LcpRow{"Periodic", "shshshsh", 0, 2, 6},
                    LcpRow{"ZeroBytes", std::string("a\0a\0a", 5), 0, 2, 3},
                    LcpRow{"HighBytes", "\xFF\xFF\xFE", 0, 1, 1}, LcpRow{"EmptyText", "", 0, 0, 0}),
    test::RowName());

// Against the characters compared one by one, on texts of few letters (many
// long common prefixes) and of any bytes.
TEST(SuffixLcp, AgreesWithComparingCharacters) {
  std::mt19937 random(7);
  for (int round = 0; round < 300; ++round) {
    const std::size_t length = random() % 200;
    const unsigned letters = round % 2 ? 2 : 256;
    std::string text;
    for (std::size_t i = 0; i < length; ++i) text += static_cast<char>(random() % letters);
    const TSuffixLcp lcp(text);
    for (int query = 0; query < 100; ++query) {
      const std::size_t a = random() % (length + 1);
      const std::size_t b = random() % (length + 1);
      std::size_t expected = 0;
      while (a + expected < length && b + expected < length && text[a + expected] == text[b + expected])
        ++expected;
      ASSERT_EQ(lcp.Of(a, b), expected) << "round " << round << " a " << a << " b " << b;
    }
  }
}

} // namespace
} // namespace curvella
