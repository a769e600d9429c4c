#pragma once

#include <QFrame>
#include <QString>

#include <array>
#include <cstdint>

class QLineEdit;

namespace quillory {

// An IPv4 address typed as four fields of 0 to 255 between fixed dots. An empty field counts
// as 0, so the field always holds an address. Typing a dot or a third digit moves on to the next
// field; Backspace in an empty field moves back.
class CIpAddressEdit : public QFrame {
    Q_OBJECT
public:
    using Address = std::array<std::uint8_t, 4>;

    explicit CIpAddressEdit(QWidget* parent = nullptr);

    [[nodiscard]] Address GetAddress() const;
    void SetAddress(const Address& address);
    // "a.b.c.d"; empty fields show as 0.
    [[nodiscard]] QString Text() const;

    // The field of one part (0..3), for tests that type into it.
    [[nodiscard]] QLineEdit* Part(int index) const { return m_parts[std::size_t(index)]; }

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;
    void changeEvent(QEvent* event) override;

private:
    std::array<QLineEdit*, 4> m_parts{};
};

} // namespace quillory
