#include "harness/json_report.h"

#include <cstdio>

namespace {

std::string FormatNumber(double value)
{
    char text[64];
    snprintf(text, sizeof text, "%.3f", value);
    return text;
}

// Only paths and short messages pass through here: quotes and backslashes
// are the characters that occur.
std::string Escape(const std::string& value)
{
    std::string escaped;
    for (size_t index = 0; index < value.size(); ++index) {
        char character = value[index];
        if (character == '"' || character == '\\')
            escaped += '\\';
        escaped += character;
    }
    return escaped;
}

}  // namespace

void JsonReport::Key(const char* key)
{
    body_ += body_.empty() ? "{" : ", ";
    body_ += "\"";
    body_ += key;
    body_ += "\": ";
}

void JsonReport::Number(const char* key, double value)
{
    Key(key);
    body_ += FormatNumber(value);
}

void JsonReport::Text(const char* key, const std::string& value)
{
    Key(key);
    body_ += "\"" + Escape(value) + "\"";
}

void JsonReport::Samples(const char* key, const std::vector<double>& values)
{
    Key(key);
    body_ += "[";
    for (size_t index = 0; index < values.size(); ++index) {
        if (index > 0)
            body_ += ",";
        body_ += FormatNumber(values[index]);
    }
    body_ += "]";
}

void JsonReport::Print() const
{
    printf("%s}\n", body_.empty() ? "{" : body_.c_str());
    fflush(stdout);
}
