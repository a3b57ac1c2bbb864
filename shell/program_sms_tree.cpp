#include "shell/program_sms_tree.h"

#include "shell/dialog_procs.h"
#include "sms/sms_tree.h"

SmsTree& ProgramSmsTree() {
    static SmsTree tree;
    return tree;
}

void ClearProgramSmsTree() {
    ClearSmsTree(ProgramSmsTree());
}
