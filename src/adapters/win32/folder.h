// The item file's folder on Windows: wide-character paths throughout, so it works in
// folders whose names GBK cannot spell and on any system locale.
#pragma once

#include <string>

#include "system/folder.h"

namespace pagorin::adapters {

class Win32Folder : public system::Folder {
  public:
    // `directory` without a trailing separator.
    explicit Win32Folder(std::wstring directory) : directory_(std::move(directory)) {}

    // The folder that holds the running executable.
    static std::wstring programDirectory();

    std::optional<std::string> readFile(std::string_view gbkName) const override;
    system::ReplaceResult replaceFile(std::string_view gbkName, std::string_view bytes) override;
    std::string pathOf(std::string_view gbkName) const override;

  private:
    std::wstring widePath(std::string_view gbkName) const;

    std::wstring directory_;
};

}  // namespace pagorin::adapters
