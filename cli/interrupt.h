#pragma once

// Ctrl+C, SIGTERM, and on Windows a closed console: the commands stop before their next
// request and say how far they got.
void catchInterrupts();
bool interrupted();
// The report is out; on Windows a closing console may now end the process.
void interruptReported();
