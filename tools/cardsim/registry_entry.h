// The device manager's registry entry for the card, kept in step with insertion and removal
// by running `wine reg` in the terminal's prefix.
#pragma once

#include <string>
#include <vector>

struct RegistrySetup {
    std::string entry;      // NN under HKLM\Drivers\Active; empty when not kept
    std::string port_name;  // Name value, e.g. COM3:
    std::string wineprefix; // WINEPREFIX for the wine runs
    std::string wine;       // program to run, normally "wine"
};

// HKLM\Drivers\Active\NN
std::string ActiveKeyOf(const RegistrySetup &setup);

// Command lines that delete the entry, and that write its Key and Name values.
std::vector<std::vector<std::string>> RegistryRemoval(const RegistrySetup &setup);
std::vector<std::vector<std::string>> RegistryInsertion(const RegistrySetup &setup);

// Environment additions for the wine runs.
std::vector<std::string> RegistryEnvironment(const RegistrySetup &setup);
