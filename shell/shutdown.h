#pragma once

// Ends a service run: the second channel stops at once, a playing first
// channel fades out in 2 percent steps every 100 ms, then the window and both
// channels go. No messages are processed meanwhile.
void ShutDown();
