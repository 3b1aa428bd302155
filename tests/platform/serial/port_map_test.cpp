#include "platform/serial/port_map.h"

#include "engine/serial_line.h"
#include "serial_test_support.h"
#include "store/data_folder.h"

#include <gtest/gtest.h>

namespace tolvane::platform {
namespace {

using testing::TempFolder;

int errorNumberOf(const std::function<void()>& action)
{
    try {
        action();
    } catch (const engine::SerialError& error) {
        return error.number();
    }
    return 0;
}

TEST(PortMap, WithoutAFileThePortsAreTheStandardSerialDevices)
{
    TempFolder folder;
    const PortMap map = PortMap::inProgramFolder(store::DataFolder(folder.path()));
    EXPECT_EQ(map.portsFile(), folder.path() / "PORTS.DAT");
    EXPECT_EQ(map.devicePath(1), "/dev/ttyS0");
    EXPECT_EQ(map.devicePath(2), "/dev/ttyS1");
    EXPECT_EQ(map.devicePath(3), "/dev/ttyS2");
    EXPECT_EQ(map.devicePath(4), "/dev/ttyS3");
    EXPECT_EQ(PortMap().devicePath(1), "/dev/ttyS0");
}

TEST(PortMap, PortsOutsideOneToFourAreInvalidPortNumbers)
{
    const PortMap map;
    for (int port : { 0, 5, -1, 9 })
        EXPECT_EQ(errorNumberOf([&] { map.devicePath(port); }), 8002) << port;
    PortMap overridden;
    EXPECT_EQ(errorNumberOf([&] { overridden.setOverride(0, "/dev/pts/1"); }), 8002);
}

TEST(PortMap, ReadsLinesWithEitherLineEndAndBlanksAroundTheParts)
{
    const auto lf = PortMap::parse("COMM1=/dev/ttyUSB0\nCOMM3=/dev/ttyACM0\n");
    EXPECT_EQ(lf[0], "/dev/ttyUSB0");
    EXPECT_FALSE(lf[1].has_value());
    EXPECT_EQ(lf[2], "/dev/ttyACM0");
    EXPECT_FALSE(lf[3].has_value());

    const auto crLf = PortMap::parse("COMM2=/dev/ttyUSB1\r\nCOMM4=/dev/ttyS7\r\n");
    EXPECT_EQ(crLf[1], "/dev/ttyUSB1");
    EXPECT_EQ(crLf[3], "/dev/ttyS7");

    const auto blanks = PortMap::parse("  COMM1 =  /dev/serial/by-id/usb modem \t\r\n\tcomm2=/dev/ttyS5");
    EXPECT_EQ(blanks[0], "/dev/serial/by-id/usb modem");
    EXPECT_EQ(blanks[1], "/dev/ttyS5");
}

TEST(PortMap, TheLastLineForAPortWinsAndOtherLinesAreIgnored)
{
    const auto devices = PortMap::parse("# modems of the front desk\n"
                                        "COMM1=/dev/ttyUSB0\n"
                                        "COMM5=/dev/ttyUSB5\n"
                                        "COMM=/dev/ttyUSB9\n"
                                        "COMM12=/dev/ttyUSB9\n"
                                        "PORT2=/dev/ttyUSB9\n"
                                        "COMM2\n"
                                        "COMM3=\n"
                                        "\n"
                                        "COMM1=/dev/ttyUSB1\n");
    EXPECT_EQ(devices[0], "/dev/ttyUSB1");
    EXPECT_FALSE(devices[1].has_value());
    EXPECT_FALSE(devices[2].has_value());
    EXPECT_FALSE(devices[3].has_value());
}

TEST(PortMap, TheFileIsReadAtEveryLookUpAndOverridesComeFirst)
{
    TempFolder folder;
    PortMap map(folder.path() / "PORTS.DAT");
    folder.write("PORTS.DAT", "COMM2=/dev/ttyUSB0\r\n");
    EXPECT_EQ(map.devicePath(2), "/dev/ttyUSB0");
    EXPECT_EQ(map.devicePath(1), "/dev/ttyS0");

    folder.write("PORTS.DAT", "COMM2=/dev/ttyUSB3\n");
    EXPECT_EQ(map.devicePath(2), "/dev/ttyUSB3");

    map.setOverride(2, "/dev/pts/7");
    map.setOverride(1, "/dev/pts/6");
    EXPECT_EQ(map.devicePath(2), "/dev/pts/7");
    EXPECT_EQ(map.devicePath(1), "/dev/pts/6");
    map.clearOverride(2);
    EXPECT_EQ(map.devicePath(2), "/dev/ttyUSB3");
}

TEST(PortMap, StoringADeviceReplacesOnlyThatPortsLastLine)
{
    TempFolder folder;
    const PortMap map(folder.path() / "PORTS.DAT");
    const std::string before
        = "; front desk\r\nCOMM1=/dev/ttyUSB0\r\nCOMM2 = /dev/ttyS1\r\nCOMM1=/dev/ttyUSB1\r\nnotes\r\n";
    folder.write("PORTS.DAT", before);

    map.storeDevice(1, "/dev/ttyACM0");
    EXPECT_EQ(folder.read("PORTS.DAT"),
        "; front desk\r\nCOMM1=/dev/ttyUSB0\r\nCOMM2 = /dev/ttyS1\r\nCOMM1=/dev/ttyACM0\r\nnotes\r\n");

    map.storeDevice(4, "/dev/ttyUSB4");
    EXPECT_EQ(folder.read("PORTS.DAT"),
        "; front desk\r\nCOMM1=/dev/ttyUSB0\r\nCOMM2 = "
        "/dev/ttyS1\r\nCOMM1=/dev/ttyACM0\r\nnotes\r\nCOMM4=/dev/ttyUSB4\r\n");
    EXPECT_EQ(map.devicePath(1), "/dev/ttyACM0");
    EXPECT_EQ(map.devicePath(2), "/dev/ttyS1");
    EXPECT_EQ(map.devicePath(4), "/dev/ttyUSB4");
    EXPECT_FALSE(std::filesystem::exists(folder.path() / "PORTS.DAT.new"));
}

TEST(PortMap, StoringCreatesTheFileOrEndsAnUnfinishedLastLine)
{
    TempFolder folder;
    const PortMap map(folder.path() / "PORTS.DAT");
    map.storeDevice(3, "/dev/ttyUSB2");
    EXPECT_EQ(folder.read("PORTS.DAT"), "COMM3=/dev/ttyUSB2\n");

    folder.write("PORTS.DAT", "COMM1=/dev/ttyUSB0");
    map.storeDevice(2, "/dev/ttyUSB1");
    EXPECT_EQ(folder.read("PORTS.DAT"), "COMM1=/dev/ttyUSB0\nCOMM2=/dev/ttyUSB1\n");
}

TEST(PortMap, StoringRefusesDevicesThatWouldBreakTheFile)
{
    TempFolder folder;
    const PortMap map(folder.path() / "PORTS.DAT");
    folder.write("PORTS.DAT", "COMM1=/dev/ttyUSB0\n");
    EXPECT_THROW(map.storeDevice(1, ""), std::invalid_argument);
    EXPECT_THROW(map.storeDevice(1, "   "), std::invalid_argument);
    EXPECT_THROW(map.storeDevice(1, "/dev/ttyS0\nCOMM2=/dev/evil"), std::invalid_argument);
    EXPECT_EQ(errorNumberOf([&] { map.storeDevice(5, "/dev/ttyS4"); }), 8002);
    EXPECT_THROW(PortMap().storeDevice(1, "/dev/ttyS0"), std::invalid_argument);
    EXPECT_EQ(folder.read("PORTS.DAT"), "COMM1=/dev/ttyUSB0\n");
}

} // namespace
} // namespace tolvane::platform
