// Command lines for the card's registry entry.
#include "registry_entry.h"

namespace {

const char DriverKey[] = "Drivers\\PCMCIA\\Modem";

std::vector<std::string> AddValue(const RegistrySetup &setup, const char *name,
                                  const std::string &data) {
    return {setup.wine, "reg", "add", ActiveKeyOf(setup), "/v", name, "/t", "REG_SZ",
            "/d",       data,  "/f"};
}

} // namespace

std::string ActiveKeyOf(const RegistrySetup &setup) {
    return "HKLM\\Drivers\\Active\\" + setup.entry;
}

std::vector<std::vector<std::string>> RegistryRemoval(const RegistrySetup &setup) {
    return {{setup.wine, "reg", "delete", ActiveKeyOf(setup), "/f"}};
}

std::vector<std::vector<std::string>> RegistryInsertion(const RegistrySetup &setup) {
    return {AddValue(setup, "Key", DriverKey), AddValue(setup, "Name", setup.port_name)};
}

std::vector<std::string> RegistryEnvironment(const RegistrySetup &setup) {
    return {"WINEPREFIX=" + setup.wineprefix, "WINEDEBUG=-all"};
}
