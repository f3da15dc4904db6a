#pragma once

// Ctrl-C on the command line, noted rather than ending the process, so that it can act as a
// Cancel button. Linux: a SIGINT handler (sigaction). Windows: a console control handler
// (SetConsoleCtrlHandler) for Ctrl-C and Ctrl-Break. The note is process-wide and lock-free,
// so it may be read on any thread. Nothing here fails.

// Starts noting Ctrl-C, with the note cleared; the previous handling is kept for Stop.
void StartNotingInterrupts();
// Puts the previous handling back.
void StopNotingInterrupts();
// True once Ctrl-C was pressed since Start.
bool InterruptNoted();
