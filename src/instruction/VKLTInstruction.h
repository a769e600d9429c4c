#pragma once

#include "instruction/WnInstruction.h"

namespace quillory {

// VKLT: upper-case word commands with comma-separated arguments and a few ESC '!' commands.
class CVKLTInstruction final : public CWnLanguage<VKLTSettings> {
public:
    CVKLTInstruction();
    int ReadSettings(tagPORTINFO port) override;
    int ApplySettings(tagPORTINFO port) override;
};

// The commands ApplySettings sends, one write each (11; 10 when the code page is off the list).
[[nodiscard]] std::vector<QByteArray> VkltApplyCommands(const VKLTSettings& settings);

} // namespace quillory
