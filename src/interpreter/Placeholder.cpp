#include "zeltro.h"
extern "C" {
FFNode* FFParse(const char*, int* status, int) { if (status) *status = 1; return nullptr; }
FFExecRecord* FFPrepareExec(FFExecRecord* r) { return r; }
int FFExec(FFNode*) { return 0; }
void FFFree(FFNode*) {}
}
