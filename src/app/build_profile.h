#pragma once

#include <optional>
#include <string>

// A product profile: what one build of the program is for.
struct ProductProfile {
  std::string pidText;  // application-mode PID text, "0x" and four hex digits
  std::string caption;  // window caption
};

// The profile of a profile number. Numbers without a row (3, 4, above 7, negative) have none:
// such a build keeps the template's caption and an empty PID text.
std::optional<ProductProfile> productProfile(int profileNumber);

// VID text of the device in application mode; the same for every profile.
inline constexpr const char* kApplicationVidText = "0x0416";
