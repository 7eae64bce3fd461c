#include "platform/files/cSharedLibrary.h"

#include <dlfcn.h>

namespace lyn {

cSharedLibrary::cSharedLibrary(const char* name, bool keep) {
  mHandle = ::dlopen(name, RTLD_NOW | RTLD_LOCAL | (keep ? RTLD_NODELETE : 0));
  if (mHandle == nullptr) {
    const char* reason = ::dlerror();
    msError = reason != nullptr ? reason : std::string(name) + ": cannot be loaded";
  }
}

cSharedLibrary::~cSharedLibrary() {
  if (mHandle != nullptr) ::dlclose(mHandle);
}

void* cSharedLibrary::fncSymbol(const char* name) {
  if (mHandle == nullptr) return nullptr;
  ::dlerror();
  void* symbol = ::dlsym(mHandle, name);
  if (symbol == nullptr) msError = std::string("the library has no function ") + name;
  return symbol;
}

}  // namespace lyn
