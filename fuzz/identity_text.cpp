// The identity text a keyboard answers becomes the firmware label, the version and the five
// fields the upgrade is checked against. A keyboard may answer anything at all.
#include <algorithm>
#include <array>
#include <string>
#include <vector>

#include "check.h"
#include "device/command_reports.h"
#include "device/device_identity.h"
#include "device/identity_text.h"

namespace {

std::vector<std::string_view> commaPieces(std::string_view text) {
  std::vector<std::string_view> pieces;
  std::size_t start = 0;
  for (std::size_t p = 0; p <= text.size(); ++p) {
    if (p == text.size() || text[p] == ',') {
      pieces.push_back(text.substr(start, p - start));
      start = p + 1;
    }
  }
  return pieces;
}

std::string withoutCommas(std::string_view text) {
  std::string out(text);
  std::erase(out, ',');
  return out;
}

void checkIdentity(std::string_view text) {
  const auto pieces = commaPieces(text);
  const std::size_t commas = pieces.size() - 1;

  const std::string version = VersionText(text);
  FUZZ_CHECK(version == pieces.back());
  FUZZ_CHECK(version.find(',') == std::string::npos);

  // The label is the text before the version with only the product type's comma kept.
  const std::string label = FirmwareLabelText(text);
  FUZZ_CHECK(std::count(label.begin(), label.end(), ',') <= 1);
  if (commas == 0) {
    FUZZ_CHECK(label.empty());
  } else {
    const std::string_view head = text.substr(0, text.size() - version.size() - 1);
    FUZZ_CHECK(withoutCommas(label) == withoutCommas(head));
    FUZZ_CHECK((label.find(',') != std::string::npos) == (commas >= 2));
    if (commas >= 2)
      FUZZ_CHECK(label.substr(label.find(',') + 1) == pieces[pieces.size() - 2]);
  }

  // Each comma closes one field in order; fields no comma reaches keep what they had.
  const DeviceIdentity before{"\x01" "chip", "\x01" "code2", "\x01" "type", "\x01" "custom",
                              "\x01" "product"};
  DeviceIdentity fields = before;
  AssignCommaClosedFields(text, fields);
  const std::array<const std::string*, 5> got{&fields.chipCode, &fields.code2, &fields.typeCode,
                                              &fields.customCode, &fields.productType};
  const std::array<const std::string*, 5> kept{&before.chipCode, &before.code2, &before.typeCode,
                                               &before.customCode, &before.productType};
  for (std::size_t k = 0; k < got.size(); ++k)
    FUZZ_CHECK(*got[k] == (k < commas ? std::string(pieces[k]) : *kept[k]));

  // A whole identity: the label is the four codes run together, a comma and the product type.
  if (commas == 5) {
    FUZZ_CHECK(label == fields.chipCode + fields.code2 + fields.typeCode + fields.customCode +
                            "," + fields.productType);
  }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  checkIdentity(fuzz::textOf(data, size));

  // The same rules on the text as it arrives: inside a 64-byte answer.
  if (size >= 64) {
    HidReport answer;
    std::copy_n(data, answer.size(), answer.begin());
    const std::string text = AnswerText(answer);
    FUZZ_CHECK(text.size() <= 58);
    FUZZ_CHECK(text.find('\0') == std::string::npos);
    checkIdentity(text);
  }
  return 0;
}
