// The benchmarks' clock: the performance counter, in seconds.
#pragma once

#include "platform/win32.h"

namespace pelmora::bench {

inline double seconds() {
  static const double frequency = [] {
    LARGE_INTEGER f;
    QueryPerformanceFrequency(&f);
    return static_cast<double>(f.QuadPart);
  }();
  LARGE_INTEGER t;
  QueryPerformanceCounter(&t);
  return static_cast<double>(t.QuadPart) / frequency;
}

}  // namespace pelmora::bench
