#pragma once

// Why an extraction ends before its last entry: a signal asked it to
// (SIGTERM, SIGINT or SIGHUP), or the destination's disk is full and every
// further write would fail as well. Workers look between entries and between
// blocks of an entry, so a stop takes effect within one block.
namespace StopRequest {

// Catches the signals that ask a program to end, instead of dying with a
// half-written entry and no summary.
void catchEndSignals();

bool isRequested();
// The signal that asked for the stop, or 0.
int signal();
bool isDiskFull();
void requestForFullDisk();

// Ends the process by the signal that stopped it, as if it had not been
// caught, so the caller sees how it ended.
[[noreturn]] void endBySignal();

} // namespace StopRequest
