#include "port/PortChoice.h"

#include "FakePort.h"

#include <gtest/gtest.h>

#include <cstring>

using namespace quillory;
using namespace quillory::test;

TEST(AtList, PiecesEndAtEachAtAndTheRestIsNoName) {
    const auto split = [](const QByteArray& text, int capacity = 1024) {
        QByteArray buffer(1024, '\0');
        std::memcpy(buffer.data(), text.constData(), std::size_t(text.size()));
        return SplitAtList(buffer.constData(), capacity);
    };
    EXPECT_EQ(split("A@B@C"), QStringList({"A", "B"}));
    EXPECT_EQ(split("192.168.0.7@10.0.0.2@"), QStringList({"192.168.0.7", "10.0.0.2"}));
    EXPECT_EQ(split("@@Model X@"), QStringList({"Model X"}));
    EXPECT_EQ(split(""), QStringList());
    EXPECT_EQ(split("no terminator"), QStringList());
    // A buffer without a zero byte is read no further than its capacity.
    EXPECT_EQ(split("A@B@C@", 4), QStringList({"A", "B"}));
    EXPECT_EQ(SplitAtList(nullptr, 10), QStringList());
}

TEST(UsbListing, ClassPrintersComeFirst) {
    FakePortScope fake;
    fake.world->usbClassNames = {"QL-200", "QL-300"};
    fake.world->usbApiCount = 2;
    UsbListing listing = ListUsbPrinters();
    EXPECT_EQ(listing.items, QStringList({"QL-200", "QL-300"}));
    EXPECT_EQ(listing.mode, UsbListMode::UsbClass);
    EXPECT_FALSE(fake.world->Calls().contains("count"))
        << "USB-API printers are asked for only when no class printer is";

    fake.world->usbClassNames.clear();
    listing = ListUsbPrinters();
    EXPECT_EQ(listing.items, QStringList({"QXUSB-1", "QXUSB-2"}));
    EXPECT_EQ(listing.mode, UsbListMode::UsbApi);

    fake.world->usbError = COMM_UNAVAILABLE;
    listing = ListUsbPrinters();
    EXPECT_TRUE(listing.items.isEmpty());
}

TEST(PortProof, OpensAndClosesOnceAndReportsTheCodeOfAFailure) {
    FakePortScope fake;
    tagPORTINFO net = MakePortInfo(PORT_NET);
    EXPECT_EQ(ProvePort(net), 0);
    EXPECT_EQ(fake.world->Calls().value(0), "open 7");
    EXPECT_EQ(fake.world->Calls().count("open 7"), 1);
    EXPECT_TRUE(fake.world->Calls().contains("close"));

    fake.world->calls.clear();
    fake.world->openError = COMM_OPEN_FAILED;
    EXPECT_EQ(ProvePort(net), COMM_OPEN_FAILED);
    EXPECT_TRUE(fake.world->Calls().endsWith("close")) << "a port that failed to open is released too";
}
