// The libraries loaded from the system folder, each once.
#include "win32/system_library.h"

#include <map>
#include <mutex>
#include <string>

namespace pagorin::win32 {
namespace {

struct LoadedLibraries {
    std::mutex mutex;
    std::map<std::wstring, HMODULE> modules;
};

// Never destroyed: a sound may still be playing through a library while the process ends.
LoadedLibraries& loaded() {
    static LoadedLibraries& libraries = *new LoadedLibraries;
    return libraries;
}

}  // namespace

FARPROC SystemLibraryProcedure(const wchar_t* library, const char* name) {
    LoadedLibraries& libraries = loaded();
    std::lock_guard lock(libraries.mutex);
    HMODULE& module = libraries.modules[library];
    if (module == nullptr) module = LoadLibraryExW(library, nullptr, LOAD_LIBRARY_SEARCH_SYSTEM32);
    return module != nullptr ? GetProcAddress(module, name) : nullptr;
}

}  // namespace pagorin::win32
