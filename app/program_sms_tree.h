#pragma once
// The end of the program's message tree's life (ProgramSmsTree is in shell/dialog_procs.h).

void ClearProgramSmsTree();
