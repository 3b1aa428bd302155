#include "platform/serial/port_map.h"

#include "platform/serial/ports_file.h"
#include "serial_test_support.h"
#include "store/data_folder.h"
#include "store/store_error.h"

#include <gtest/gtest.h>

namespace tolvane::platform {
namespace {

using testing::errorNumberOf;
using testing::TempFolder;

TEST(PortMap, WithoutAFileThePortsAreTheStandardSerialDevicesAndOthersAreInvalid)
{
    TempFolder folder;
    const PortMap map = PortMap::inProgramFolder(store::DataFolder(folder.path()));
    EXPECT_EQ(map.portsFile(), folder.path() / "PORTS.DAT");
    const char* const standard[] = { "/dev/ttyS0", "/dev/ttyS1", "/dev/ttyS2", "/dev/ttyS3" };
    for (int port = 1; port <= 4; ++port)
        EXPECT_EQ(map.devicePath(port), standard[port - 1]) << port;
    EXPECT_EQ(PortMap().devicePath(1), "/dev/ttyS0");

    for (int port : { 0, 5, -1, 9 })
        EXPECT_EQ(errorNumberOf([&] { map.devicePath(port); }), 8002) << port;
    PortMap overridden;
    EXPECT_EQ(errorNumberOf([&] { overridden.setOverride(0, "/dev/pts/1"); }), 8002);
}

TEST(PortMap, ReadsEitherLineEndAndBlanksAroundThePartsAndTheLastLineForAPortWins)
{
    using Devices = PortMap::Devices;
    const auto parsed = &PortMap::parse;
    EXPECT_EQ(parsed("COMM1=/dev/ttyUSB0\nCOMM3=/dev/ttyACM0\n"),
        (Devices { "/dev/ttyUSB0", std::nullopt, "/dev/ttyACM0", std::nullopt }));
    EXPECT_EQ(parsed("COMM2=/dev/ttyUSB1\r\nCOMM4=/dev/ttyS7\r\n"),
        (Devices { std::nullopt, "/dev/ttyUSB1", std::nullopt, "/dev/ttyS7" }));
    EXPECT_EQ(parsed("  COMM1 =  /dev/serial/by-id/usb modem \t\r\n\tcomm2=/dev/ttyS5"),
        (Devices { "/dev/serial/by-id/usb modem", "/dev/ttyS5", std::nullopt, std::nullopt }));
    EXPECT_EQ(parsed("# modems of the front desk\n"
                     "COMM1=/dev/ttyUSB0\n"
                     "COMM5=/dev/ttyUSB5\n"
                     "COMM=/dev/ttyUSB9\n"
                     "COMM12=/dev/ttyUSB9\n"
                     "PORT2=/dev/ttyUSB9\n"
                     "COMM2\n"
                     "COMM3=\n"
                     "\n"
                     "COMM1=/dev/ttyUSB1\n"),
        (Devices { "/dev/ttyUSB1", std::nullopt, std::nullopt, std::nullopt }));
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
    EXPECT_EQ(map.devicePath(2), "/dev/pts/7");
    EXPECT_EQ(map.devicePath(1), "/dev/ttyS0");

    // A folder in its place is named, not read ("Error # 51 ... basic_filebuf::underflow" before).
    std::filesystem::remove(folder.path() / "PORTS.DAT");
    std::filesystem::create_directory(folder.path() / "PORTS.DAT");
    for (const auto& read :
        std::vector<std::function<void()>> { [&] { map.devicePath(1); }, [&] { PortsFile::load(map.portsFile()); } }) {
        try {
            read();
            ADD_FAILURE() << "a folder read as PORTS.DAT";
        } catch (const store::StoreError& error) {
            EXPECT_EQ(error.what(), (folder.path() / "PORTS.DAT").string() + " is a folder, not a data file");
        }
    }
}

} // namespace
} // namespace tolvane::platform
