#pragma once

#include <string>
#include <vector>

// One JSON object on stdout: how every bench program hands its raw figures
// to the runner, which does all the statistics in one place.
class JsonReport {
public:
    void Number(const char* key, double value);
    void Text(const char* key, const std::string& value);
    void Samples(const char* key, const std::vector<double>& values);
    void Print() const;

private:
    void Key(const char* key);

    std::string body_;
};
