#include "device/interface_walk.h"

#include <cstring>
#include <memory>
#include <new>

namespace {

constexpr std::size_t kDetailBufferSize = 1024;
constexpr std::size_t kDetailHeaderSize = 4;  // the record's size field comes before the path

}  // namespace

WalkResult WalkInterfaces(HidPort& port,
                          const std::function<bool(const std::string& path)>& visit) {
  const auto paths = port.presentInterfaces();
  if (!paths) return WalkResult::NoList;

  const std::unique_ptr<char[]> detail(new (std::nothrow) char[kDetailBufferSize]);
  if (!detail) return WalkResult::NoBuffer;
  char* const pathBuffer = detail.get() + kDetailHeaderSize;
  constexpr std::size_t kPathCapacity = kDetailBufferSize - kDetailHeaderSize;

  for (const std::string& path : *paths) {
    if (path.size() + 1 > kPathCapacity) continue;  // does not fit the detail record
    std::memcpy(pathBuffer, path.c_str(), path.size() + 1);
    if (visit(std::string(pathBuffer))) break;
  }
  return WalkResult::Walked;
}
