// The built programs' single-instance objects, by the names other programs know them by (an
// earlier build, an installer, a launcher): while such an object exists, a start only raises the
// window the program looks for and ends; while a program runs, it holds the object.
#include <windows.h>

#include <gtest/gtest.h>

#include <ostream>
#include <string>

namespace {

struct InstanceObject {
    const char *program;
    const wchar_t *name;
    bool semaphore;
    const wchar_t *windowClass; // the window a second start raises: by class,
    const wchar_t *windowTitle; // or, when the class is NULL, by title
};

const InstanceObject Programs[] = {
    {"wavemeter", L"QZ508RB_WaveMeter", false, L"WAVEMETER", NULL},
    {"identview", L"QZ508RB_IdentView", false, L"IDENTVIEW", NULL},
    {"portswap", L"PORTSWAP2003100601", true, NULL, L"赤外線設定ツール"},
};

void PrintTo(const InstanceObject &p, std::ostream *out) {
    *out << p.program;
}

const DWORD StartMs = 30000; // a loaded machine starts a Wine program slowly

// Windows the started program creates, seen through window events of its process.
int CreatedWindows;
void CALLBACK OnCreate(HWINEVENTHOOK, DWORD, HWND, LONG object, LONG, DWORD, DWORD) {
    if (object == OBJID_WINDOW) {
        ++CreatedWindows;
    }
}

// Dispatches this thread's messages until `done` holds or the deadline passes.
template <typename Done> bool PumpUntil(Done done, DWORD ms) {
    DWORD start = GetTickCount();
    for (;;) {
        MSG msg;
        while (PeekMessageW(&msg, NULL, 0, 0, PM_REMOVE)) {
            DispatchMessageW(&msg);
        }
        if (done()) {
            return true;
        }
        DWORD spent = GetTickCount() - start;
        if (spent >= ms) {
            return false;
        }
        MsgWaitForMultipleObjects(0, NULL, FALSE, (ms - spent) < 50 ? ms - spent : 50, QS_ALLINPUT);
    }
}

PROCESS_INFORMATION Start(const char *program, DWORD flags) {
    std::string command = std::string("Z:") + TOOLS_DIR + "/" + program + ".exe";
    STARTUPINFOA startup = {};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION process = {};
    EXPECT_TRUE(
        CreateProcessA(NULL, &command[0], NULL, NULL, FALSE, flags, NULL, NULL, &startup, &process))
        << command;
    return process;
}

// Ends a program the test could not end by its own commands, and closes its handles.
void Finish(PROCESS_INFORMATION &process) {
    if (process.hProcess && WaitForSingleObject(process.hProcess, 0) == WAIT_TIMEOUT) {
        TerminateProcess(process.hProcess, 1);
        WaitForSingleObject(process.hProcess, 10000);
    }
    CloseHandle(process.hThread);
    CloseHandle(process.hProcess);
}

bool ObjectExists(const InstanceObject &p) {
    HANDLE h = p.semaphore ? OpenSemaphoreW(SYNCHRONIZE, FALSE, p.name)
                           : OpenMutexW(SYNCHRONIZE, FALSE, p.name);
    CloseHandle(h);
    return h != NULL;
}

HWND ProcessDialog(DWORD pid) {
    for (HWND w = FindWindowExW(NULL, NULL, L"#32770", NULL); w;
         w = FindWindowExW(NULL, w, L"#32770", NULL)) {
        DWORD owner = 0;
        GetWindowThreadProcessId(w, &owner);
        if (owner == pid && IsWindowVisible(w)) {
            return w;
        }
    }
    return NULL;
}

class SingleInstance : public ::testing::TestWithParam<InstanceObject> {};

TEST_P(SingleInstance, StartWhileTheNamedObjectExistsOnlyRaisesTheWindow) {
    const InstanceObject &p = GetParam();
    HANDLE object =
        p.semaphore ? CreateSemaphoreW(NULL, 1, 1, p.name) : CreateMutexW(NULL, FALSE, p.name);
    ASSERT_TRUE(object != NULL);
    ASSERT_NE(GetLastError(), (DWORD)ERROR_ALREADY_EXISTS) << "held before the start";
    if (p.semaphore) {
        ASSERT_EQ(WaitForSingleObject(object, 0), WAIT_OBJECT_0);
    }
    WNDCLASSW wc = {};
    wc.lpfnWndProc = DefWindowProcW;
    wc.hInstance = GetModuleHandleW(NULL);
    wc.lpszClassName = p.windowClass ? p.windowClass : L"SingleInstanceTarget";
    RegisterClassW(&wc);
    HWND target = CreateWindowExW(0, wc.lpszClassName, p.windowTitle ? p.windowTitle : L"",
                                  WS_OVERLAPPEDWINDOW | WS_VISIBLE, 0, 0, 200, 150, NULL, NULL,
                                  wc.hInstance, NULL);
    // Another window of this test is in front when the program starts.
    HWND front = CreateWindowExW(0, L"STATIC", L"front", WS_OVERLAPPEDWINDOW | WS_VISIBLE, 20, 20,
                                 200, 150, NULL, NULL, wc.hInstance, NULL);
    ASSERT_TRUE(target && front);
    SetForegroundWindow(front);
    ASSERT_TRUE(PumpUntil([&] { return GetForegroundWindow() == front; }, 5000));

    PROCESS_INFORMATION process = Start(p.program, CREATE_SUSPENDED);
    ASSERT_TRUE(process.hProcess != NULL);
    CreatedWindows = 0;
    HWINEVENTHOOK hook = SetWinEventHook(EVENT_OBJECT_CREATE, EVENT_OBJECT_CREATE, NULL, OnCreate,
                                         process.dwProcessId, 0, WINEVENT_OUTOFCONTEXT);
    ResumeThread(process.hThread);
    bool ended = PumpUntil(
        [&] { return WaitForSingleObject(process.hProcess, 0) == WAIT_OBJECT_0; }, StartMs);
    DWORD code = STILL_ACTIVE;
    GetExitCodeProcess(process.hProcess, &code);
    Finish(process);
    // The program asked for the raise before it ended; this thread's messages complete it.
    bool raised = PumpUntil([&] { return GetForegroundWindow() == target; }, 5000);
    UnhookWinEvent(hook);

    EXPECT_TRUE(ended) << p.program << " still ran after " << StartMs << " ms";
    EXPECT_EQ(code, 0u);
    EXPECT_TRUE(raised) << "the window of " << p.program << "'s running copy was not raised";
    EXPECT_EQ(CreatedWindows, 0) << "windows created by " << p.program;
    DestroyWindow(front);
    DestroyWindow(target);
    UnregisterClassW(wc.lpszClassName, wc.hInstance);
    CloseHandle(object);
}

TEST_P(SingleInstance, RunningProgramHoldsTheNamedObject) {
    const InstanceObject &p = GetParam();
    ASSERT_FALSE(ObjectExists(p)) << "held before the start";
    PROCESS_INFORMATION process = Start(p.program, 0);
    ASSERT_TRUE(process.hProcess != NULL);
    HWND dialog = NULL;
    bool shown =
        PumpUntil([&] { return (dialog = ProcessDialog(process.dwProcessId)) != NULL; }, StartMs);
    bool held = ObjectExists(p);
    if (shown) {
        PostMessageW(dialog, WM_COMMAND, IDCANCEL, 0);
    }
    bool ended = WaitForSingleObject(process.hProcess, StartMs) == WAIT_OBJECT_0;
    DWORD code = STILL_ACTIVE;
    GetExitCodeProcess(process.hProcess, &code);
    Finish(process);

    ASSERT_TRUE(shown) << p.program << " showed no dialog";
    EXPECT_TRUE(held) << "no object named as expected while " << p.program << " runs";
    EXPECT_TRUE(ended) << p.program << " did not end on IDCANCEL";
    EXPECT_EQ(code, 0u);
    EXPECT_FALSE(ObjectExists(p)) << "still held after " << p.program << " ended";
}

INSTANTIATE_TEST_SUITE_P(Programs, SingleInstance, ::testing::ValuesIn(Programs),
                         [](const ::testing::TestParamInfo<InstanceObject> &info) {
                             return std::string(info.param.program);
                         });

} // namespace
