// Every test program writes unbuffered from before its main: what a program printed
// before it died is never lost in a buffer, and a program that printed nothing never
// started (which the Wine test runner relies on).
#include <cstdio>

namespace {

const bool kUnbuffered = [] {
    std::setvbuf(stdout, nullptr, _IONBF, 0);
    std::setvbuf(stderr, nullptr, _IONBF, 0);
    return true;
}();

}  // namespace
