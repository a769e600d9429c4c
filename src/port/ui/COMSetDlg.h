#pragma once

#include "port/ui/PortSubPage.h"

#include <array>
#include <cstdint>

class QComboBox;

namespace quillory {

class CChoiceCombo;

// The bit rates of the baud list, by list position.
inline constexpr std::array<std::int32_t, 8> kBaudRates{2400, 4800, 9600, 19200, 38400, 56000, 57600, 115200};
// The data bits of the data-bit list, by list position.
inline constexpr std::array<std::int32_t, 2> kDataBits{7, 8};

// Position of a rate in the baud list, -1 for a rate it does not offer.
[[nodiscard]] int BaudPosition(std::int32_t baudRate);
// Rate of a baud-list position, 0 for no position.
[[nodiscard]] std::int32_t BaudRateAt(int position);

// Serial port sub-page: port name, bit rate, data bits, stop bits, parity and flow control.
// The names offered are those of the language file and the serial ports the system reports.
class CCOMSetDlg : public CPortSubPage {
    Q_OBJECT
public:
    enum ControlId : int {
        IDC_NAME = 1006,
        IDC_BAUD = 1007,
        IDC_DATA_BITS = 1008,
        IDC_STOP_BITS = 1009,
        IDC_PARITY = 1010,
        IDC_FLOW = 1011,
        IDC_NAME_LABEL = 1012,
        IDC_BAUD_LABEL = 1013,
        IDC_DATA_BITS_LABEL = 1014,
        IDC_STOP_BITS_LABEL = 1015,
        IDC_PARITY_LABEL = 1016,
        IDC_FLOW_LABEL = 1017,
    };

    explicit CCOMSetDlg(QWidget* parent = nullptr);

    [[nodiscard]] tagPORTINFO BuildPortInfo() const override;
    void ShowPortInfo(const tagPORTINFO& info) override;
    // Applying the texts again refills the lists; the operator's choices stay.
    void ApplyLanguage(int languageIndex) override;

protected:
    void TextsApplied(int languageIndex) override;

private:
    CChoiceCombo* m_name;
    QComboBox* m_baud;
    QComboBox* m_dataBits;
    QComboBox* m_stopBits;
    QComboBox* m_parity;
    QComboBox* m_flow;
};

} // namespace quillory
