#include "sim/FaultOptions.h"

#include <charconv>
#include <cstdio>
#include <optional>
#include <string_view>

namespace quillory::sim {
namespace {

constexpr qint64 kMaxMs = 3600 * 1000;
constexpr qint64 kMaxBytes = qint64(1) << 40;

// A whole decimal number in min..max, digits only.
std::optional<qint64> Number(std::string_view text, qint64 min, qint64 max, int base = 10) {
    if (text.empty())
        return std::nullopt;
    qint64 value = 0;
    const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value, base);
    if (error != std::errc() || end != text.data() + text.size() || text[0] == '-' || text[0] == '+')
        return std::nullopt;
    if (value < min || value > max)
        return std::nullopt;
    return value;
}

std::string Range(const char* what, qint64 min, qint64 max) {
    return std::string(what) + " must be a whole number from " + std::to_string(min) + " to " +
           std::to_string(max);
}

} // namespace

std::string ParseLatencyOption(const std::string& text, Faults& faults) {
    const std::string_view all(text);
    const std::size_t colon = all.find(':');
    const auto latency = Number(all.substr(0, colon), 0, kMaxMs);
    if (!latency)
        return "--latency " + text + ": " + Range("the latency in milliseconds", 0, kMaxMs);
    std::optional<qint64> jitter = 0;
    if (colon != std::string_view::npos) {
        jitter = Number(all.substr(colon + 1), 0, kMaxMs);
        if (!jitter)
            return "--latency " + text + ": " + Range("the jitter in milliseconds", 0, kMaxMs);
    }
    faults.latencyMs = int(*latency);
    faults.jitterMs = int(*jitter);
    return {};
}

std::string ParseReadRateOption(const std::string& text, Faults& faults) {
    const std::string_view all(text);
    const std::size_t colon = all.find(':');
    const auto rate = Number(all.substr(0, colon), 1, kMaxBytes);
    if (!rate)
        return "--read-rate " + text + ": " + Range("the rate in bytes per second", 1, kMaxBytes);
    std::optional<qint64> burst = 0;
    if (colon != std::string_view::npos) {
        burst = Number(all.substr(colon + 1), 1, kMaxBytes);
        if (!burst)
            return "--read-rate " + text + ": " + Range("the burst in bytes", 1, kMaxBytes);
    }
    faults.readRate = *rate;
    faults.readBurst = *burst;
    return {};
}

std::string ParseStallOption(const std::string& text, Faults& faults) {
    const std::string_view all(text);
    const std::size_t at = all.find('@');
    if (at == std::string_view::npos)
        return "--stall " + text + ": expected MS@OFFSET, e.g. 400@65536";
    const auto ms = Number(all.substr(0, at), 1, kMaxMs);
    if (!ms)
        return "--stall " + text + ": " + Range("the stall in milliseconds", 1, kMaxMs);
    const auto offset = Number(all.substr(at + 1), 0, kMaxBytes);
    if (!offset)
        return "--stall " + text + ": " + Range("the offset in bytes", 0, kMaxBytes);
    faults.stalls.push_back({int(*ms), *offset});
    return {};
}

std::string ParseIgnoreWritesOption(const std::string& text, int wordCount, Faults& faults) {
    std::vector<int> addresses;
    std::string_view rest(text);
    for (;;) {
        const std::size_t comma = rest.find(',');
        const std::string_view item = rest.substr(0, comma);
        const auto address = Number(item, 0, wordCount - 1, 16);
        if (!address || item.size() > 2) {
            char last[8];
            std::snprintf(last, sizeof last, "%02x", unsigned(wordCount - 1));
            return "--ignore-writes " + text + ": \"" + std::string(item) +
                   "\" is no EEPROM word address; give hexadecimal addresses from 00 to " + last +
                   ", separated by commas";
        }
        addresses.push_back(int(*address));
        if (comma == std::string_view::npos)
            break;
        rest.remove_prefix(comma + 1);
    }
    faults.ignoreWrites.insert(faults.ignoreWrites.end(), addresses.begin(), addresses.end());
    return {};
}

} // namespace quillory::sim
