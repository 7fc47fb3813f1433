#pragma once

#include <string>

// The five identity fields of a firmware, as the device reports them and as the built-in
// image carries them. A sixth field, the version, is not part of it.
struct DeviceIdentity {
  std::string chipCode;
  std::string code2;
  std::string typeCode;
  std::string customCode;
  std::string productType;
  friend bool operator==(const DeviceIdentity&, const DeviceIdentity&) = default;
};
