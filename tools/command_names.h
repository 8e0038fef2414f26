#pragma once

#include <cstdio>

// The names quavelctl accepts for the protocol's commands.

enum class ArgumentKind { None, Text, Number };

struct CommandName {
    const char* name;
    int code;
    ArgumentKind argument;
};

// The command called `name`, or null.
const CommandName* FindCommandName(const char* name);

// Lists every name with its code on `out`, for the usage text.
void PrintCommandNames(FILE* out);
