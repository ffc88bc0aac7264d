// proccounters: prints one line of JSON with the resource counters of another process in the
// same Wine prefix or Windows session, given by its process id or by the class name of one of its
// top-level windows: open handles, GDI objects, windows, and memory.
//
//   proccounters --class WAVEMETER
//   proccounters --pid 1228
//   {"pid":32,"handles":41,"gdi":38,"windows":15,"private_bytes":...,"working_set":...}
//
// Where the system's own counters are missing (Wine: GetGuiResources and GetProcessHandleCount
// give 0), handles are counted in the system's handle list and GDI objects in the process's GDI
// handle table; a value that can't be had at all is null.
#include <windows.h>
#include <psapi.h>
#include <winternl.h>

#include <stdio.h>
#include <stdlib.h>
#include <wchar.h>

#include <vector>

namespace {

// The system's handle list (information class 64), as the NT API lays it out.
struct HandleEntryEx {
    void *object;
    ULONG_PTR processId;
    ULONG_PTR handleValue;
    ULONG grantedAccess;
    USHORT creatorBackTraceIndex;
    USHORT objectTypeIndex;
    ULONG handleAttributes;
    ULONG reserved;
};

struct HandleListEx {
    ULONG_PTR count;
    ULONG_PTR reserved;
    HandleEntryEx entries[1];
};

const SYSTEM_INFORMATION_CLASS ExtendedHandleInformation =
    static_cast<SYSTEM_INFORMATION_CLASS>(64);

// One entry of the GDI handle table that the process environment block points to.
struct GdiHandleEntry {
    UINT64 object;
    ULONG owner;
    USHORT unique; // bit 7: stock object
    UCHAR type;    // 0: free
    UCHAR flags;
    UINT64 userPointer;
};

const size_t GdiTableEntries = 0x10000;
const size_t PebGdiTableOffset = 0xF8; // 64-bit process environment block

long CountHandlesInSystemList(DWORD pid) {
    std::vector<char> buffer(1 << 20);
    for (int attempt = 0; attempt < 8; ++attempt) {
        ULONG needed = 0;
        NTSTATUS status = NtQuerySystemInformation(ExtendedHandleInformation, buffer.data(),
                                                   static_cast<ULONG>(buffer.size()), &needed);
        if (status == 0) {
            const HandleListEx *list = reinterpret_cast<const HandleListEx *>(buffer.data());
            long count = 0;
            for (ULONG_PTR i = 0; i < list->count; ++i)
                if (list->entries[i].processId == pid)
                    ++count;
            return count;
        }
        buffer.resize(buffer.size() * 2 > needed ? buffer.size() * 2 : needed + 4096);
    }
    return -1;
}

long CountGdiObjectsInTable(HANDLE process) {
    PROCESS_BASIC_INFORMATION basic;
    if (NtQueryInformationProcess(process, ProcessBasicInformation, &basic, sizeof basic, NULL) !=
        0)
        return -1;
    UINT64 table = 0;
    SIZE_T got = 0;
    const char *peb = reinterpret_cast<const char *>(basic.PebBaseAddress);
    if (!ReadProcessMemory(process, peb + PebGdiTableOffset, &table, sizeof table, &got) ||
        table == 0)
        return -1;
    std::vector<GdiHandleEntry> entries(GdiTableEntries);
    if (!ReadProcessMemory(process, reinterpret_cast<void *>(table), entries.data(),
                           entries.size() * sizeof(GdiHandleEntry), &got))
        return -1;
    long count = 0;
    for (const GdiHandleEntry &e : entries)
        if (e.type != 0 && !(e.unique & 0x80))
            ++count;
    return count;
}

struct WindowCount {
    DWORD pid;
    long count;
};

BOOL CALLBACK CountChild(HWND window, LPARAM param) {
    (void)window;
    reinterpret_cast<WindowCount *>(param)->count++;
    return TRUE;
}

BOOL CALLBACK CountTopLevel(HWND window, LPARAM param) {
    WindowCount *windows = reinterpret_cast<WindowCount *>(param);
    DWORD pid = 0;
    GetWindowThreadProcessId(window, &pid);
    if (pid == windows->pid) {
        windows->count++;
        EnumChildWindows(window, CountChild, param);
    }
    return TRUE;
}

void PrintCount(const char *name, long value, bool last = false) {
    if (value < 0)
        printf("\"%s\":null%s", name, last ? "" : ",");
    else
        printf("\"%s\":%ld%s", name, value, last ? "" : ",");
}

} // namespace

int wmain(int argc, wchar_t **argv) {
    bool byClass = argc == 3 && wcscmp(argv[1], L"--class") == 0;
    bool byPid = argc == 3 && wcscmp(argv[1], L"--pid") == 0;
    if (!byClass && !byPid) {
        fprintf(stderr, "usage: proccounters --class WINDOWCLASS | --pid PID\n");
        return 2;
    }
    DWORD pid = 0;
    if (byPid) {
        pid = wcstoul(argv[2], NULL, 10);
    } else {
        HWND window = FindWindowW(argv[2], NULL);
        if (window == NULL || GetWindowThreadProcessId(window, &pid) == 0) {
            fprintf(stderr, "proccounters: no window of class %ls\n", argv[2]);
            return 1;
        }
    }
    HANDLE process = OpenProcess(PROCESS_QUERY_INFORMATION | PROCESS_VM_READ, FALSE, pid);
    if (process == NULL) {
        fprintf(stderr, "proccounters: can't open process %lu\n", pid);
        return 1;
    }

    DWORD handles = 0;
    long handleCount = GetProcessHandleCount(process, &handles) && handles != 0
                           ? static_cast<long>(handles)
                           : CountHandlesInSystemList(pid);
    DWORD gdi = GetGuiResources(process, GR_GDIOBJECTS);
    long gdiCount = gdi != 0 ? static_cast<long>(gdi) : CountGdiObjectsInTable(process);
    WindowCount windows = {pid, 0};
    EnumWindows(CountTopLevel, reinterpret_cast<LPARAM>(&windows));
    PROCESS_MEMORY_COUNTERS_EX memory;
    ZeroMemory(&memory, sizeof memory);
    memory.cb = sizeof memory;
    BOOL haveMemory = GetProcessMemoryInfo(
        process, reinterpret_cast<PROCESS_MEMORY_COUNTERS *>(&memory), sizeof memory);

    printf("{\"pid\":%lu,", pid);
    PrintCount("handles", handleCount);
    PrintCount("gdi", gdiCount);
    PrintCount("windows", windows.count);
    PrintCount("private_bytes", haveMemory && memory.PrivateUsage != 0
                                    ? static_cast<long>(memory.PrivateUsage)
                                    : -1);
    PrintCount("working_set", haveMemory ? static_cast<long>(memory.WorkingSetSize) : -1, true);
    printf("}\n");
    CloseHandle(process);
    return 0;
}
