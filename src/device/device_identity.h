#pragma once

#include <string>
#include <string_view>

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

// Splits an identity text ("chip,code2,type,custom,product,version") into the fields: each
// comma closes one field, in order; the text after the last comma, and commas after the fifth,
// close nothing. Fields that no comma reaches keep their value.
void AssignCommaClosedFields(std::string_view text, DeviceIdentity& fields);
