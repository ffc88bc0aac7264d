// The simulator's event loop: serial bytes in and out of the pseudo-terminal, control
// connections, scenario steps and registry updates, all on one thread.
#include "serve.h"

#include <algorithm>
#include <cerrno>
#include <csignal>
#include <cstdio>
#include <fstream>
#include <poll.h>
#include <sstream>
#include <sys/socket.h>
#include <unistd.h>

#include "byte_text.h"
#include "child_process.h"
#include "control_socket.h"
#include "server.h"
#include "transcript.h"

namespace {

const long IdleTick = 10;   // ms between looks at a port nobody holds
const long BusyTick = 1000; // longest sleep while a tool holds the port
const long ClientPatience = 5000;

volatile sig_atomic_t StopSignal = 0;

void OnStopSignal(int) {
    StopSignal = 1;
}

std::string FaultNames(const std::vector<FaultKind> &faults) {
    std::vector<std::string> names;
    for (FaultKind kind : faults)
        names.push_back(InfoOf(kind).name);
    return Joined(names, ",");
}

void HandleReceived(Server *s, const std::string &chunk) {
    long now = MonoMillis();
    for (const CommandReply &reply : ReceiveBytes(&s->card, chunk)) {
        LogEvent("command", {{"command", reply.command},
                             {"known", reply.kind == AtCommand::Unknown ? "0" : "1"},
                             {"faults", FaultNames(reply.plan.applied)}});
        if (s->has_scenario)
            s->scenario.Notice(AwaitEvent::Command, reply.command, now);
        long due = s->out.empty() ? now : std::max(now, s->out.back().due);
        for (const Segment &segment : reply.plan.segments) {
            due += segment.delay_ms;
            s->out.push_back(Outgoing{due, segment.bytes});
        }
    }
}

void ReadPort(Server *s) {
    if (!s->inserted)
        return;
    char buf[4096];
    for (;;) {
        ssize_t n = read(s->port.master, buf, sizeof buf);
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0)
            return; // EAGAIN: nothing more; EIO: nobody holds the port
        std::string chunk(buf, static_cast<size_t>(n));
        s->report.rx_bytes += chunk.size();
        LogData("rx", chunk);
        HandleReceived(s, chunk);
    }
}

// Writes what is due; true when the port is full and the loop should wait for room.
bool SendDue(Server *s) {
    long now = MonoMillis();
    if (!s->out.empty() && s->out.front().due <= now)
        CheckHeld(s); // the tool may have opened the port since the last look
    while (!s->out.empty() && s->out.front().due <= now) {
        Outgoing &item = s->out.front();
        if (!s->inserted || !s->held) {
            s->report.dropped++;
            LogEvent("drop", {{"reason", "port closed"}, {"hex", HexOf(item.bytes)}});
            s->out.pop_front();
            continue;
        }
        ssize_t n = write(s->port.master, item.bytes.data(), item.bytes.size());
        if (n < 0 && errno == EINTR)
            continue;
        if (n < 0 && errno == EAGAIN)
            return true;
        if (n <= 0) {
            NoteHeld(s, false, "write failed");
            continue;
        }
        std::string sent = item.bytes.substr(0, static_cast<size_t>(n));
        s->report.tx_bytes += sent.size();
        LogData("tx", sent);
        item.bytes.erase(0, sent.size());
        if (item.bytes.empty())
            s->out.pop_front();
    }
    return false;
}

void RunScenario(Server *s) {
    if (!s->has_scenario)
        return;
    for (;;) {
        const ScenarioStep *step;
        while (!s->scenario_blocked && !s->stop &&
               (step = s->scenario.Next(MonoMillis())) != nullptr)
            Execute(s, step->command, step->text, -1, true);
        if (s->scenario_blocked || s->stop)
            return;
        // Waiting for the port to be open (or closed) ends at once when it already is, however
        // early the tool came.
        AwaitEvent state = s->inserted && s->held ? AwaitEvent::Open : AwaitEvent::Close;
        if (!s->scenario.Notice(state, "", MonoMillis()))
            return;
    }
}

void AcceptClients(Server *s) {
    for (;;) {
        int fd = accept4(s->listen_fd, nullptr, nullptr, SOCK_NONBLOCK | SOCK_CLOEXEC);
        if (fd < 0)
            return;
        s->clients.push_back(Client{fd, "", MonoMillis() + ClientPatience});
    }
}

// Reads what a connection has sent; true when it is done with (answered or dropped).
bool ServeClient(Server *s, Client *client) {
    char buf[1024];
    ssize_t n;
    while ((n = read(client->fd, buf, sizeof buf)) > 0)
        client->in.append(buf, static_cast<size_t>(n));
    size_t end = client->in.find('\n');
    bool closed = n == 0;
    if (end == std::string::npos && !closed) {
        if (MonoMillis() < client->deadline && client->in.size() < 4096)
            return false;
        close(client->fd);
        return true;
    }
    std::string line = client->in.substr(0, end);
    if (!line.empty() && line.back() == '\r')
        line.pop_back();
    ExecuteLine(s, line, client->fd);
    return true;
}

