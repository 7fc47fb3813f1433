// Writes the sample firmware image the program carries when no other is given: a Cortex-M
// vector table whose handlers only loop, zeros where nothing is used, and the identity block.
// It starts no keyboard; it is a stand-in with the right shape and identity.
//
//   ferrowind_make_image --output sample_image.bin [--identity TEXT] [--date "Mmm dd yyyy"]
//                        [--time hh:mm:ss] [--size N]
//
// --size and an identity of 50 characters or more make images the build must refuse; they
// exist to test that it does.
#include <algorithm>
#include <array>
#include <cctype>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <fstream>
#include <iostream>
#include <string>
#include <vector>

namespace {

constexpr std::size_t kImageSize = 0x40000;
constexpr std::size_t kBuildTimeOffset = 0x1FE00;
constexpr std::size_t kBuildDateOffset = 0x1FE0C;
constexpr std::size_t kIdentityOffset = 0x1FE1C;
constexpr std::size_t kIdentityLength = 50;

constexpr std::uint32_t kInitialStackPointer = 0x20008000;  // top of 32 KB of SRAM
constexpr std::uint32_t kVectorCount = 64;                  // system exceptions and interrupts
constexpr std::uint32_t kResetHandler = kVectorCount * 4;   // code right after the table
constexpr std::uint32_t kDefaultHandler = kResetHandler + 4;

void put32(std::vector<std::uint8_t>& image, std::size_t at, std::uint32_t value) {
  for (int i = 0; i < 4; ++i) image[at + i] = static_cast<std::uint8_t>(value >> (8 * i));
}

void put16(std::vector<std::uint8_t>& image, std::size_t at, std::uint16_t value) {
  image[at] = static_cast<std::uint8_t>(value);
  image[at + 1] = static_cast<std::uint8_t>(value >> 8);
}

bool validDate(const std::string& d) {
  static const char* const kMonths[] = {"Jan", "Feb", "Mar", "Apr", "May", "Jun",
                                        "Jul", "Aug", "Sep", "Oct", "Nov", "Dec"};
  if (d.size() != 11 || d[3] != ' ' || d[6] != ' ') return false;
  bool month = false;
  for (const char* m : kMonths) month = month || d.compare(0, 3, m) == 0;
  const bool day = (d[4] == ' ' || std::isdigit(static_cast<unsigned char>(d[4]))) &&
                   std::isdigit(static_cast<unsigned char>(d[5]));
  bool year = true;
  for (int i = 7; i < 11; ++i) year = year && std::isdigit(static_cast<unsigned char>(d[i]));
  return month && day && year;
}

bool validTime(const std::string& t) {
  if (t.size() != 8 || t[2] != ':' || t[5] != ':') return false;
  for (int i : {0, 1, 3, 4, 6, 7})
    if (!std::isdigit(static_cast<unsigned char>(t[i]))) return false;
  return true;
}

int usage() {
  std::cerr << "usage: ferrowind_make_image --output PATH [--identity TEXT] "
               "[--date \"Mmm dd yyyy\"] [--time hh:mm:ss] [--size N]\n";
  return 2;
}

}  // namespace

int main(int argc, char* argv[]) {
  std::string output;
  std::string identity = "M484,01,KB,JV,KEYBOARD_RGB,0102";
  std::string date = "Dec 11 2026";
  std::string time = "09:30:00";
  std::size_t size = kImageSize;
  for (int i = 1; i < argc; ++i) {
    const std::string option = argv[i];
    if (i + 1 >= argc) return usage();
    const std::string value = argv[++i];
    if (option == "--output") output = value;
    else if (option == "--identity") identity = value;
    else if (option == "--date") date = value;
    else if (option == "--time") time = value;
    else if (option == "--size") size = std::stoul(value);
    else return usage();
  }
  if (output.empty()) return usage();
  if (!validDate(date)) {
    std::cerr << "ferrowind_make_image: the date must read like \"Jan  7 2020\"\n";
    return 2;
  }
  if (!validTime(time)) {
    std::cerr << "ferrowind_make_image: the time must read like \"19:00:16\"\n";
    return 2;
  }
  if (identity.size() >= kIdentityLength)
    std::cerr << "ferrowind_make_image: warning: the identity text fills its 50 bytes without a "
                 "terminating zero byte; the build will refuse this image\n";

  std::vector<std::uint8_t> image(kImageSize, 0);
  put32(image, 0, kInitialStackPointer);
  put32(image, 4, kResetHandler | 1);  // Thumb code
  for (std::uint32_t v = 2; v < kVectorCount; ++v) put32(image, v * 4, kDefaultHandler | 1);
  put16(image, kResetHandler, 0xE7FE);    // b .   (the sample does nothing)
  put16(image, kResetHandler + 2, 0xBF00);  // nop
  put16(image, kDefaultHandler, 0xE7FE);  // b .

  std::memcpy(&image[kBuildTimeOffset], time.data(), time.size());
  std::memcpy(&image[kBuildDateOffset], date.data(), date.size());
  std::memcpy(&image[kIdentityOffset], identity.data(), std::min(identity.size(), kIdentityLength));

  image.resize(size, 0);
  std::ofstream out(output, std::ios::binary | std::ios::trunc);
  out.write(reinterpret_cast<const char*>(image.data()), static_cast<std::streamsize>(image.size()));
  if (!out) {
    std::cerr << "ferrowind_make_image: cannot write " << output << "\n";
    return 1;
  }
  return 0;
}
