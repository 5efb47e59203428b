// The setup started with arguments: the list of switches, refusals of the
// command line, the log, and the unattended run (/S, /PASSIVE) that takes
// from the command line or the earlier installation what the pages ask.
#ifndef VANTOR_UNATTENDED_H
#define VANTOR_UNATTENDED_H

#include <windows.h>

// The interactive wizard, as started without arguments; its exit code.
int RunWizard(int showCommand);

// Everything a command line asks for; the exit code.
int RunCommandLine(const char* arguments, int showCommand);

#endif
