#pragma once

// Shows the file name in a message box and, once it is closed, plays the
// file on the first channel for two seconds. `file` is taken verbatim.
void RunTestMode(const char* file);
