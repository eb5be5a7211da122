// Stands in for the message boxes: every message shown, in order, with its caption and
// icon.
#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "system/user_messages.h"

namespace pagorin::test_support {

struct RecordedMessages : system::UserMessages {
    std::vector<std::string> texts;
    std::vector<std::string> captions;
    std::vector<system::MessageIcon> icons;

    void show(std::string_view text, std::string_view caption, system::MessageIcon icon) override {
        texts.emplace_back(text);
        captions.emplace_back(caption);
        icons.push_back(icon);
    }
    void clear() {
        texts.clear();
        captions.clear();
        icons.clear();
    }
};

}  // namespace pagorin::test_support
