// The simulator's state shared by its event loop, its control commands and the card's
// presence. Internal to `cardsim serve`.
#pragma once

#include <deque>
#include <string>
#include <sys/types.h>
#include <vector>

#include "card.h"
#include "control_command.h"
#include "pty_port.h"
#include "scenario.h"
#include "serve.h"

struct Outgoing {
    long due;
    std::string bytes;
};

struct Client {
    int fd;
    std::string in;
    long deadline;
};

// A control command that finishes when its wine runs have.
struct Job {
    std::vector<std::vector<std::string>> steps;
    size_t next = 0;
    pid_t pid = -1;
    int failed_status = 0;
    std::string failed_step;
    std::string text;
    int fd = -1;
    bool scenario = false;
};

struct Server {
    ServeOptions options;
    Card card;
    PtyPort port;
    bool inserted = false;
    bool held = false;
    PortReport report;
    std::deque<Outgoing> out;
    int listen_fd = -1;
    std::vector<Client> clients;
    std::deque<Job> jobs;
    bool has_scenario = false;
    ScenarioRunner scenario;
    bool scenario_blocked = false; // until the job it started has finished
    bool stop = false;
};

std::string Joined(const std::vector<std::string> &words, const char *separator);

// The card's registry entry is kept (--registry-entry given).
bool RegistryKept(const Server &s);

// Control commands, from a connection (fd) or from the scenario (fd -1, scenario true).
void Execute(Server *s, const ControlCommand &command, const std::string &text, int fd,
             bool scenario);
void ExecuteLine(Server *s, const std::string &line, int fd);

// Moves the running registry job on when its current wine run has ended.
void PollJobs(Server *s);

// Whether a tool holds the port, and what follows from a change.
void CheckHeld(Server *s);
void NoteHeld(Server *s, bool held, const char *cause);

void DropOutput(Server *s, const char *reason);
void RemoveCard(Server *s);
bool InsertCard(Server *s, std::string *error);
