// Message boxes for the user: one OK button, a GBK text and caption, an icon.
#pragma once

#include <string_view>

namespace pagorin::system {

enum class MessageIcon { kInformation, kWarning };

class UserMessages {
  public:
    virtual ~UserMessages() = default;
    // Returns when the user has closed the message.
    virtual void show(std::string_view text, std::string_view caption, MessageIcon icon) = 0;
};

}  // namespace pagorin::system
