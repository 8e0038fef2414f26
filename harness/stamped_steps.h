#pragma once

#include <windows.h>

#include <string>
#include <vector>

class JsonReport;

// A script of steps run against something that answers command codes (the
// agent through its window, or a bare graph), each command stamped on the
// wall clock the recorder stamps what it hears with. Both the agent's host
// and the bare baselines run scripts through this, so the same analysis
// reads either.
//
// Steps, in order: "CODE" or "CODE=ARGUMENT" sends the command; "sleep=MS"
// waits; "poll=CODE/MS/EVERY" sends CODE every EVERY ms for MS ms. Any step
// the target handles itself (Target::Step) comes first.
class StampedSteps {
public:
    class Target {
    public:
        virtual ~Target() {}
        // The reply to `code`; false when the command could not be sent.
        virtual bool Send(int code, const char* argument, int* reply) = 0;
        // Handles a step of its own; false to leave it to the script.
        virtual bool Step(const char*, bool* ok) { (void)ok; return false; }
        // Waits `ms` for "sleep=" and between polls; a target that takes
        // messages as they come waits its own way.
        virtual void Wait(DWORD ms) { Sleep(ms); }
        // Adds what the target itself recorded to the report, its stamps in
        // milliseconds since `baseS`.
        virtual void Report(JsonReport&, double baseS) const { (void)baseS; }
    };

    explicit StampedSteps(Target& target);

    // Runs every step; false (with the failed step on standard error) when
    // one could not be done.
    bool Run(int count, char** steps);
    // The JSON report: "base_s" (a whole wall-clock second), then per
    // command, in order: "code", "reply", "sent_ms" and "answered_ms"
    // (milliseconds since base_s, just before the send and just after the
    // reply); then what the target adds.
    void Print() const;

private:
    bool Send(int code, const char* argument);
    bool Poll(const char* codeForEvery);
    bool Step(const char* step);

    Target& target_;
    double baseS_;
    std::vector<double> codes_, replies_, sentMs_, answeredMs_;
};
