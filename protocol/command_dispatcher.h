#pragma once

// Carries out one host command on AgentState and returns the reply for the
// copy-data message. Codes above 20 address the second channel by their low
// five bits; codes outside the table reply 0 and change nothing. A null
// argument reads as an empty text.
int HandleCommand(int code, const char* argument);
