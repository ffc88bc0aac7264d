// The probe's commands. Each sets its JSON answer and returns the process exit code.
#pragma once
#include "json_out.h"
#include "probe_options.h"

enum ProbeExit {
    ExitSuccess = 0,
    ExitNotFound = 1, // nothing matched, the wait timed out or the target refused the action
    ExitUsage = 2,
};

// Runs options.command; answers unknown commands with ExitUsage.
int RunProbeCommand(const ProbeOptions &options, Json &answer, std::wstring &error);
