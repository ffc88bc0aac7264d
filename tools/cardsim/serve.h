// `cardsim serve`: the card behind its port, the control socket and the scenario, in one loop.
#pragma once

#include <string>

#include "registry_entry.h"

struct ServeOptions {
    std::string link;
    std::string control;
    std::string transcript;
    std::string scenario;
    RegistrySetup registry;
};

// Runs until `quit`, SIGINT or SIGTERM; returns the process exit code.
int Serve(const ServeOptions &options);
