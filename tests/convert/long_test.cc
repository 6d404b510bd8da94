// Long-running checks (ctest label "long", left out of the default runs):
// a list of 1 GB converts whole, there and back.
#include <gtest/gtest.h>

#include <string>

#include "bench/list_generator.h"
#include "convert/converter.h"

namespace marvoset {
namespace {

TEST(LongTest, OneGigabyteList) {
  std::string sogou = bench::GenerateSogouList(16u << 20);
  const std::size_t piece = sogou.size();
  sogou.reserve((1u << 30) + piece);
  while (sogou.size() < (1u << 30)) sogou.append(sogou, 0, piece);
  std::string qq = ConvertSogouToQq(sogou);
  ASSERT_EQ(qq.size(), sogou.size());
  EXPECT_EQ(ConvertQqToSogou(qq), sogou);
}

}  // namespace
}  // namespace marvoset
