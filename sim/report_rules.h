#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>

#include "device/hid_device.h"

// The simulated bootloader's reading of one report, kept apart from what the keyboard then
// does with it: a pure function, so that it can be driven with any bytes at all (the fuzz
// targets do) and still say exactly what the keyboard would refuse, and why.
namespace sim {

// "0x3F": how the keyboard names a byte in what it records.
std::string byteText(std::uint8_t value);

// Bytes [from, to) of the report are all zero.
bool allZero(const HidReport& report, std::size_t from, std::size_t to);

struct BootloaderVerdict {
  enum class Kind {
    DataPacket,  // taken: its payload goes to the flash and it is acknowledged
    EndOfImage,  // a well-formed end report; whether the transfer is complete is the keyboard's
    Refused,     // answered with status 3 and recorded
    Recorded,    // recorded only: the end report is never answered, not even a bad one
  };
  Kind kind = Kind::Refused;
  // The index of an image packet, taken or refused for what it carries; unset for the end
  // report and for reports refused before their index is read. Packet 0 starts a transfer
  // afresh even when it is then refused, so the keyboard needs to see it either way.
  std::optional<int> packet;
  int payloadLength = 0;
  std::uint8_t firstFiller = 0;
  std::uint8_t secondFiller = 0;
  bool clearPairing = false;  // packet 0 carries the marker instead of fillers
  std::string violation;      // what is recorded when the report is refused or recorded
};

// Judges a report written to the bootloader when `nextPacket` is the packet it expects (packet 0
// is always welcome: it restarts the transfer).
BootloaderVerdict JudgeBootloaderReport(const HidReport& report, int nextPacket);

}  // namespace sim
