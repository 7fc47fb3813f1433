// The serial number is read from one answer, kept as 64 bytes and written back after the
// upgrade: whatever the keyboard answered, the program must give back the same text and never
// read or write past what the reports hold.
#include <algorithm>
#include <string>

#include "check.h"
#include "device/command_reports.h"

namespace {

// What the keyboard keeps of a serial-number write: the written bytes up to the first zero.
std::string writtenText(const HidReport& report) {
  const auto begin = report.begin() + 6;
  return std::string(begin, std::find(begin, begin + kSerialWriteLength, 0));
}

// The text is exactly these bytes (a char and a byte of the same value compare unequal when
// char is signed).
bool sameBytes(const std::string& text, const std::uint8_t* bytes) {
  return std::equal(text.begin(), text.end(), bytes,
                    [](char c, std::uint8_t b) { return static_cast<std::uint8_t>(c) == b; });
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  HidReport answer{};
  std::copy_n(data, std::min(size, answer.size()), answer.begin());

  const std::string text = AnswerText(answer);
  FUZZ_CHECK(text.size() <= 58);
  FUZZ_CHECK(text.find('\0') == std::string::npos);
  FUZZ_CHECK(sameBytes(text, answer.data() + 6));
  FUZZ_CHECK(text.size() == 58 || answer[6 + text.size()] == 0);

  const SerialBytes serial = SerialFromAnswer(answer);
  FUZZ_CHECK(std::equal(serial.begin(), serial.begin() + 58, answer.begin() + 6));
  FUZZ_CHECK(std::all_of(serial.begin() + 58, serial.end(), [](std::uint8_t b) { return b == 0; }));
  FUZZ_CHECK(SerialText(serial) == text);

  // The write-back: a command report with the first 32 serial bytes and nothing after them.
  const HidReport write = BuildWriteSerialReport(serial);
  FUZZ_CHECK(write[0] == 0x01 && write[1] == 0x16);
  FUZZ_CHECK(write[2] == 0 && write[3] == 0 && write[4] == 0);
  FUZZ_CHECK(write[5] == kSerialWriteLength);
  FUZZ_CHECK(std::equal(serial.begin(), serial.begin() + kSerialWriteLength, write.begin() + 6));
  FUZZ_CHECK(std::all_of(write.begin() + 6 + kSerialWriteLength, write.end(),
                         [](std::uint8_t b) { return b == 0; }));
  FUZZ_CHECK(writtenText(write) == text.substr(0, kSerialWriteLength));

  // Serial bytes that do not come from an answer may fill all 64 bytes: the text still stops
  // at their end.
  SerialBytes raw{};
  if (size > answer.size()) {
    std::copy_n(data + answer.size(), std::min(size - answer.size(), raw.size()), raw.begin());
    const std::string rawText = SerialText(raw);
    FUZZ_CHECK(rawText.size() <= raw.size());
    FUZZ_CHECK(rawText.find('\0') == std::string::npos);
    FUZZ_CHECK(sameBytes(rawText, raw.data()));
  }
  return 0;
}
