#pragma once

#include "instruction/InstructionProtocol.h"
#include "port/PortInfo.h"

#include <QByteArray>
#include <QString>

#include <array>
#include <optional>

namespace quillory {

// The one-click service actions of the tools page, in the order of the instruction interface.
enum MaintenanceOperation : int {
    MAINT_SELF_TEST,
    MAINT_FONT_LIST,
    MAINT_GRAPHIC_LIST,
    MAINT_FORM_LIST,
    MAINT_FEED,
    MAINT_CALIBRATE,
    MAINT_FACTORY_RESET,
    MAINT_RESTART,
    MAINT_DUMP_ON,
    MAINT_DUMP_OFF,
    MAINT_AUTO_OFF,
};
inline constexpr int kMaintenanceCount = 11;

struct MaintenanceRow {
    MaintenanceOperation operation;
    int (CInstructionProtocol::*run)(tagPORTINFO);
    // Whether a printer of the language offers it: VKLZ, VKLE, VKLT, VKLA, VKLC.
    std::array<bool, 5> offered;
    // Whether the language's operation reads a reply (VKLA prints its lists from one), so it
    // cannot run on a port that only sends.
    std::array<bool, 5> needsReply = {};
};

[[nodiscard]] const std::array<MaintenanceRow, kMaintenanceCount>& MaintenanceTable();

// Whether the tools page offers operation for a command-language index; an index outside 0..4
// counts as VKLC.
[[nodiscard]] bool MaintenanceOffered(int operation, int instructionIndex);

// Whether the operation of a language needs the printer's reply (an index outside 0..4 counts as
// VKLC).
[[nodiscard]] bool MaintenanceNeedsReply(int operation, int instructionIndex);

// Creates an instruction object of the language (VKLC for an index outside 0..4, as the page
// treats it), runs the operation once and returns its code. An operation outside the table
// returns 2 (bad parameter) without touching the port.
[[nodiscard]] int RunMaintenance(int operation, int instructionIndex, const tagPORTINFO& port);

// The test labels, in the order the page lists them.
inline constexpr std::array<const char*, 11> kTestLabels{
    "Print_Text",     "Print_Image", "Print_Line",   "Print_Rect",   "Print_Code 39", "Print_Code 93",
    "Print_Code 128", "Print_EAN 8", "Print_EAN 13", "Print_PDF417", "Print_QR",
};

// Folder of a language's sample labels: VKLZ, VKLE, VKLT, VKLA, and VKLC for any other index.
[[nodiscard]] QString SampleFolderName(int instructionIndex);
// The sample file of a test label: Sample/<language folder>/<label>.dat among the resources.
[[nodiscard]] QString SampleFilePath(const QString& label, int instructionIndex);

// Sample files are small labels; anything larger than this is not read.
inline constexpr qint64 kMaxSampleFileBytes = 16LL * 1024 * 1024;

// The whole content of a sample file, or nothing when it is missing, unreadable or too large.
[[nodiscard]] std::optional<QByteArray> ReadSampleFile(const QString& path);

// Sends a test label: Open, SetTimeouts(30, 30), the whole content in one write, Close.
// 0 or the communication error code.
[[nodiscard]] int SendTestLabel(const QByteArray& content, const tagPORTINFO& port);

} // namespace quillory
