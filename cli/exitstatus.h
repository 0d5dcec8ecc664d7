#pragma once

// The program's exit status, the same for every command; scripts rely on these numbers.
enum ExitStatus {
    ExitOk = 0,
    ExitDevice = 1,         // the device refused or answered wrongly
    ExitUsage = 2,          // bad usage or bad input; nothing was sent
    ExitLink = 3,           // the port could not be used, no reply, bad checksum
    ExitInterrupted = 130,  // Ctrl+C or SIGTERM, as shells report a command ended by SIGINT
};
