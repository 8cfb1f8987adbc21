#pragma once

// Ends the program on SIGINT or SIGTERM without leaving the temporary files
// of unfinished writes behind: the signals are taken by a thread of their
// own (not by a handler, in which almost nothing may be called), which
// removes the files and ends the program with status 128 + the signal's
// number (130, 143), as a shell reports an interrupted program.
//
// Call it before any other thread starts: threads inherit the blocked
// signals, so that only the waiting thread receives them.
void InstallInterruptCleanup();
