#pragma once

#include "sim/VirtualPrinter.h"

#include <string>

// The texts of quillory-printer-sim's fault options, parsed into Faults. Each returns an empty
// string when the text was taken, otherwise what is wrong with it (faults untouched).
namespace quillory::sim {

// "MS" or "MS:JITTER": latencyMs and jitterMs.
[[nodiscard]] std::string ParseLatencyOption(const std::string& text, Faults& faults);
// "BYTES_PER_S" or "BYTES_PER_S:BURST": readRate and readBurst.
[[nodiscard]] std::string ParseReadRateOption(const std::string& text, Faults& faults);
// "MS@OFFSET": appends a stall.
[[nodiscard]] std::string ParseStallOption(const std::string& text, Faults& faults);
// "ADDR[,ADDR...]" in hexadecimal, each below wordCount: appends to ignoreWrites.
[[nodiscard]] std::string ParseIgnoreWritesOption(const std::string& text, int wordCount, Faults& faults);

} // namespace quillory::sim
