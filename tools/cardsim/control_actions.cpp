// Control commands: what each does to the card, the port and the registry, and the answer.
#include <cstdio>

#include "child_process.h"
#include "control_socket.h"
#include "registry_entry.h"
#include "server.h"
#include "transcript.h"

namespace {

void Finish(const std::string &text, int fd, bool scenario, bool ok, const std::string &error,
            const std::vector<std::string> &lines) {
    LogEvent("control", {{"origin", scenario ? "scenario" : "ctl"},
                         {"command", text},
                         {"result", ok ? "OK" : "ERROR " + error},
                         {"output", Joined(lines, "\n")}});
    if (fd >= 0)
        AnswerControl(fd, ok, error, lines);
    if (scenario && !ok)
        std::fprintf(stderr, "cardsim: scenario: %s: %s\n", text.c_str(), error.c_str());
}

void StartJob(Server *s, Job *job) {
    const auto &argv = job->steps[job->next];
    LogEvent("registry", {{"run", Joined(argv, " ")}});
    job->pid = StartChild(argv, RegistryEnvironment(s->options.registry));
}

void QueueJob(Server *s, Job job) {
    if (job.scenario)
        s->scenario_blocked = true;
    s->jobs.push_back(job);
    if (s->jobs.size() == 1)
        StartJob(s, &s->jobs.front());
}

// Finishes a command that changed the card's presence: at once, or after the registry runs.
void FinishPresence(Server *s, const std::string &text, int fd, bool scenario,
                    std::vector<std::vector<std::string>> steps) {
    if (!RegistryKept(*s)) {
        Finish(text, fd, scenario, true, "", {});
        return;
    }
    Job job;
    job.steps = std::move(steps);
    job.text = text;
    job.fd = fd;
    job.scenario = scenario;
    QueueJob(s, job);
}

PortReport Report(const Server &s) {
    PortReport report = s.report;
    report.inserted = s.inserted;
    report.held = s.held;
    report.link = s.options.link;
    report.pty = s.port.slave;
    if (!s.has_scenario)
        report.scenario = "none";
    else if (s.scenario.Running())
        report.scenario = "line " + std::to_string(s.scenario.Line());
    else
        report.scenario = "done";
    report.registry = !RegistryKept(s) ? "off" : s.jobs.empty() ? "idle" : "busy";
    return report;
}

} // namespace

bool RegistryKept(const Server &s) {
    return !s.options.registry.entry.empty();
}

std::string Joined(const std::vector<std::string> &words, const char *separator) {
    std::string text;
    for (const std::string &word : words)
        text += (text.empty() ? "" : separator) + word;
    return text;
}

void PollJobs(Server *s) {
    while (!s->jobs.empty()) {
        Job &job = s->jobs.front();
        int status = 127;
        if (job.pid > 0 && !ChildEnded(job.pid, &status))
            return;
        LogEvent("registry", {{"exit", std::to_string(status)}});
        if (status != 0 && job.failed_status == 0) {
            job.failed_status = status;
            job.failed_step = Joined(job.steps[job.next], " ");
        }
        if (++job.next < job.steps.size()) {
            StartJob(s, &job);
            continue;
        }
        std::string error;
        if (job.failed_status != 0)
            error = "registry update failed: '" + job.failed_step + "' exited with " +
                    std::to_string(job.failed_status);
        Finish(job.text, job.fd, job.scenario, job.failed_status == 0, error, {});
        if (job.scenario) {
            s->scenario_blocked = false;
            s->scenario.Resume(MonoMillis());
        }
        s->jobs.pop_front();
        if (!s->jobs.empty())
            StartJob(s, &s->jobs.front());
    }
}

void Execute(Server *s, const ControlCommand &command, const std::string &text, int fd,
             bool scenario) {
    std::string error, output;
    CheckHeld(s); // a tool that opened the port since the last tick counts as holding it
    switch (command.verb) {
    case ControlVerb::Status:
        Finish(text, fd, scenario, true, "", StatusLines(s->card, Report(*s)));
        return;
    case ControlVerb::Line:
        if (!ReadLineSettings(s->port, &output, &error))
            Finish(text, fd, scenario, false, error, {});
        else
            Finish(text, fd, scenario, true, "", {output});
        return;
    case ControlVerb::Set:
    case ControlVerb::Fault:
    case ControlVerb::FaultOff:
    case ControlVerb::Clear:
        output = ApplyToCard(&s->card, command);
        LogEvent(command.verb == ControlVerb::Set ? "state" : "fault", {{"change", output}});
        Finish(text, fd, scenario, true, "", {output});
        return;
    case ControlVerb::Reset:
        DropOutput(s, "reset");
        LogEvent("state", {{"change", ApplyToCard(&s->card, command)}});
        if (s->inserted) {
            Finish(text, fd, scenario, true, "", {});
        } else if (!InsertCard(s, &error)) {
            Finish(text, fd, scenario, false, error, {});
        } else {
            FinishPresence(s, text, fd, scenario, RegistryInsertion(s->options.registry));
        }
        return;
    case ControlVerb::Remove:
        if (!s->inserted) {
            Finish(text, fd, scenario, false, "card already removed", {});
            return;
        }
        RemoveCard(s);
        FinishPresence(s, text, fd, scenario, RegistryRemoval(s->options.registry));
        return;
    case ControlVerb::Insert:
        if (s->inserted)
            Finish(text, fd, scenario, false, "card already inserted", {});
        else if (!InsertCard(s, &error))
            Finish(text, fd, scenario, false, error, {});
        else
            FinishPresence(s, text, fd, scenario, RegistryInsertion(s->options.registry));
        return;
    case ControlVerb::Note:
        LogEvent("note", {{"text", command.value}});
        Finish(text, fd, scenario, true, "", {});
        return;
    case ControlVerb::Quit:
        Finish(text, fd, scenario, true, "", {});
        s->stop = true;
        return;
    case ControlVerb::Help:
        Finish(text, fd, scenario, true, "", ControlHelp());
        return;
    }
}

void ExecuteLine(Server *s, const std::string &line, int fd) {
    ControlCommand command;
    std::string error;
    if (!ParseControlCommand(line, &command, &error))
        Finish(line, fd, false, false, error, {});
    else
        Execute(s, command, line, fd, false);
}
