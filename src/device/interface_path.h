#pragma once

#include <optional>
#include <string>
#include <string_view>

// The texts discovery reads from an interface path, and how it compares them. VID and PID are
// kept as texts ("0x" and four hex digits) and never turned into numbers.

// "0x" and the (up to) four characters after the first occurrence of `key` ("vid_", "pid_"),
// searched case-sensitively; nullopt when the path has no `key`.
std::optional<std::string> IdTextAfter(std::string_view path, std::string_view key);

// Whole-text comparison that ignores the case of ASCII letters only.
bool SameIdText(std::string_view a, std::string_view b);

// The interface's VID and PID texts both equal the given ones (see SameIdText); a path
// without "vid_" or "pid_" never matches.
bool PathHasIds(std::string_view path, std::string_view vidText, std::string_view pidText);
