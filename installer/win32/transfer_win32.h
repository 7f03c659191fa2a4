// The transfer as the installer window runs it: the Win32 process and pipe
// routines behind the portable transfer loop.
#pragma once

#include <string>

#include "installer/transfer_window.h"

// Create and release the module-level transfer records (program start and exit).
void InitTransferRecords();
void FreeTransferRecords();

// Runs one whole transfer of the file box's text to the address, showing the
// sender's output in window; returns when the sender has ended, a check failed,
// or the window went away.
void RunTransfer(TransferWindow& window, const std::string& address, const std::string& filePath);
