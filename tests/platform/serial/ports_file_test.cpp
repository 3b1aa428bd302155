#include "platform/serial/ports_file.h"

#include "platform/serial/port_map.h"
#include "serial_test_support.h"
#include "store/store_error.h"

#include <gtest/gtest.h>

#include <sys/stat.h>

namespace tolvane::platform {
namespace {

using testing::TempFolder;

TEST(PortsFile, SettingAPortRewritesOnlyItsLastLineAndKeepsEveryOtherLineAsItWas)
{
    const std::string foreign = "# front desk modems\r\n"
                                "COMM1=/dev/ttyS0\r\n"
                                "this line means nothing\r\n"
                                "COMM2 = network\r\n"
                                "DIAL 5550142=paging.example.com:444\r\n"
                                "COMM3=\r\n"
                                " comm1 = /dev/ttyUSB9 \r\n"
                                "\r\n";
    PortsFile file(foreign);
    EXPECT_EQ(file.device(1), "/dev/ttyUSB9");
    EXPECT_EQ(file.device(2), "network");
    EXPECT_EQ(file.device(3), std::nullopt);

    file.setDevice(1, " /dev/ttyACM0 ");
    file.setDevice(3, "/dev/ttyS2");
    EXPECT_EQ(file.text(),
        "# front desk modems\r\n"
        "COMM1=/dev/ttyS0\r\n"
        "this line means nothing\r\n"
        "COMM2 = network\r\n"
        "DIAL 5550142=paging.example.com:444\r\n"
        "COMM3=\r\n"
        "COMM1=/dev/ttyACM0\r\n"
        "\r\n"
        "COMM3=/dev/ttyS2\r\n");

    PortsFile unfinished("COMM2=/dev/ttyS1");
    unfinished.setDevice(4, "/dev/ttyUSB0");
    EXPECT_EQ(unfinished.text(), "COMM2=/dev/ttyS1\nCOMM4=/dev/ttyUSB0\n");

    for (const auto& [port, device] : std::vector<std::pair<int, std::string>> {
             { 0, "/dev/ttyS0" }, { 5, "/dev/ttyS0" }, { 1, "  " }, { 1, "/dev/a\nCOMM2=/dev/b" } })
        EXPECT_THROW(file.setDevice(port, device), std::invalid_argument) << port << device;
}

TEST(PortsFile, SavingReplacesTheFileWholeForThePortMapsNextLookUp)
{
    TempFolder folder;
    const auto path = folder.path() / "PORTS.DAT";
    EXPECT_EQ(PortsFile::load(path).text(), "");
    folder.write("PORTS.DAT", "# kept\nCOMM2=/dev/ttyS1\n");
    ::chmod(path.c_str(), 0640);
    const PortMap map(path);

    auto file = PortsFile::load(path);
    file.setDevice(2, "/dev/ttyUSB3");
    file.save(path);

    EXPECT_EQ(folder.read("PORTS.DAT"), "# kept\nCOMM2=/dev/ttyUSB3\n");
    EXPECT_EQ(map.devicePath(2), "/dev/ttyUSB3");
    struct stat info { };
    ASSERT_EQ(::stat(path.c_str(), &info), 0);
    EXPECT_EQ(info.st_mode & 0777, 0640u);
    // Nothing but the file itself is left in the folder.
    EXPECT_EQ(std::distance(std::filesystem::directory_iterator(folder.path()), {}), 1);

    EXPECT_THROW(file.save(folder.path() / "missing" / "PORTS.DAT"), store::StoreError);
}

} // namespace
} // namespace tolvane::platform
