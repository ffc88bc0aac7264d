// A card for tests of the poller without a serial line: the poller's end of a duplex named pipe
// goes into ModemPort, and a thread at the other end reads each command (up to its CR), notes it
// and answers with the next planned reply.
#pragma once

#include <windows.h>

#include <string>
#include <vector>

// What the card does with one command.
struct CardReply {
    enum Kind {
        Answer,          // write bytes
        HangUp,          // close its end of the pipe without answering: the poller's read fails
        AnswerAndHangUp, // write bytes, then close its end: the poller's next write fails
    };
    Kind kind;
    std::string bytes;
};

CardReply Answer(const std::string &bytes);
// The echo of command, then CR LF, answer, CR LF, CR LF, "OK", CR LF as the card sends it.
CardReply Echoed(const std::string &command, const std::string &answer);
CardReply HangUp();
CardReply AnswerAndHangUp(const std::string &bytes);

class FakeCard {
  public:
    // Opens the pipe and hands the poller's end to ModemPort; the card answers commands with
    // replies in turn and hangs up once they are used up.
    explicit FakeCard(const std::vector<CardReply> &replies);
    // A card whose end is closed before anything is sent: the poller's first write fails.
    struct Unplugged {};
    explicit FakeCard(Unplugged);
    // Closes the port if the poller has not, and ends the card.
    ~FakeCard();

    // The commands received so far, each with its CR.
    std::vector<std::string> Commands();

  private:
    void OpenPipe();
    static DWORD WINAPI Run(void *self);
    void Serve();

    std::vector<CardReply> replies_;
    HANDLE cardEnd_ = INVALID_HANDLE_VALUE;
    HANDLE thread_ = NULL;
    HANDLE poller_ = NULL; // the thread that made the card, where the poller runs
    CRITICAL_SECTION lock_;
    std::vector<std::string> commands_;
};
