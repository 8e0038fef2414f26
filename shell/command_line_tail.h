#pragma once

// What follows the program name on a process command line: the name (up to
// the closing double quote when it starts with one, else up to the first byte
// of value 0x20 or less) and then every byte of value 0x20 or less are
// skipped. Trailing blanks stay. Points into `commandLine`.
const char* CommandLineTail(const char* commandLine);
