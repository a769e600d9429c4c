#pragma once

#include <QTemporaryDir>

#include <cstdint>
#include <memory>

namespace quillory {

namespace sim {
class VirtualPrinter;
}

// `quillory --demo`: a virtual VKLZ printer on a free loopback port inside the program and a
// private settings folder preset to it (network port 127.0.0.1, no wizard), so a new user sees a
// working tool at once and nothing of their own configuration is touched. The network search
// finds the demo printer too.
class CDemoMode {
public:
    CDemoMode();
    ~CDemoMode();
    CDemoMode(const CDemoMode&) = delete;
    CDemoMode& operator=(const CDemoMode&) = delete;

    // Starts the printer and prepares the settings; false (with a reason) when it cannot.
    bool Start(QString* error);
    [[nodiscard]] std::uint16_t PrinterPort() const { return m_port; }

private:
    QTemporaryDir m_folder;
    std::unique_ptr<sim::VirtualPrinter> m_printer;
    std::uint16_t m_port = 0;
};

} // namespace quillory
