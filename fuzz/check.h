#pragma once

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <string_view>

// A broken property is a finding like any crash: it aborts, so that libFuzzer keeps the input
// that broke it and says which property it was.
#define FUZZ_CHECK(condition) \
  ((condition) ? void(0) : fuzz::propertyFailed(#condition, __FILE__, __LINE__))

namespace fuzz {

[[noreturn]] inline void propertyFailed(const char* condition, const char* file, int line) {
  std::fprintf(stderr, "property broken: %s (%s:%d)\n", condition, file, line);
  std::abort();
}

inline std::string_view textOf(const std::uint8_t* data, std::size_t size) {
  return {reinterpret_cast<const char*>(data), size};
}

}  // namespace fuzz
