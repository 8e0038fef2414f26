#include "harness/options.h"

#include <cstdlib>
#include <cstring>

Options::Options(int argc, char** argv) : argc_(argc), argv_(argv) {}

const char* Options::Find(const char* name) const
{
    for (int index = 1; index + 1 < argc_; ++index) {
        if (strcmp(argv_[index], name) == 0)
            return argv_[index + 1];
    }
    return NULL;
}

int Options::Number(const char* name, int fallback) const
{
    const char* value = Find(name);
    return value ? atoi(value) : fallback;
}

std::string Options::Text(const char* name, const char* fallback) const
{
    const char* value = Find(name);
    return value ? value : fallback;
}
