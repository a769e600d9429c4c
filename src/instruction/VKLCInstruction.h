#pragma once

#include "instruction/WnInstruction.h"

namespace quillory {

// VKLC: "! U1" utility lines and "! U1 do" device actions.
class CVKLCInstruction final : public CWnLanguage<VKLCSettings> {
public:
    CVKLCInstruction();
    int ReadSettings(tagPORTINFO port) override;
    int ApplySettings(tagPORTINFO port) override;
};

// The five commands ApplySettings sends, one write each.
[[nodiscard]] std::vector<QByteArray> VklcApplyCommands(const VKLCSettings& settings);
// The "! U1 TONE" value of a darkness: -99 for 0, otherwise darkness times 10 minus 100.
[[nodiscard]] int VklcTone(int darkness);

} // namespace quillory
