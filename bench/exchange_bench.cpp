// Times one AT exchange on the card's port for both tools' read sizes and prints it against the
// floor set by the read time-out (10 ms per byte asked + 500 ms): a reply shorter than the
// bytes asked ends the read only when that time-out runs out.
#include "modem_link.h"
#include "reply_line.h"

#include <stdio.h>
#include <string.h>

static double Milliseconds(const LARGE_INTEGER &from, const LARGE_INTEGER &to) {
    LARGE_INTEGER frequency;
    QueryPerformanceFrequency(&frequency);
    return 1000.0 * double(to.QuadPart - from.QuadPart) / double(frequency.QuadPart);
}

int main() {
    OpenModemPort();
    if (ModemPort == NULL) {
        printf("the card's port does not open: start the card simulator first\n");
        return 1;
    }
    struct {
        const char *command;
        DWORD replyBytes, asked;
    } runs[] = {{"AT@M?\r", 33, 32}, {"ATI3\r", 64, 64}};
    const int Rounds = 5;
    printf("%-10s %6s %10s %10s %7s\n", "command", "asked", "mean ms", "floor ms", "ratio");
    for (const auto &run : runs) {
        double total = 0;
        int answered = 0;
        for (int i = 0; i < Rounds; ++i) {
            char reply[64];
            char line[64];
            LARGE_INTEGER start, end;
            QueryPerformanceCounter(&start);
            ExchangeResult result =
                ExchangeAtCommand(run.command, reply, run.replyBytes, run.asked);
            QueryPerformanceCounter(&end);
            total += Milliseconds(start, end);
            if (result == ExchangeDone && ExtractReplyLine(run.command, reply, line)) {
                ++answered;
            }
        }
        double mean = total / Rounds;
        double floor = 10.0 * run.asked + 500.0;
        printf("%-10.*s %6lu %10.1f %10.1f %7.3f   (%d/%d answered)\n",
               int(strlen(run.command) - 1), run.command, run.asked, mean, floor, mean / floor,
               answered, Rounds);
    }
    CloseModemPort();
    return 0;
}
