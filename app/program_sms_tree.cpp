#include "app/program_sms_tree.h"

#include "app/dialog_procs.h"
#include "sms/sms_tree.h"

SmsTree& ProgramSmsTree() {
    static SmsTree tree;
    return tree;
}

void ClearProgramSmsTree() {
    ClearSmsTree(ProgramSmsTree());
}
