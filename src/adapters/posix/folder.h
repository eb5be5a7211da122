// The item file's folder on POSIX systems, for the native build of the core (its tests
// and benchmarks). File names are used as their bytes.
#pragma once

#include <string>

#include "system/folder.h"

namespace pagorin::adapters {

class PosixFolder : public system::Folder {
  public:
    explicit PosixFolder(std::string directory) : directory_(std::move(directory)) {}

    std::optional<std::string> readFile(std::string_view gbkName) const override;
    system::ReplaceResult replaceFile(std::string_view gbkName, std::string_view bytes) override;
    std::string pathOf(std::string_view gbkName) const override;

  private:
    std::string directory_;
};

}  // namespace pagorin::adapters
