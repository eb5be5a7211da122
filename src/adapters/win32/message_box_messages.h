// The user's messages as Windows message boxes, texts converted from GBK at the call.
#pragma once

#include <windows.h>

#include "system/user_messages.h"

namespace pagorin::adapters {

class MessageBoxMessages : public system::UserMessages {
  public:
    explicit MessageBoxMessages(HWND owner = nullptr) : owner_(owner) {}
    void setOwner(HWND owner) { owner_ = owner; }
    void show(std::string_view text, std::string_view caption, system::MessageIcon icon) override;

  private:
    HWND owner_;
};

}  // namespace pagorin::adapters
