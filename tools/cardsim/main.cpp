// cardsim: a PHS data card behind a pseudo-terminal, for running the tools under Wine.
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "control_command.h"
#include "control_socket.h"
#include "serve.h"

namespace {

const char Usage[] =
    "usage:\n"
    "  cardsim serve --link PATH [--control PATH] [--transcript PATH] [--scenario FILE]\n"
    "                [--registry-entry NN --wineprefix DIR [--port-name COM3:] [--wine PROG]]\n"
    "  cardsim ctl --control PATH [--timeout SECONDS] COMMAND [WORD...]\n"
    "  cardsim help\n"
    "\n"
    "serve options:\n"
    "  --link PATH           symlink to the card's pseudo-terminal (map COM3 to it in Wine)\n"
    "  --control PATH        Unix socket taking control commands (see below)\n"
    "  --transcript PATH     JSON Lines log of every byte and event (truncated at start)\n"
    "  --scenario FILE       control commands to run on a schedule (see README.md)\n"
    "  --registry-entry NN   keep HKLM\\Drivers\\Active\\NN in step with the card, by\n"
    "                        'wine reg'; written at start, deleted on remove, written on insert\n"
    "  --wineprefix DIR      the prefix for those wine runs\n"
    "  --port-name NAME      Name value of the entry (default COM3:)\n"
    "  --wine PROG           program run as wine (default wine)\n"
    "\n"
    "ctl sends one command, prints its output and exits 0 (OK), 1 (ERROR) or 2 (no answer).\n"
    "  --timeout SECONDS     how long to wait for the answer (default 60)\n"
    "\n"
    "control commands:\n";

void PrintUsage(FILE *out) {
    std::fputs(Usage, out);
    for (const std::string &line : ControlHelp())
        std::fprintf(out, "  %s\n", line.c_str());
}

// Takes "--name VALUE" or "--name=VALUE" at args[*i]; false when args[*i] is not that option.
bool TakeOption(const std::vector<std::string> &args, size_t *i, const char *name,
                std::string *value, bool *bad) {
    const std::string &arg = args[*i];
    size_t length = std::strlen(name);
    if (arg.compare(0, length, name) != 0)
        return false;
    if (arg.size() == length) {
        if (*i + 1 == args.size()) {
            std::fprintf(stderr, "cardsim: %s needs a value\n", name);
            *bad = true;
            return true;
        }
        *value = args[++*i];
        return true;
    }
    if (arg[length] != '=')
        return false;
    *value = arg.substr(length + 1);
    return true;
}

int ServeCommand(const std::vector<std::string> &args) {
    ServeOptions options;
    options.registry.port_name = "COM3:";
    options.registry.wine = "wine";
    bool bad = false;
    for (size_t i = 0; i < args.size() && !bad; i++) {
        if (args[i] == "--help" || args[i] == "-h") {
            PrintUsage(stdout);
            return 0;
        }
        if (!TakeOption(args, &i, "--link", &options.link, &bad) &&
            !TakeOption(args, &i, "--control", &options.control, &bad) &&
            !TakeOption(args, &i, "--transcript", &options.transcript, &bad) &&
            !TakeOption(args, &i, "--scenario", &options.scenario, &bad) &&
            !TakeOption(args, &i, "--registry-entry", &options.registry.entry, &bad) &&
            !TakeOption(args, &i, "--port-name", &options.registry.port_name, &bad) &&
            !TakeOption(args, &i, "--wineprefix", &options.registry.wineprefix, &bad) &&
            !TakeOption(args, &i, "--wine", &options.registry.wine, &bad)) {
            std::fprintf(stderr, "cardsim: unknown option %s\n", args[i].c_str());
            bad = true;
        }
    }
    if (!bad && options.link.empty()) {
        std::fprintf(stderr, "cardsim: serve needs --link PATH\n");
        bad = true;
    }
    if (!bad && !options.registry.entry.empty() && options.registry.wineprefix.empty()) {
        std::fprintf(stderr, "cardsim: --registry-entry needs --wineprefix DIR\n");
        bad = true;
    }
    if (bad) {
        PrintUsage(stderr);
        return 2;
    }
    return Serve(options);
}

int CtlCommand(const std::vector<std::string> &args) {
    std::string control, timeout = "60";
    bool bad = false;
    size_t i = 0;
    for (; i < args.size() && !bad && args[i].compare(0, 2, "--") == 0; i++) {
        if (args[i] == "--help") {
            PrintUsage(stdout);
            return 0;
        }
        if (!TakeOption(args, &i, "--control", &control, &bad) &&
            !TakeOption(args, &i, "--timeout", &timeout, &bad)) {
            std::fprintf(stderr, "cardsim: unknown option %s\n", args[i].c_str());
            bad = true;
        }
    }
    double seconds = std::atof(timeout.c_str());
    if (!bad && (control.empty() || i == args.size() || seconds <= 0)) {
        std::fprintf(stderr, "cardsim: ctl needs --control PATH and a command\n");
        bad = true;
    }
    if (bad) {
        PrintUsage(stderr);
        return 2;
    }
    std::string line;
    for (; i < args.size(); i++)
        line += (line.empty() ? "" : " ") + args[i];
    return RunControlClient(control, line, static_cast<int>(seconds * 1000));
}

} // namespace

int main(int argc, char **argv) {
    std::vector<std::string> args(argv + 1, argv + argc);
    if (args.empty()) {
        PrintUsage(stderr);
        return 2;
    }
    std::string verb = args[0];
    args.erase(args.begin());
    if (verb == "serve")
        return ServeCommand(args);
    if (verb == "ctl")
        return CtlCommand(args);
    if (verb == "help" || verb == "--help" || verb == "-h") {
        PrintUsage(stdout);
        return 0;
    }
    std::fprintf(stderr, "cardsim: unknown command %s\n", verb.c_str());
    PrintUsage(stderr);
    return 2;
}
