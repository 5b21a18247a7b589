#pragma once

// A loopback port for a benchmark's own mosquitto, and waiting until it listens there.

// A port of 127.0.0.1 that was free a moment ago.
int benchFreePort();
// True once something accepts connections on the port of 127.0.0.1; gives up after about 15 s.
bool benchWaitUntilListening(int port);
