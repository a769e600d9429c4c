#pragma once

#include "instruction/VKLAInstruction.h"
#include "instruction/VKLCInstruction.h"
#include "instruction/VKLEInstruction.h"
#include "instruction/VKLTInstruction.h"
#include "instruction/VKLZInstruction.h"
#include "settings/ui/PrinterSetScreen.h"

namespace quillory {

// The print-settings screens of the five command languages, hosted on page 1.

class CVKLZPrinterSetDlg final : public CTypedPrinterSetScreen<CVKLZInstruction, VKLZSettings> {
    Q_OBJECT
public:
    explicit CVKLZPrinterSetDlg(QWidget* parent = nullptr);
};

class CVKLEPrinterSetDlg final : public CTypedPrinterSetScreen<CVKLEInstruction, VKLESettings> {
    Q_OBJECT
public:
    explicit CVKLEPrinterSetDlg(QWidget* parent = nullptr);
};

class CVKLTPrinterSetDlg final : public CTypedPrinterSetScreen<CVKLTInstruction, VKLTSettings> {
    Q_OBJECT
public:
    explicit CVKLTPrinterSetDlg(QWidget* parent = nullptr);
};

class CVKLAPrinterSetDlg final : public CTypedPrinterSetScreen<CVKLAInstruction, VKLASettings> {
    Q_OBJECT
public:
    explicit CVKLAPrinterSetDlg(QWidget* parent = nullptr);
};

class CVKLCPrinterSetDlg final : public CTypedPrinterSetScreen<CVKLCInstruction, VKLCSettings> {
    Q_OBJECT
public:
    explicit CVKLCPrinterSetDlg(QWidget* parent = nullptr);
};

} // namespace quillory
