// The card going in and out, and the tool opening and closing its port.
#include <cstdio>

#include "byte_text.h"
#include "server.h"
#include "transcript.h"

void DropOutput(Server *s, const char *reason) {
    for (const Outgoing &item : s->out) {
        s->report.dropped++;
        LogEvent("drop", {{"reason", reason}, {"hex", HexOf(item.bytes)}});
    }
    s->out.clear();
}

void NoteHeld(Server *s, bool held, const char *cause) {
    if (held == s->held)
        return;
    s->held = held;
    if (held)
        s->report.opens++;
    else
        s->report.closes++;
    LogEvent(held ? "open" : "close", {{"cause", cause}});
    if (!held && s->inserted)
        DiscardUnread(s->port);
    if (s->has_scenario)
        s->scenario.Notice(held ? AwaitEvent::Open : AwaitEvent::Close, "", MonoMillis());
}

void CheckHeld(Server *s) {
    if (s->inserted)
        NoteHeld(s, SlaveHeld(s->port), "tool");
}

void RemoveCard(Server *s) {
    DropOutput(s, "card removed");
    NoteHeld(s, false, "card removed");
    ClosePtyPort(&s->port);
    s->inserted = false;
    s->card.splitter.Clear();
    LogEvent("remove");
}

bool InsertCard(Server *s, std::string *error) {
    std::string warning;
    if (!OpenPtyPort(s->options.link, &s->port, error, &warning))
        return false;
    if (!warning.empty()) {
        std::fprintf(stderr, "cardsim: %s\n", warning.c_str());
        LogEvent("warning", {{"text", warning}});
    }
    s->inserted = true;
    s->held = false;
    LogEvent("insert", {{"pty", s->port.slave}, {"link", s->port.link}});
    return true;
}
