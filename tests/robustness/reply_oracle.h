#pragma once

#include <string>

#include "fuzz_message.h"

// What the command table allows as the reply to a message, from a model of
// the agent kept by the test: which channels hold a file, whether their last
// open failed, and their loop flags. Written independently of the agent's
// code.
class ReplyOracle {
public:
    explicit ReplyOracle(const FuzzFiles& files);

    // Tells the model what the test set up outside the fuzzing.
    void ChannelLoaded(int channel, bool loaded);
    void LoopSet(int channel, bool loop);

    // Checks the reply and advances the model. On a mismatch returns false
    // and says why.
    bool Check(const FuzzMessage& message, long long reply, std::string* why);

private:
    struct Channel {
        bool loaded = false;
        bool openFailed = false;
        bool loop = false;
    };

    bool CheckCommand(int code, const std::string& text, long long reply, std::string* why);

    Channel channels_[2];
    FuzzFiles files_;
};

// The argument as the agent must read it: up to the first NUL or the byte
// count, whichever comes first; none at all without a data pointer.
std::string TextTheAgentSees(const FuzzMessage& message);
