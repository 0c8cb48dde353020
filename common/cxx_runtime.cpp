// The few C++ runtime entry points the shipped programs use, so that they link
// without the C++ library (whose allocation functions bring the whole exception
// machinery and the threading library along). The programs build without
// exceptions and allocate only with new (std::nothrow), which reports a failed
// allocation as a null pointer: msvcrt's malloc does exactly that.
#include <stdlib.h>

#include <new>

namespace std {
const nothrow_t nothrow{};
}

void* operator new(size_t size, const std::nothrow_t&) noexcept { return malloc(size); }
void* operator new[](size_t size, const std::nothrow_t&) noexcept { return malloc(size); }
void operator delete(void* block) noexcept { free(block); }
void operator delete(void* block, size_t) noexcept { free(block); }
void operator delete[](void* block) noexcept { free(block); }
void operator delete[](void* block, size_t) noexcept { free(block); }

// Called through the table entry of a pure virtual function, which only a
// faulty program reaches (a call from a constructor or destructor): stop, as
// the C++ library does.
extern "C" void __cxa_pure_virtual() { abort(); }
