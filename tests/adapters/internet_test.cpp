// The native build's stand-in for the system Internet library: nothing reaches the network.
#include "adapters/posix/internet.h"

#include <gtest/gtest.h>

#include "fetch/http_request.h"

namespace pagorin::adapters {
namespace {

TEST(HttpGetText, HasNoNetworkInTheNativeBuild) {
    EXPECT_EQ(fetch::HttpGetText(SystemInternetApi(), "http://127.0.0.1:9/"), "");
    EXPECT_EQ(SystemInternetApi().open("a", 1, nullptr, nullptr, 0), nullptr);
}

}  // namespace
}  // namespace pagorin::adapters
