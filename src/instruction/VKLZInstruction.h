#pragma once

#include "instruction/WnInstruction.h"

namespace quillory {

// VKLZ: label formats from "^XA" to "^XZ", format commands with '^', control commands with '~'.
class CVKLZInstruction final : public CWnLanguage<VKLZSettings> {
public:
    CVKLZInstruction();
    int ReadSettings(tagPORTINFO port) override;
    int ApplySettings(tagPORTINFO port) override;
};

// The commands ApplySettings sends, one write each (15, or 16 with the clock).
[[nodiscard]] std::vector<QByteArray> VklzApplyCommands(const VKLZSettings& settings);

} // namespace quillory
