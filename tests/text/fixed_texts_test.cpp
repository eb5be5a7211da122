// The fixed texts are the GBK encodings of what the user reads. Checked against the
// byte values the file format and the cells rely on, and against the platform's own
// code-page 936 conversion of every text (iconv natively, the Windows API under Wine).
#include "text/fixed_texts.h"

#include <gtest/gtest.h>

#include <iterator>
#include <string>
#include <vector>

#include "items/monitor_item.h"
#include "text/gbk_texts_table.h"

#if defined(_WIN32)
#include <windows.h>
#else
#include <iconv.h>
#endif

namespace pagorin::text {
namespace {

std::string bytes(std::initializer_list<unsigned char> values) {
    return std::string(values.begin(), values.end());
}

TEST(FixedTexts, StoredValuesHaveTheirExactBytes) {
    EXPECT_EQ(kStopped, bytes({0xCD, 0xA3, 0xD6, 0xB9}));
    EXPECT_EQ(kMonitoring, bytes({0xBC, 0xE0, 0xBF, 0xD8, 0xD6, 0xD0}));
    EXPECT_EQ(kYes, bytes({0xCA, 0xC7}));
    EXPECT_EQ(kNo, bytes({0xB7, 0xF1}));
    EXPECT_EQ(kModeAny, bytes({0xBB, 0xF2}));
    EXPECT_EQ(kModeAll, bytes({0xD3, 0xEB}));
    EXPECT_EQ(kModeSameLine, bytes({0xCD, 0xAC, 0xD2, 0xBB, 0xD0, 0xD0}));
    EXPECT_EQ(kFullWidthComma, bytes({0xA3, 0xAC}));
}

// GBK bytes to UTF-8 by the platform's converter, for comparison with source literals.
std::string gbkToUtf8(std::string_view gbk) {
#if defined(_WIN32)
    int wideSize = MultiByteToWideChar(936, MB_ERR_INVALID_CHARS, gbk.data(),
                                       static_cast<int>(gbk.size()), nullptr, 0);
    std::wstring wide(static_cast<size_t>(wideSize), L'\0');
    MultiByteToWideChar(936, MB_ERR_INVALID_CHARS, gbk.data(), static_cast<int>(gbk.size()),
                        wide.data(), wideSize);
    int utf8Size =
        WideCharToMultiByte(CP_UTF8, 0, wide.data(), wideSize, nullptr, 0, nullptr, nullptr);
    std::string utf8(static_cast<size_t>(utf8Size), '\0');
    WideCharToMultiByte(CP_UTF8, 0, wide.data(), wideSize, utf8.data(), utf8Size, nullptr, nullptr);
    return utf8;
#else
    iconv_t cd = iconv_open("UTF-8", "GBK");
    EXPECT_NE(cd, reinterpret_cast<iconv_t>(-1));
    std::string in(gbk);
    std::string out(in.size() * 3 + 4, '\0');
    char* inPtr = in.data();
    char* outPtr = out.data();
    size_t inLeft = in.size();
    size_t outLeft = out.size();
    EXPECT_NE(iconv(cd, &inPtr, &inLeft, &outPtr, &outLeft), static_cast<size_t>(-1));
    iconv_close(cd);
    out.resize(out.size() - outLeft);
    return out;
#endif
}

// Every Chinese text of the program, decoded with code page 936, is its original in
// chinese_texts.txt: the build's encoder and the platform's decoder agree on every byte.
TEST(FixedTexts, EveryTextIsTheGbkOfWhatTheUserReads) {
    ASSERT_GT(std::size(kGbkTextOriginals), 80u);
    for (const auto& text : kGbkTextOriginals) {
        EXPECT_EQ(gbkToUtf8(text.gbk), text.utf8) << text.name;
    }
}

TEST(FixedTexts, ColumnsKeepTheirOrderAndWidths) {
    const std::vector<std::string> headers = {"序号",     "监控状态", "监控网址", "监控关键词",
                                              "声音报警", "刷新频率", "监控方式", "发现目标"};
    const std::vector<int> widths = {36, 60, 200, 120, 60, 60, 60, 60};
    ASSERT_EQ(items::kColumnLayout.size(), headers.size());
    for (size_t column = 0; column < headers.size(); ++column) {
        EXPECT_EQ(gbkToUtf8(items::kColumnLayout[column].header), headers[column]) << column;
        EXPECT_EQ(items::kColumnLayout[column].width, widths[column]) << column;
    }
}

}  // namespace
}  // namespace pagorin::text
