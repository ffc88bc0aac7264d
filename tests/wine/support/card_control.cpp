// Control of the simulated card from a test running under Wine.
#include "card_control.h"

#include <windows.h>

#include <stdlib.h>

namespace {

std::string Env(const char *name) {
    const char *value = getenv(name);
    return value ? value : "";
}

std::string Slurp(const std::string &dosPath) {
    HANDLE file =
        CreateFileA(dosPath.c_str(), GENERIC_READ, FILE_SHARE_READ, NULL, OPEN_EXISTING, 0, NULL);
    if (file == INVALID_HANDLE_VALUE) {
        return "";
    }
    std::string text;
    char buffer[512];
    DWORD got = 0;
    while (ReadFile(file, buffer, sizeof buffer, &got, NULL) && got > 0) {
        text.append(buffer, got);
    }
    CloseHandle(file);
    return text;
}

} // namespace

bool CardAvailable() {
    return !Env("NATIVE_BUILD").empty() && !Env("TERMINAL_RUN").empty();
}

std::string CardControl(const std::string &words) {
    std::string cardsim = Env("NATIVE_BUILD") + "/tools/cardsim/cardsim";
    std::string socket = Env("TERMINAL_RUN") + "/card.sock";
    std::string answer = Env("TERMINAL_RUN") + "/wine-test-ctl.out";
    std::string answerDos = "Z:" + answer;
    DeleteFileA(answerDos.c_str());

    std::string command = "Z:\\bin\\sh -c \"'" + cardsim + "' ctl --control '" + socket + "' " +
                          words + " > '" + answer + ".tmp' 2>&1; echo status=$? >> '" + answer +
                          ".tmp'; mv '" + answer + ".tmp' '" + answer + "'\"";
    STARTUPINFOA startup;
    ZeroMemory(&startup, sizeof startup);
    startup.cb = sizeof startup;
    PROCESS_INFORMATION process;
    if (!CreateProcessA(NULL, &command[0], NULL, NULL, FALSE, 0, NULL, NULL, &startup, &process)) {
        return "unreachable";
    }
    CloseHandle(process.hThread);
    CloseHandle(process.hProcess);
    // A Unix child's handle is not waitable under Wine: wait for its answer file instead.
    for (int i = 0; i < 600; ++i) {
        if (GetFileAttributesA(answerDos.c_str()) != INVALID_FILE_ATTRIBUTES) {
            return Slurp(answerDos);
        }
        Sleep(50);
    }
    return "unreachable";
}

bool CardDoes(const std::string &words) {
    return CardControl(words).find("status=0") != std::string::npos;
}

int CardCommandCount() {
    std::string status = CardControl("status");
    size_t at = status.find("commands=");
    return at == std::string::npos ? -1 : atoi(status.c_str() + at + 9);
}
