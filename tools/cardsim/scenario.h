// Scripted sequences of control commands with pauses, and the clock that steps through them.
//
// One step a line; blank lines and lines starting with # are skipped:
//   wait DURATION            pause; DURATION in ms (1200), or with a unit (1200ms, 1.2s)
//   at TIME COMMAND          run COMMAND at TIME after the start (or the last loop); TIME in
//                            seconds (4.8), or with a unit (4.8s, 4800ms)
//   await open|close         wait until a tool holds / no tool holds the port
//   await command [AT...]    wait until a command (that one, or any) has been received
//   loop                     start again from the top
//   COMMAND                  any control command, run at once
#pragma once

#include <string>
#include <vector>

#include "control_command.h"

enum class StepKind { Run, Wait, At, Await, Loop };
enum class AwaitEvent { Open, Close, Command };

struct ScenarioStep {
    StepKind kind = StepKind::Run;
    int line = 0;
    long ms = 0;            // Wait: pause; At: time since the pass began
    ControlCommand command; // Run, At
    std::string text;       // Run, At: the command as written
    AwaitEvent event = AwaitEvent::Open;
    std::string awaited; // Await command: the command, empty for any
};

// false with "line N: why" in `error` when a line makes no sense.
bool ParseScenario(const std::string &text, std::vector<ScenarioStep> *steps, std::string *error);

// Steps through a scenario against a clock in milliseconds. Times are kept from when each step
// was due, not from when it ran, so pauses do not drift.
class ScenarioRunner {
  public:
    void Start(std::vector<ScenarioStep> steps, long now);

    // The next step with a command to run now, or null while waiting or when done. Call until
    // it returns null.
    const ScenarioStep *Next(long now);

    // Something the scenario may be waiting for has happened; true when it ended a wait.
    bool Notice(AwaitEvent event, const std::string &command, long now);

    // Something outside the runner (a slow command) took time: later pauses count from now.
    void Resume(long now);

    // Milliseconds until Next may return a step; -1 when waiting for an event or done.
    long Due(long now) const;

    bool Running() const {
        return index_ < steps_.size();
    }
    int Line() const {
        return Running() ? steps_[index_].line : 0;
    }

  private:
    std::vector<ScenarioStep> steps_;
    size_t index_ = 0;
    long clock_ = 0;      // when the current step's predecessor was due
    long pass_start_ = 0; // when the current pass began
    bool armed_ = false;  // the current await step has been reached
    bool seen_ = false;   // and its event has happened
    long seen_at_ = 0;
};
