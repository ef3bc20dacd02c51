// The little a freestanding C++ image needs that no kernel export gives.
// Nothing is ever allocated with new, and no pure virtual function is
// called; the symbols only complete the virtual tables.
#include <cstddef>

void operator delete(void*) noexcept {}
void operator delete(void*, std::size_t) noexcept {}

extern "C" void __cxa_pure_virtual() {
  for (;;) {
  }
}
