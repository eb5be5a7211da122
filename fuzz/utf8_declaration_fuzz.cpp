// Fuzzes the recognition of pages that declare UTF-8: its necessary conditions, the
// declaration forms it must see after any page, its indifference to letter case, and
// that it stays linear on long pages (a page built from the input, thousands of times
// its size, must still be read well within the per-input time limit).
//
// Input: the page.
#include <cstdint>
#include <string>

#include "fetch/page_fetch.h"
#include "fuzz_support.h"

namespace {

using namespace pagorin;
using namespace pagorin::fuzz;

constexpr std::string_view kByteOrderMark = "\xEF\xBB\xBF";
// A quadratic reading of a page this long takes many seconds; a linear one, a millisecond.
constexpr size_t kLongPageSize = size_t{256} << 10;

// Forms the recognition promises, each a whole element after the page.
constexpr std::string_view kDeclarations[] = {
    "<meta charset=\"utf-8\">",
    "<META CHARSET='UTF-8'>",
    "<meta charset = utf-8 />",
    "<meta http-equiv=\"Content-Type\" content=\"text/html; charset=UTF-8\">",
};

// Every ASCII letter at the start of a character in the other case.
std::string flipCase(std::string_view page) {
    std::string result(page);
    for (size_t start : refCharacterStarts(page)) {
        char& c = result[start];
        if (c >= 'a' && c <= 'z') {
            c = static_cast<char>(c - 32);
        } else if (c >= 'A' && c <= 'Z') {
            c = static_cast<char>(c + 32);
        }
    }
    return result;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const std::string_view page(reinterpret_cast<const char*>(data), size);
    const bool declares = fetch::DeclaresUtf8(page);

    // Nothing but the byte-order mark or a "utf-8" standing where a character begins
    // can make a declaration.
    if (page.starts_with(kByteOrderMark)) FUZZ_CHECK(declares);
    if (declares) FUZZ_CHECK(page.starts_with(kByteOrderMark) || refFindText(page, "utf-8") != -1);

    // Letter case never matters: the markers are ASCII and compared folded.
    FUZZ_CHECK(fetch::DeclaresUtf8(flipCase(page)) == declares);

    // Whatever comes before, a whole declaration that begins at a character is seen.
    if (!refEndsInLoneLeadByte(page)) {
        for (std::string_view declaration : kDeclarations) {
            FUZZ_CHECK(fetch::DeclaresUtf8(std::string(page) + std::string(declaration)));
        }
    }

    // The input's middle third repeated between its first and last thirds, so that one
    // marker can face a very long run of anything ("<meta" then a megabyte without ">");
    // libFuzzer's -timeout stops a reading that is not linear.
    if (!page.empty()) {
        const size_t third = page.size() / 3;
        const std::string_view middle = page.substr(third, page.size() - 2 * third);
        std::string longPage(page.substr(0, third));
        longPage.reserve(kLongPageSize + page.size());
        while (longPage.size() < kLongPageSize) longPage.append(middle);
        longPage.append(page.substr(page.size() - third));
        fetch::DeclaresUtf8(longPage);
    }
    return 0;
}
