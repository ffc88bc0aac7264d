// The pipe-backed card of the poller tests.
#include "fake_card.h"
#include "modem_link.h"

#include <gtest/gtest.h>

CardReply Answer(const std::string &bytes) {
    return CardReply{CardReply::Answer, bytes};
}

CardReply Echoed(const std::string &command, const std::string &answer) {
    return Answer(command + "\r\n" + answer + "\r\n\r\nOK\r\n");
}

CardReply HangUp() {
    return CardReply{CardReply::HangUp, ""};
}

CardReply AnswerAndHangUp(const std::string &bytes) {
    return CardReply{CardReply::AnswerAndHangUp, bytes};
}

void FakeCard::OpenPipe() {
    InitializeCriticalSection(&lock_);
    static LONG serial;
    WCHAR name[64];
    wsprintfW(name, L"\\\\.\\pipe\\wavemeter-card-%lu-%ld", GetCurrentProcessId(),
              InterlockedIncrement(&serial));
    HANDLE portEnd = CreateNamedPipeW(name, PIPE_ACCESS_DUPLEX, PIPE_TYPE_BYTE | PIPE_WAIT, 1, 4096,
                                      4096, 0, NULL);
    EXPECT_NE(portEnd, INVALID_HANDLE_VALUE);
    cardEnd_ = CreateFileW(name, GENERIC_READ | GENERIC_WRITE, 0, NULL, OPEN_EXISTING, 0, NULL);
    EXPECT_NE(cardEnd_, INVALID_HANDLE_VALUE);
    ModemPort = portEnd;
}

FakeCard::FakeCard(const std::vector<CardReply> &replies) : replies_(replies) {
    OpenPipe();
    DuplicateHandle(GetCurrentProcess(), GetCurrentThread(), GetCurrentProcess(), &poller_, 0,
                    FALSE, DUPLICATE_SAME_ACCESS);
    thread_ = CreateThread(NULL, 0, Run, this, 0, NULL);
}

FakeCard::FakeCard(Unplugged) {
    OpenPipe();
    CloseHandle(cardEnd_);
    cardEnd_ = INVALID_HANDLE_VALUE;
}

FakeCard::~FakeCard() {
    // Closing the poller's end ends a read the card is blocked in.
    CloseModemPort();
    if (thread_ != NULL) {
        WaitForSingleObject(thread_, 5000);
        CloseHandle(thread_);
    }
    if (cardEnd_ != INVALID_HANDLE_VALUE) {
        CloseHandle(cardEnd_);
    }
    if (poller_ != NULL) {
        CloseHandle(poller_);
    }
    DeleteCriticalSection(&lock_);
}

std::vector<std::string> FakeCard::Commands() {
    EnterCriticalSection(&lock_);
    std::vector<std::string> commands = commands_;
    LeaveCriticalSection(&lock_);
    return commands;
}

DWORD WINAPI FakeCard::Run(void *self) {
    static_cast<FakeCard *>(self)->Serve();
    return 0;
}

void FakeCard::Serve() {
    size_t next = 0;
    std::string pending;
    for (;;) {
        char byte;
        DWORD got = 0;
        if (!ReadFile(cardEnd_, &byte, 1, &got, NULL) || got == 0) {
            return;
        }
        pending += byte;
        if (byte != '\r') {
            continue;
        }
        EnterCriticalSection(&lock_);
        commands_.push_back(pending);
        LeaveCriticalSection(&lock_);
        pending.clear();
        CardReply reply = next < replies_.size() ? replies_[next++] : HangUp();
        DWORD written = 0;
        // Answer and hang up in one step as the poller sees it: it is held meanwhile, so its
        // next command can't slip in before the line goes. The answer stays readable at its end.
        bool hold = reply.kind == CardReply::AnswerAndHangUp;
        if (hold) {
            SuspendThread(poller_);
            CONTEXT context;
            context.ContextFlags = CONTEXT_CONTROL;
            GetThreadContext(poller_, &context); // returns once the thread has stopped
        }
        if (reply.kind != CardReply::HangUp) {
            (void)WriteFile(cardEnd_, reply.bytes.data(), static_cast<DWORD>(reply.bytes.size()),
                            &written, NULL);
        }
        if (reply.kind != CardReply::Answer) {
            CloseHandle(cardEnd_);
            cardEnd_ = INVALID_HANDLE_VALUE;
            if (hold) {
                ResumeThread(poller_);
            }
            return;
        }
    }
}
