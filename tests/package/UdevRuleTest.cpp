// What the udev rule opens up: printers for the user at the local seat, nothing else.
#include <QFile>
#include <QRegularExpression>
#include <QStringList>

#include <fnmatch.h>
#include <gtest/gtest.h>

namespace {

struct Rule {
    QString text;
    QList<std::pair<QString, QString>> equal;    // KEY=="pattern"
    QList<std::pair<QString, QString>> notEqual; // KEY!="pattern"
};

// The rules of the file, one per logical line, with their match conditions.
QList<Rule> ReadRules() {
    QFile file(QStringLiteral(QUILLORY_TEST_SOURCE_DIR "/resources/udev/60-quillory.rules"));
    EXPECT_TRUE(file.open(QIODevice::ReadOnly));
    QList<Rule> rules;
    const QRegularExpression condition(QStringLiteral("([A-Z_]+(?:\\{[A-Za-z_]+\\})?)(==|!=)\"([^\"]*)\""));
    for (const QString& line : QString::fromUtf8(file.readAll()).split(QLatin1Char('\n'))) {
        if (line.trimmed().isEmpty() || line.trimmed().startsWith(QLatin1Char('#')))
            continue;
        Rule rule{line, {}, {}};
        for (auto it = condition.globalMatch(line); it.hasNext();) {
            const QRegularExpressionMatch match = it.next();
            (match.captured(2) == QLatin1String("==") ? rule.equal : rule.notEqual)
                .append({match.captured(1), match.captured(3)});
        }
        rules.append(rule);
    }
    return rules;
}

bool Matches(const QString& pattern, const QString& value) {
    return ::fnmatch(pattern.toUtf8().constData(), value.toUtf8().constData(), 0) == 0;
}

// Whether a device with these properties gets the "uaccess" tag from some rule.
bool GetsAccess(const QList<Rule>& rules, const QMap<QString, QString>& device) {
    for (const Rule& rule : rules) {
        bool all = true;
        for (const auto& [key, pattern] : rule.equal)
            all = all && device.contains(key) && Matches(pattern, device.value(key));
        for (const auto& [key, pattern] : rule.notEqual)
            all = all && !(device.contains(key) && Matches(pattern, device.value(key)));
        if (all && rule.text.contains(QLatin1String("TAG+=\"uaccess\"")))
            return true;
    }
    return false;
}

QMap<QString, QString> UsbDevice(const QString& interfaces) {
    return {{"SUBSYSTEM", "usb"}, {"ENV{DEVTYPE}", "usb_device"}, {"ENV{ID_USB_INTERFACES}", interfaces}};
}

} // namespace

TEST(UdevRule, OpensPrintersToTheLocalUserAndNothingElse) {
    const QList<Rule> rules = ReadRules();
    ASSERT_FALSE(rules.isEmpty());
    for (const Rule& rule : rules) {
        // No group, no mode: the tag alone, which logind turns into an ACL for the seat's user.
        EXPECT_FALSE(rule.text.contains(QLatin1String("GROUP=")) ||
                     rule.text.contains(QLatin1String("MODE=")))
            << rule.text.toStdString();
    }
    // The kernel printer driver's node reaches only the printer function of a device.
    EXPECT_TRUE(GetsAccess(rules, {{"SUBSYSTEM", "usbmisc"}, {"KERNEL", "lp0"}}));
    EXPECT_TRUE(GetsAccess(rules, {{"SUBSYSTEM", "usbmisc"}, {"KERNEL", "lp12"}}));
    EXPECT_FALSE(GetsAccess(rules, {{"SUBSYSTEM", "usbmisc"}, {"KERNEL", "hiddev0"}}));

    // The whole device node: printers whose every interface is a printer ...
    EXPECT_TRUE(GetsAccess(rules, UsbDevice(":070102:")));
    EXPECT_TRUE(GetsAccess(rules, UsbDevice(":070101:070104:")));
    // ... not a multifunction device (scanner 0xff, card reader 0x08, fax 0x02 ...) nor anything
    // without a printer interface.
    for (const char* interfaces : {":070102:ff0000:", ":080650:070102:", ":070102:020200:0a0000:", ":0e0100:",
                                   ":030101:", ":ff0101:070102:", ":060101:070102:", ":090000:"})
        EXPECT_FALSE(GetsAccess(rules, UsbDevice(QLatin1String(interfaces)))) << interfaces;
    // An interface (not the device) and other subsystems get nothing.
    EXPECT_FALSE(GetsAccess(
        rules,
        {{"SUBSYSTEM", "usb"}, {"ENV{DEVTYPE}", "usb_interface"}, {"ENV{ID_USB_INTERFACES}", ":070102:"}}));
    EXPECT_FALSE(GetsAccess(rules, {{"SUBSYSTEM", "tty"}, {"KERNEL", "ttyUSB0"}}));
}
