#pragma once

#include <QString>
#include <QStringList>

namespace quillory {

// The two tools of the product family that live beside the program folder.
enum class SiblingTool {
    FontTool,   // fonts and graphics
    StatusTool, // status monitor
};

// Executables to try, in order: <parent of the program folder>/GlyphPusher/GlyphPusher (or
// StateWatch/State Watch), then the same name with ".exe".
[[nodiscard]] QStringList SiblingToolCandidates(SiblingTool tool);

// The first candidate that is an executable file; empty when the tool is not installed.
[[nodiscard]] QString FindSiblingTool(SiblingTool tool);

// Starts the first candidate that exists, detached and without a shell, with portString as its
// one argument (commas and spaces reach it unchanged). Returns whether one was started.
bool StartSiblingTool(SiblingTool tool, const QString& portString);

} // namespace quillory
