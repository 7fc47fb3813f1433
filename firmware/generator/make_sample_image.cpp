// Writes the stand-in firmware image that Ferrowind carries when no vendor image is given:
// a Cortex-M vector table, a reset routine that parks the core, zeros, and the identity block
// (build time, build date, identity text) where a real image has it. With no options the
// output is always the same bytes, so firmware/sample_image.bin can be checked against it.
//
//   ferrowind_make_image --output PATH [--identity TEXT] [--date "Mmm dd yyyy"]
//                        [--time hh:mm:ss] [--size N]
//
// --size and an identity of 50 or more characters make images the build must refuse; the
// tests use them to check that it does.

#include <array>
#include <cstdint>
#include <fstream>
#include <iostream>
#include <string>
#include <string_view>
#include <vector>

#include "upgrade/image_layout.h"

namespace {

constexpr std::string_view kDefaultIdentity = "M484,01,KB,JV,KEYBOARD_RGB,0102";
constexpr std::string_view kDefaultDate = "Dec 11 2026";
constexpr std::string_view kDefaultTime = "09:30:00";

// Top of 32 KB of SRAM from the Cortex-M SRAM base: little enough for any such chip.
constexpr std::uint32_t kInitialStackPointer = 0x20008000;

// The vector table fills everything below the code: the 16 core exceptions, then interrupt
// lines. Slots the architecture reserves stay zero.
constexpr std::size_t kCodeOffset = 0x200;
constexpr std::size_t kVectorCount = kCodeOffset / 4;
constexpr std::array<std::size_t, 5> kReservedVectors = {7, 8, 9, 10, 13};

// Reset: disable interrupts, then sleep in a loop. Thumb, little-endian halfwords.
constexpr std::size_t kResetOffset = kCodeOffset;
constexpr std::array<std::uint16_t, 3> kResetCode = {
    0xB672,  // cpsid i
    0xBF30,  // wfi
    0xE7FD,  // b back to the wfi
};
// Every other exception: loop where it stands. Word-aligned after the reset routine.
constexpr std::size_t kDefaultHandlerOffset = (kResetOffset + 2 * kResetCode.size() + 3) / 4 * 4;
constexpr std::uint16_t kBranchToSelf = 0xE7FE;  // b .

struct Options {
  std::string output;
  std::string identity{kDefaultIdentity};
  std::string date{kDefaultDate};
  std::string time{kDefaultTime};
  std::size_t size = kFirmwareImageSize;
};

bool isDigits(std::string_view text) {
  for (char c : text)
    if (c < '0' || c > '9') return false;
  return !text.empty();
}

int number(std::string_view digits) { return std::stoi(std::string(digits)); }

// "hh:mm:ss", 24-hour clock.
bool validTime(std::string_view t) {
  if (t.size() != 8 || t[2] != ':' || t[5] != ':') return false;
  const auto h = t.substr(0, 2), m = t.substr(3, 2), s = t.substr(6, 2);
  if (!isDigits(h) || !isDigits(m) || !isDigits(s)) return false;
  return number(h) < 24 && number(m) < 60 && number(s) < 60;
}

// "Mmm dd yyyy" as C compilers write __DATE__: the day is padded with a space, not a zero.
bool validDate(std::string_view d) {
  static constexpr std::array<std::string_view, 12> kMonths = {
      "Jan", "Feb", "Mar", "Apr", "May", "Jun", "Jul", "Aug", "Sep", "Oct", "Nov", "Dec"};
  static constexpr std::array<int, 12> kDays = {31, 29, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
  if (d.size() != 11 || d[3] != ' ' || d[6] != ' ') return false;
  std::size_t month = 0;
  while (month < kMonths.size() && kMonths[month] != d.substr(0, 3)) ++month;
  if (month == kMonths.size()) return false;
  const auto day = d.substr(4, 2), year = d.substr(7, 4);
  if (!isDigits(year)) return false;
  if (day[0] == ' ' ? !isDigits(day.substr(1)) : (!isDigits(day) || day[0] == '0')) return false;
  const int dayNumber = number(day[0] == ' ' ? day.substr(1) : day);
  const int yearNumber = number(year);
  const bool leap = (yearNumber % 4 == 0 && yearNumber % 100 != 0) || yearNumber % 400 == 0;
  const int daysInMonth = (month == 1 && !leap) ? 28 : kDays[month];
  return dayNumber >= 1 && dayNumber <= daysInMonth;
}

void putWord(std::vector<std::uint8_t>& image, std::size_t offset, std::uint32_t word) {
  for (int b = 0; b < 4; ++b) image[offset + b] = static_cast<std::uint8_t>(word >> (8 * b));
}

void putHalfword(std::vector<std::uint8_t>& image, std::size_t offset, std::uint16_t half) {
  image[offset] = static_cast<std::uint8_t>(half);
  image[offset + 1] = static_cast<std::uint8_t>(half >> 8);
}

void putText(std::vector<std::uint8_t>& image, std::size_t offset, std::string_view text) {
  for (std::size_t i = 0; i < text.size(); ++i)
    image[offset + i] = static_cast<std::uint8_t>(text[i]);
}

std::vector<std::uint8_t> makeImage(const Options& options) {
  std::vector<std::uint8_t> image(kFirmwareImageSize, 0);

  putWord(image, 0, kInitialStackPointer);
  for (std::size_t v = 1; v < kVectorCount; ++v) {
    bool reserved = false;
    for (auto r : kReservedVectors) reserved = reserved || r == v;
    if (reserved) continue;
    // Thumb addresses: the low bit set.
    const auto handler = v == 1 ? kResetOffset : kDefaultHandlerOffset;
    putWord(image, 4 * v, static_cast<std::uint32_t>(handler | 1));
  }
  for (std::size_t i = 0; i < kResetCode.size(); ++i)
    putHalfword(image, kResetOffset + 2 * i, kResetCode[i]);
  putHalfword(image, kDefaultHandlerOffset, kBranchToSelf);

  // The blocks are zero-filled already, so whatever follows each text is its terminator.
  putText(image, kBuildTimeOffset, options.time);
  putText(image, kBuildDateOffset, options.date);
  putText(image, kIdentityTextOffset,
          std::string_view(options.identity).substr(0, kIdentityTextLength));

  image.resize(options.size, 0);
  return image;
}

int usage(const std::string& problem) {
  std::cerr << "ferrowind_make_image: " << problem << "\n"
            << "usage: ferrowind_make_image --output PATH [--identity TEXT]"
               " [--date \"Mmm dd yyyy\"] [--time hh:mm:ss] [--size N]\n";
  return 2;
}

}  // namespace

int main(int argc, char* argv[]) {
  Options options;
  for (int i = 1; i < argc; ++i) {
    const std::string_view option = argv[i];
    if (i + 1 >= argc) return usage("missing value after " + std::string(option));
    const std::string value = argv[++i];
    if (option == "--output") {
      options.output = value;
    } else if (option == "--identity") {
      options.identity = value;
    } else if (option == "--date") {
      options.date = value;
    } else if (option == "--time") {
      options.time = value;
    } else if (option == "--size") {
      if (!isDigits(value) || value.size() > 9)
        return usage("--size takes a byte count, not '" + value + "'");
      options.size = static_cast<std::size_t>(std::stoul(value));
    } else {
      return usage("unknown option " + std::string(option));
    }
  }
  if (options.output.empty()) return usage("--output is required");
  if (!validDate(options.date))
    return usage("--date must be \"Mmm dd yyyy\", a real day, e.g. \"Jan  7 2020\"; not '" +
                 options.date + "'");
  if (!validTime(options.time))
    return usage("--time must be hh:mm:ss, e.g. 09:30:00; not '" + options.time + "'");
  if (options.identity.size() >= kIdentityTextLength)
    std::cerr << "ferrowind_make_image: warning: the identity has " << options.identity.size()
              << " characters; its first " << kIdentityTextLength
              << " fill the block with no zero byte, and the build will refuse this image\n";
  if (options.size != kFirmwareImageSize)
    std::cerr << "ferrowind_make_image: warning: writing " << options.size
              << " bytes instead of " << kFirmwareImageSize
              << "; the build will refuse this image\n";

  const auto image = makeImage(options);
  std::ofstream out(options.output, std::ios::binary | std::ios::trunc);
  out.write(reinterpret_cast<const char*>(image.data()),
            static_cast<std::streamsize>(image.size()));
  out.close();
  if (!out) {
    std::cerr << "ferrowind_make_image: cannot write " << options.output << "\n";
    return 1;
  }
  return 0;
}
