#pragma once
// The program from start to end: one running copy, the frame, then the main panel.

// Returns the process's exit code, always 0.
int RunProgram(int argc, char** argv);
