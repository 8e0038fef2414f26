#pragma once

#include <string>

// "--name value" pairs from a bench program's command line; anything absent
// takes the default the program names.
class Options {
public:
    Options(int argc, char** argv);

    int Number(const char* name, int fallback) const;
    std::string Text(const char* name, const char* fallback) const;

private:
    const char* Find(const char* name) const;

    int argc_;
    char** argv_;
};
