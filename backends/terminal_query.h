// Asking the terminal how it draws pictures: kFigureProtocolQuery written,
// the replies read back for at most kFigureProtocolWait, and every other
// byte that arrived meanwhile (the user's keys and clicks) handed back in
// order, for the input decoder to take before anything read later.
#pragma once
#include <chrono>
#include <string>

#include "screen/figure_protocol.h"

namespace pentrill {

struct TerminalAnswer {
  TerminalReplies replies;
  std::string userBytes;
  bool timedOut = false;  // no device attributes reply within the wait
};

// Writes the query to `output` and reads `input` (the terminal's file
// descriptors, in raw mode) until the device attributes reply comes or the
// wait has passed, sleeping in poll() meanwhile. A reply begun but cut off
// by the end of the wait is given back with the user's bytes.
TerminalAnswer askTerminal(int input, int output, std::chrono::milliseconds wait = kFigureProtocolWait);

}  // namespace pentrill
