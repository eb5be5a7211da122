// The fixed vocabulary: real common words and characters first, then filler
// characters from all over the GBK range the page uses.
#include "vocabulary.h"

#include <algorithm>

#include "random.h"

namespace pagorin::bench {
namespace {

constexpr size_t kHanziCount = 600;
constexpr uint64_t kHanziSeed = 0x48616E7A69ULL;

// Frequent words of shop and news pages, most frequent first; mixed case on purpose.
const char* const kWords[] = {
    "the",     "www",      "com",     "price",   "new",     "http",     "html",    "and",
    "shop",    "page",     "item",    "sale",    "order",   "free",     "news",    "iPhone",
    "list",    "more",     "home",    "qq",      "vip",     "China",    "info",    "index",
    "login",   "user",     "mail",    "phone",   "date",    "time",     "class",   "div",
    "span",    "href",     "img",     "jpg",     "png",     "css",      "api",     "json",
    "view",    "next",     "top",     "hot",     "stock",   "product",  "service", "contact",
    "company", "download", "welcome", "message", "beijing", "shanghai", "Apple",   "Huawei",
    "Xiaomi",  "USB",      "GPS",     "CPU",     "tel",     "fax",      "open",    "close",
    "search",  "cart",     "ship",    "deal",    "offer",   "brand",
};

// 的 是 要 在 价 同 格 新 动 中 国 去 人 有 开 大 上 网 超 年 月 日 手 机 商 品 优
// 惠 电 话 版 号 包 邮 特 卖 店 售 买 送 限 购 票 码 货 促 销 折 扣 款 抢 团
// Some (要 同 去 动) share their second byte with the absent characters below, as
// real text does, so a keyword ending in an absent character still ends in a byte
// the page is full of.
const char* const kCommonHanzi[] = {
    "\xB5\xC4", "\xCA\xC7", "\xD2\xAA", "\xD4\xDA", "\xBC\xDB", "\xCD\xAC", "\xB8\xF1", "\xD0\xC2",
    "\xB6\xAF", "\xD6\xD0", "\xB9\xFA", "\xC8\xA5", "\xC8\xCB", "\xD3\xD0", "\xBF\xAA", "\xB4\xF3",
    "\xC9\xCF", "\xCD\xF8", "\xB3\xAC", "\xC4\xEA", "\xD4\xC2", "\xC8\xD5", "\xCA\xD6", "\xBB\xFA",
    "\xC9\xCC", "\xC6\xB7", "\xD3\xC5", "\xBB\xDD", "\xB5\xE7", "\xBB\xB0", "\xB0\xE6", "\xBA\xC5",
    "\xB0\xFC", "\xD3\xCA", "\xCC\xD8", "\xC2\xF4", "\xB5\xEA", "\xCA\xDB", "\xC2\xF2", "\xCB\xCD",
    "\xCF\xDE", "\xB9\xBA", "\xC6\xB1", "\xC2\xEB", "\xBB\xF5", "\xB4\xD9", "\xCF\xFA", "\xD5\xDB",
    "\xBF\xDB", "\xBF\xEE", "\xC7\xC0", "\xCD\xC5",
};

// 券 元 华 为 爆 单: their second byte lies in A1..AF, which is never a first byte
// (the page's first bytes are B0..F7) nor ASCII, so these two bytes can appear in the
// page only as this very character, and the page never holds it.
const char* const kAbsentHanzi[] = {
    "\xC8\xAF", "\xD4\xAA", "\xBB\xAA", "\xCE\xAA", "\xB1\xAC", "\xB5\xA5",
};

// All below 0x40, so not even a second byte of a double-byte character is one of them.
constexpr std::string_view kAbsentAscii = "#$%&*+";
constexpr std::string_view kPunctuation = ".,:;-/()'\"!?=<>";

Vocabulary build() {
    Vocabulary vocabulary;
    vocabulary.words.assign(std::begin(kWords), std::end(kWords));
    vocabulary.hanzi.assign(std::begin(kCommonHanzi), std::end(kCommonHanzi));
    vocabulary.absentHanzi.assign(std::begin(kAbsentHanzi), std::end(kAbsentHanzi));
    vocabulary.absentAscii = kAbsentAscii;
    vocabulary.punctuation = kPunctuation;

    // Filler characters: first byte B0..F7; one in five has its second byte in 40..7E
    // (looking like ASCII, letters included), the rest in A1..FE.
    Random random(kHanziSeed);
    auto known = [&vocabulary](const std::string& character) {
        auto has = [&character](const std::vector<std::string>& list) {
            return std::find(list.begin(), list.end(), character) != list.end();
        };
        return has(vocabulary.hanzi) || has(vocabulary.absentHanzi);
    };
    while (vocabulary.hanzi.size() < kHanziCount) {
        auto lead = static_cast<char>(random.between(0xB0, 0xF7));
        auto trail = static_cast<char>(random.below(5) == 0 ? random.between(0x40, 0x7E)
                                                            : random.between(0xA1, 0xFE));
        std::string character{lead, trail};
        if (!known(character)) vocabulary.hanzi.push_back(character);
    }
    return vocabulary;
}

}  // namespace

const Vocabulary& TheVocabulary() {
    static const Vocabulary vocabulary = build();
    return vocabulary;
}

}  // namespace pagorin::bench
