#pragma once

#include "instruction/WnInstruction.h"

namespace quillory {

// VKLE: one- or two-letter line commands with comma-separated decimal arguments.
class CVKLEInstruction final : public CWnLanguage<VKLESettings> {
public:
    CVKLEInstruction();
    int ReadSettings(tagPORTINFO port) override;
    int ApplySettings(tagPORTINFO port) override;
};

// The commands ApplySettings sends, one write each (7 to 9: the code page only for 0..19, the clock
// only when set).
[[nodiscard]] std::vector<QByteArray> VkleApplyCommands(const VKLESettings& settings);
// Code-page position from the high byte at 53: 0..13 stand for themselves, anything else is 19.
[[nodiscard]] int VkleCodePagePosition(unsigned value);

} // namespace quillory
