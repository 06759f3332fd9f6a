// Run-time support of pelmora.exe as built with MinGW-w64, linked into the program only.
//
// The program is built without exceptions: nothing in it throws or catches, and a failure that
// the standard library reports by throwing (memory exhausted, a length beyond the maximum) ends
// the process, as an uncaught exception would. The library's own throw helpers and allocation
// functions are defined here in that form, so the exception machinery of the static C++ runtime
// (unwinder, personality routine, terminate handler and demangler) is not linked in at all.
#include <bits/functexcept.h>

#include <cstdlib>
#include <new>

namespace std {

// Every helper that the library's functexcept.o defines, so that object is never needed.
void __throw_bad_exception() { std::abort(); }
void __throw_bad_alloc() { std::abort(); }
void __throw_bad_array_new_length() { std::abort(); }
void __throw_bad_cast() { std::abort(); }
void __throw_bad_typeid() { std::abort(); }
void __throw_logic_error(const char*) { std::abort(); }
void __throw_domain_error(const char*) { std::abort(); }
void __throw_invalid_argument(const char*) { std::abort(); }
void __throw_length_error(const char*) { std::abort(); }
void __throw_out_of_range(const char*) { std::abort(); }
void __throw_out_of_range_fmt(const char*, ...) { std::abort(); }
void __throw_runtime_error(const char*) { std::abort(); }
void __throw_range_error(const char*) { std::abort(); }
void __throw_overflow_error(const char*) { std::abort(); }
void __throw_underflow_error(const char*) { std::abort(); }

}  // namespace std

// The replaceable allocation functions: the new-handler is honoured, and where bad_alloc would
// be thrown the process ends instead.
void* operator new(std::size_t size) {
  if (size == 0) size = 1;
  for (;;) {
    if (void* const block = std::malloc(size)) return block;
    const std::new_handler handler = std::get_new_handler();
    if (handler == nullptr) std::abort();
    handler();
  }
}

void* operator new[](std::size_t size) { return ::operator new(size); }

void operator delete(void* block) noexcept { std::free(block); }
void operator delete[](void* block) noexcept { std::free(block); }
void operator delete(void* block, std::size_t) noexcept { std::free(block); }
void operator delete[](void* block, std::size_t) noexcept { std::free(block); }
