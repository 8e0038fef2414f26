#include "harness/log_file.h"

#include <cstdio>
#include <fstream>
#include <sstream>

std::string TakeLog()
{
    std::ifstream file("quavellog.txt", std::ios::binary);
    std::ostringstream content;
    content << file.rdbuf();
    file.close();
    std::remove("quavellog.txt");
    return content.str();
}
