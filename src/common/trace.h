#pragma once

#include <functional>
#include <string_view>

// Progress and decision traces. They are for whoever watches the program run (a developer,
// a support engineer): they change nothing, and by default go to standard error.
// Callable from any thread; lines from two threads never interleave.
namespace trace {

using Sink = std::function<void(std::string_view line)>;

// Writes the text as given (callers put their own line ending in it).
void write(std::string_view text);

// Replaces the sink and returns the previous one; an empty sink restores standard error.
Sink setSink(Sink sink);

}  // namespace trace
