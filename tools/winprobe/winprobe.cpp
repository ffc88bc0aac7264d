// Window probe: reports the top-level windows of the desktop it runs in and acts on them the
// way a user would. Answers are UTF-8 JSON on stdout; messages go to stderr.
#include "json_out.h"
#include "probe_commands.h"
#include "probe_options.h"

static const wchar_t Usage[] =
    L"usage: winprobe COMMAND [--title T] [--class C] [--pid N] [--hwnd 0xH] [--all] [options]\n"
    L"  list                          matching top-level windows (visible ones unless --all)\n"
    L"  wait      [--timeout MS]      wait for a matching window (default 10000 ms)\n"
    L"  wait-gone [--timeout MS]      wait until no matching window is left\n"
    L"  foreground                    the foreground window\n"
    L"  command   --id N [--send]     WM_COMMAND to the window (posted unless --send)\n"
    L"  click     --id N [--force]    BM_CLICK to the control with id N\n"
    L"  select    --id N --text T     choose the combo box entry T and notify the parent\n"
    L"  keys      KEYS...             activate the window and type e.g. alt+f4 enter esc\n"
    L"  close                         WM_CLOSE to the window\n"
    L"Actions go to the topmost matching window; --timeout MS makes them wait for it.\n"
    L"Exit status: 0 done, 1 not found or timed out, 2 usage error.\n";

int wmain(int argc, wchar_t **argv) {
    ProbeOptions options;
    std::wstring error;
    if (!ParseProbeOptions(argc, argv, options, error)) {
        WriteOutput(STD_ERROR_HANDLE, Utf8Of(L"winprobe: " + error + L"\n" + Usage));
        return ExitUsage;
    }
    Json answer;
    int status = RunProbeCommand(options, answer, error);
    if (status == ExitUsage) {
        WriteOutput(STD_ERROR_HANDLE, Utf8Of(L"winprobe: " + error + L"\n" + Usage));
        return status;
    }
    if (status != ExitSuccess) {
        WriteOutput(STD_ERROR_HANDLE, Utf8Of(L"winprobe: " + error + L"\n"));
        return status;
    }
    // A reader that went away leaves nothing to report to.
    (void)WriteOutput(STD_OUTPUT_HANDLE, JsonDump(answer) + "\n");
    return status;
}
