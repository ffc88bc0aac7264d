// Opening, setting up and closing the card modem's COM device, and the AT exchange.
#include "modem_link.h"
#include "modem_port.h"

#include <string.h>

HANDLE ModemPort;

// 115200 baud, 8N1, DTR and RTS on, no hardware or software flow control.
static void ApplyLineSettings(HANDLE port) {
    DCB settings;
    memset(&settings, 0, sizeof settings);
    settings.DCBlength = sizeof settings;
    (void)GetCommState(port, &settings);
    settings.BaudRate = CBR_115200;
    settings.ByteSize = 8;
    settings.Parity = NOPARITY;
    settings.StopBits = ONESTOPBIT;
    settings.fOutxCtsFlow = FALSE;
    settings.fOutxDsrFlow = FALSE;
    settings.fDtrControl = DTR_CONTROL_ENABLE;
    settings.fDsrSensitivity = FALSE;
    settings.fOutX = FALSE;
    settings.fInX = FALSE;
    settings.fRtsControl = RTS_CONTROL_ENABLE;
    (void)SetCommState(port, &settings);

    // One read collects bytes until the count asked for has arrived or 10 ms per byte asked
    // plus 500 ms have passed; a pause between bytes does not end it. Writes give up after 500 ms.
    COMMTIMEOUTS timeouts;
    timeouts.ReadIntervalTimeout = MAXDWORD;
    timeouts.ReadTotalTimeoutMultiplier = 10;
    timeouts.ReadTotalTimeoutConstant = 500;
    timeouts.WriteTotalTimeoutMultiplier = 0;
    timeouts.WriteTotalTimeoutConstant = 500;
    (void)SetCommTimeouts(port, &timeouts);
}

void OpenModemPort() {
    WCHAR deviceName[ModemPortNameUnits];
    FindModemPort(deviceName);
    // No sharing: while one tool holds the card, the other's open fails. An empty name (no
    // card) fails here too.
    ModemPort =
        CreateFileW(deviceName, GENERIC_READ | GENERIC_WRITE, 0, NULL, OPEN_EXISTING, 0, NULL);
    if (ModemPort == INVALID_HANDLE_VALUE) {
        ModemPort = NULL;
        return;
    }
    // Set-up failures are ignored: the port is used as opened (DTR can't be raised on every
    // kind of line).
    (void)EscapeCommFunction(ModemPort, SETDTR);
    ApplyLineSettings(ModemPort);
}

void CloseModemPort() {
    if (ModemPort != NULL) {
        CloseHandle(ModemPort);
        ModemPort = NULL;
    }
}

ExchangeResult ExchangeAtCommand(const char *command, char *reply, DWORD replyBytes, DWORD asked) {
    DWORD written = 0;
    // The count written is not compared: a short write shows up as a missing echo.
    if (!WriteFile(ModemPort, command, static_cast<DWORD>(strlen(command)), &written, NULL)) {
        return ExchangeWriteFailed;
    }
    memset(reply, 0, replyBytes);
    if (asked > replyBytes) {
        asked = replyBytes;
    }
    DWORD received = 0;
    // The reply is the zero-terminated text in the buffer; the count read is not needed.
    if (!ReadFile(ModemPort, reply, asked, &received, NULL)) {
        return ExchangeReadFailed;
    }
    reply[replyBytes - 1] = 0;
    return ExchangeDone;
}
