#pragma once

// The names quavelctl accepts for the protocol's commands.

enum class ArgumentKind { None, Text, Number };

struct CommandName {
    const char* name;
    int code;
    ArgumentKind argument;
};

// The command called `name`, or null.
const CommandName* FindCommandName(const char* name);

// Lists every name with its code, for the usage text.
void PrintCommandNames();
