#pragma once
// A shared library loaded when it is first needed rather than at start-up, so that a run that
// never uses it never maps it (nor the libraries behind it).
//
// Errors: the library or one of its functions is missing -> fncbLoaded() false or fncbFind
// false, the loader's reason in fncError().

#include <string>

namespace lyn {

class cSharedLibrary {
 public:
  // `name` is the library's soname ("libSDL2-2.0.so.0"). With `keep`, the library stays mapped
  // after this object is gone: later loads are then cheap, and threads or handlers the library
  // started can never run unmapped code.
  cSharedLibrary(const char* name, bool keep);
  ~cSharedLibrary();
  cSharedLibrary(const cSharedLibrary&) = delete;
  cSharedLibrary& operator=(const cSharedLibrary&) = delete;

  bool fncbLoaded() const { return mHandle != nullptr; }
  const std::string& fncError() const { return msError; }

  // Sets `function` to the library's function `name`; false when it is missing.
  template <typename Function>
  bool fncbFind(const char* name, Function*& function) {
    function = reinterpret_cast<Function*>(fncSymbol(name));
    return function != nullptr;
  }

 private:
  void* fncSymbol(const char* name);

  void* mHandle = nullptr;
  std::string msError;
};

}  // namespace lyn