long PollTimeout(const Server &s, long now) {
    long timeout = (s.held && s.jobs.empty()) ? BusyTick : IdleTick;
    if (!s.out.empty())
        timeout = std::min(timeout, std::max(0L, s.out.front().due - now));
    if (s.has_scenario && !s.scenario_blocked) {
        long due = s.scenario.Due(now);
        if (due >= 0)
            timeout = std::min(timeout, due);
    }
    if (!s.clients.empty())
        timeout = std::min(timeout, 100L);
    return timeout;
}

void Loop(Server *s) {
    while (!s->stop && !StopSignal) {
        PollJobs(s);
        CheckHeld(s);
        ReadPort(s);
        RunScenario(s);
        bool full = SendDue(s);

        std::vector<struct pollfd> fds;
        fds.push_back({s->listen_fd, POLLIN, 0});
        for (const Client &client : s->clients)
            fds.push_back({client.fd, POLLIN, 0});
        // A port nobody holds reports a hang-up without end; it is looked at on the tick.
        if (s->inserted && s->held)
            fds.push_back({s->port.master, static_cast<short>(POLLIN | (full ? POLLOUT : 0)), 0});
        long timeout = full ? IdleTick : PollTimeout(*s, MonoMillis());
        if (poll(fds.data(), fds.size(), static_cast<int>(timeout)) < 0 && errno != EINTR)
            break;

        if (fds[0].revents & POLLIN)
            AcceptClients(s);
        for (size_t i = 0; i < s->clients.size();) {
            if (ServeClient(s, &s->clients[i]))
                s->clients.erase(s->clients.begin() + static_cast<long>(i));
            else
                i++;
        }
    }
}

bool ReadFile(const std::string &path, std::string *text) {
    std::ifstream file(path, std::ios::binary);
    if (!file)
        return false;
    std::ostringstream buffer;
    buffer << file.rdbuf();
    *text = buffer.str();
    return true;
}

// At start the entry is written before the port appears, so a tool started right after
// finds both in place.
void SeedRegistry(const Server &s) {
    for (const auto &argv : RegistryInsertion(s.options.registry)) {
        pid_t pid = StartChild(argv, RegistryEnvironment(s.options.registry));
        int status = pid > 0 ? WaitChild(pid) : 127;
        LogEvent("registry", {{"run", Joined(argv, " ")}, {"exit", std::to_string(status)}});
        if (status != 0)
            std::fprintf(stderr, "cardsim: '%s' exited with %d\n", Joined(argv, " ").c_str(),
                         status);
    }
}

void Shutdown(Server *s) {
    for (Job &job : s->jobs) {
        if (job.pid > 0 && job.next < job.steps.size())
            (void)WaitChild(job.pid); // a half-written registry entry helps nobody
        job.pid = -1;
        if (job.fd >= 0)
            AnswerControl(job.fd, false, "simulator stopping", {});
    }
    for (const Client &client : s->clients)
        close(client.fd);
    if (s->inserted)
        ClosePtyPort(&s->port);
    if (s->listen_fd >= 0) {
        close(s->listen_fd);
        (void)unlink(s->options.control.c_str());
    }
    LogEvent("stop");
    CloseTranscript();
}

} // namespace

int Serve(const ServeOptions &options) {
    Server server;
    Server *s = &server;
    s->options = options;
    std::string error;

    std::vector<ScenarioStep> steps;
    if (!options.scenario.empty()) {
        std::string text;
        if (!ReadFile(options.scenario, &text)) {
            std::fprintf(stderr, "cardsim: cannot read %s\n", options.scenario.c_str());
            return 2;
        }
        if (!ParseScenario(text, &steps, &error)) {
            std::fprintf(stderr, "cardsim: %s: %s\n", options.scenario.c_str(), error.c_str());
            return 2;
        }
        s->has_scenario = true;
    }
    if (!OpenTranscript(options.transcript, &error)) {
        std::fprintf(stderr, "cardsim: %s\n", error.c_str());
        return 1;
    }
    struct sigaction action = {};
    action.sa_handler = OnStopSignal;
    sigaction(SIGINT, &action, nullptr);
    sigaction(SIGTERM, &action, nullptr);
    signal(SIGPIPE, SIG_IGN);

    LogEvent("start", {{"link", options.link}, {"control", options.control}});
    if (RegistryKept(*s))
        SeedRegistry(*s);
    if (!InsertCard(s, &error)) {
        std::fprintf(stderr, "cardsim: %s\n", error.c_str());
        CloseTranscript();
        return 1;
    }
    if (!options.control.empty()) {
        s->listen_fd = ListenControl(options.control, &error);
        if (s->listen_fd < 0) {
            std::fprintf(stderr, "cardsim: %s\n", error.c_str());
            Shutdown(s);
            return 1;
        }
    }
    std::printf("cardsim: card on %s, linked as %s\n", s->port.slave.c_str(), options.link.c_str());
    std::fflush(stdout);
    if (s->has_scenario)
        s->scenario.Start(steps, MonoMillis());

    Loop(s);
    Shutdown(s);
    return 0;
}
