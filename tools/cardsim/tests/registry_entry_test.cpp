// Command lines for the device manager's registry entry.
#include <gtest/gtest.h>

#include "registry_entry.h"

namespace {

TEST(RegistryEntry, CommandLines) {
    RegistrySetup setup{"05", "COM3:", "/tmp/prefix", "wine"};
    using Lines = std::vector<std::vector<std::string>>;
    EXPECT_EQ(RegistryRemoval(setup),
              (Lines{{"wine", "reg", "delete", "HKLM\\Drivers\\Active\\05", "/f"}}));
    EXPECT_EQ(RegistryInsertion(setup),
              (Lines{{"wine", "reg", "add", "HKLM\\Drivers\\Active\\05", "/v", "Key", "/t",
                      "REG_SZ", "/d", "Drivers\\PCMCIA\\Modem", "/f"},
                     {"wine", "reg", "add", "HKLM\\Drivers\\Active\\05", "/v", "Name", "/t",
                      "REG_SZ", "/d", "COM3:", "/f"}}));
    EXPECT_EQ(RegistryEnvironment(setup),
              (std::vector<std::string>{"WINEPREFIX=/tmp/prefix", "WINEDEBUG=-all"}));
}

} // namespace
