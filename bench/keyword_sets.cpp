// Keywords from the page's own common words and characters, plus one absent piece.
#include "keyword_sets.h"

#include <algorithm>
#include <set>

#include "random.h"
#include "vocabulary.h"

namespace pagorin::bench {
namespace {

constexpr size_t kCommonHanzi = 40;  // keywords draw on the most frequent characters only
constexpr size_t kMinChars = 2;
constexpr size_t kMaxChars = 8;

class KeywordMaker {
  public:
    explicit KeywordMaker(uint64_t seed) : random_(seed), vocabulary_(TheVocabulary()) {}

    std::string next(size_t index) {
        switch (index % 3) {
            case 0:
                return chinese(random_.between(kMinChars, kMaxChars));
            case 1:
                return ascii(random_.between(kMinChars + 1, kMaxChars));
            default:
                return mixed(random_.between(kMinChars, kMaxChars));
        }
    }

  private:
    // Like "优惠券": common characters with an absent one anywhere but first.
    std::string chinese(size_t chars) {
        size_t absentAt = random_.between(1, chars - 1);
        std::string keyword;
        for (size_t i = 0; i < chars; ++i) keyword += i == absentAt ? absentHanzi() : hanzi();
        return keyword;
    }

    // Like "Pri#ce": letters of a common word with an absent byte inside.
    std::string ascii(size_t chars) {
        std::string letters = letterRun(chars - 1);
        const std::string& absent = vocabulary_.absentAscii;
        letters.insert(random_.between(1, letters.size() - 1), 1,
                       absent[random_.below(absent.size())]);
        return letters;
    }

    // Like "iPhone券" (letters, then characters with an absent one among them) or
    // "手机#vip" (characters, an absent byte, letters).
    std::string mixed(size_t chars) {
        if (chars >= 3 && random_.below(2) == 0) {
            size_t hanziCount = random_.between(1, chars - 2);
            std::string keyword;
            for (size_t i = 0; i < hanziCount; ++i) keyword += hanzi();
            const std::string& absent = vocabulary_.absentAscii;
            keyword += absent[random_.below(absent.size())];
            return keyword + letterRun(chars - hanziCount - 1);
        }
        size_t letterCount = random_.between(1, chars - 1);
        std::string keyword = letterRun(letterCount);
        size_t hanziCount = chars - letterCount;
        size_t absentAt = random_.below(hanziCount);
        for (size_t i = 0; i < hanziCount; ++i) keyword += i == absentAt ? absentHanzi() : hanzi();
        return keyword;
    }

    const std::string& hanzi() { return vocabulary_.hanzi[random_.skewed(kCommonHanzi)]; }

    const std::string& absentHanzi() {
        return vocabulary_.absentHanzi[random_.below(vocabulary_.absentHanzi.size())];
    }

    // The first `length` letters of a common word long enough, in a random case style,
    // since people type keywords however they like.
    std::string letterRun(size_t length) {
        std::string word;
        do {
            word = vocabulary_.words[random_.skewed(vocabulary_.words.size())];
        } while (word.size() < length);
        word.resize(length);
        switch (random_.below(3)) {
            case 0:
                word[0] = upper(word[0]);
                break;
            case 1:
                std::transform(word.begin(), word.end(), word.begin(), upper);
                break;
            default:
                break;
        }
        return word;
    }

    static char upper(char byte) {
        return byte >= 'a' && byte <= 'z' ? static_cast<char>(byte - 'a' + 'A') : byte;
    }

    Random random_;
    const Vocabulary& vocabulary_;
};

unsigned char fold(char byte) {
    auto value = static_cast<unsigned char>(byte);
    return value >= 'A' && value <= 'Z' ? static_cast<unsigned char>(value + 32) : value;
}

}  // namespace

monitor::KeywordList MakeKeywords(size_t count, uint64_t seed) {
    KeywordMaker maker(seed);
    monitor::KeywordList keywords;
    std::set<std::string> seen;
    for (size_t index = 0; keywords.size() < count; ++index) {
        std::string keyword = maker.next(index);
        if (seen.insert(keyword).second) keywords.push_back(keyword);
    }
    return keywords;
}

monitor::KeywordList PresentKeywords(std::string_view page, size_t count, uint64_t seed) {
    Random random(seed);
    monitor::KeywordList keywords;
    std::set<std::string> seen;
    while (keywords.size() < count) {
        // A byte below 0x80 ends a character, so one begins right after it.
        size_t pos = random.below(page.size());
        while (pos < page.size() && static_cast<unsigned char>(page[pos]) >= 0x80) ++pos;
        std::string keyword;
        for (size_t chars = random.between(1, kMaxChars); chars > 0; --chars) {
            if (++pos >= page.size()) break;
            const size_t length = static_cast<unsigned char>(page[pos]) >= 0x80 ? 2 : 1;
            if (pos + length > page.size()) break;
            keyword.append(page.substr(pos, length));
            pos += length - 1;
        }
        if (keyword.empty() || keyword.find_first_of("|\r\n") != std::string::npos) continue;
        if (seen.insert(keyword).second) keywords.push_back(keyword);
    }
    return keywords;
}

std::string JoinKeywords(const monitor::KeywordList& keywords) {
    std::string text;
    for (const std::string& keyword : keywords) {
        if (!text.empty()) text += '|';
        text += keyword;
    }
    return text;
}

double CandidatesPerMiB(std::string_view page, const monitor::KeywordList& keywords) {
    size_t candidates = 0;
    for (const std::string& keyword : keywords) {
        unsigned char first = fold(keyword.front());
        unsigned char last = fold(keyword.back());
        for (size_t pos = 0; pos + keyword.size() <= page.size(); ++pos) {
            if (fold(page[pos]) == first && fold(page[pos + keyword.size() - 1]) == last) {
                ++candidates;
            }
        }
    }
    double mebibytes = static_cast<double>(page.size()) / (1024.0 * 1024.0);
    return static_cast<double>(candidates) / mebibytes / static_cast<double>(keywords.size());
}

}  // namespace pagorin::bench
