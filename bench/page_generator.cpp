// Lines are runs of common characters, words, numbers and punctuation, in the
// proportions of a Chinese shop page, so the keywords' end bytes come up often.
#include "page_generator.h"

#include <algorithm>

#include "random.h"
#include "vocabulary.h"

namespace pagorin::bench {
namespace {

constexpr size_t kMinLine = 20;
constexpr size_t kMaxLine = 200;

class LineWriter {
  public:
    LineWriter(std::string& page, Random& random)
        : page_(page), random_(random), vocabulary_(TheVocabulary()) {}

    // Appends exactly `room` bytes of text, no line break among them.
    void fill(size_t room) {
        while (room > 0) {
            size_t kind = random_.below(100);
            if (kind < 50 && room >= 2) {
                room -= hanziRun(room);
            } else if (kind < 75) {
                room -= ascii(word(), room);
                room -= maybeSpace(room);
            } else if (kind < 85) {
                room -= ascii(std::to_string(random_.between(0, 99999)), room);
                room -= maybeSpace(room);
            } else {
                const std::string& marks = vocabulary_.punctuation;
                room -= ascii(std::string(1, marks[random_.below(marks.size())]), room);
            }
        }
    }

  private:
    size_t hanziRun(size_t room) {
        size_t count = std::min(random_.between(1, 8), room / 2);
        for (size_t i = 0; i < count; ++i) {
            page_ += vocabulary_.hanzi[random_.skewed(vocabulary_.hanzi.size())];
        }
        return 2 * count;
    }

    std::string word() {
        std::string text = vocabulary_.words[random_.skewed(vocabulary_.words.size())];
        // Now and then capitalised, as at the start of a sentence or in a title.
        if (random_.below(10) == 0 && text[0] >= 'a' && text[0] <= 'z') {
            text[0] = static_cast<char>(text[0] - 'a' + 'A');
        }
        return text;
    }

    size_t ascii(const std::string& text, size_t room) {
        size_t length = std::min(text.size(), room);
        page_.append(text, 0, length);
        return length;
    }

    size_t maybeSpace(size_t room) {
        if (room == 0 || random_.below(10) < 3) return 0;
        page_ += ' ';
        return 1;
    }

    std::string& page_;
    Random& random_;
    const Vocabulary& vocabulary_;
};

}  // namespace

std::string MakePage(size_t size, uint64_t seed) {
    std::string page;
    page.reserve(size);
    Random random(seed);
    LineWriter writer(page, random);
    size_t remaining = size;
    while (remaining > 0) {
        // The last line takes whatever is left, so the page has exactly `size` bytes.
        size_t line =
            remaining <= kMaxLine + kMinLine ? remaining : random.between(kMinLine, kMaxLine);
        writer.fill(line - 2);
        page += "\r\n";
        remaining -= line;
    }
    return page;
}

}  // namespace pagorin::bench
