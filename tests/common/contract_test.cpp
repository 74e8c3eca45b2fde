#include <gtest/gtest.h>

#include "common/contract.h"

namespace orvalis {
namespace {

TEST(ContractTest, TextureGoesToTheRootOfDriveCThenTheTemporaryFolder) {
    EXPECT_EQ(TextureLocations(L"C:\\users\\me\\Temp\\"),
              (std::vector<std::wstring>{L"C:\\Tessalume.bmp", L"C:\\users\\me\\Temp\\Tessalume.bmp"}));
    EXPECT_EQ(TextureLocations(L"D:\\t").back(), L"D:\\t\\Tessalume.bmp") << "a missing separator is added";
    EXPECT_EQ(TextureLocations(L""), (std::vector<std::wstring>{L"C:\\Tessalume.bmp"}));
}

}  // namespace
}  // namespace orvalis
