// Whether a folder that exists already may stand in the destination's
// path: judged from its owner and access list as the system writes them
// out as text ("O:owner" then "D:flags(entry)(entry)..."), so that the rule
// needs no Windows and is tested on its own.
#ifndef VANTOR_ACCESS_RULES_H
#define VANTOR_ACCESS_RULES_H

// What changes a folder or what is in it: write data or add a file, append
// or add a subfolder, delete a child, delete, change the list, take
// ownership; and generic write, generic all and maximum allowed, which
// include them.
enum : unsigned long {
    kChangingRights = 0x2ul | 0x4ul | 0x40ul | 0x10000ul | 0x40000ul | 0x80000ul | 0x2000000ul |
                      0x10000000ul | 0x40000000ul,
};

// True when nobody but Administrators, SYSTEM, TrustedInstaller and self
// (the running account, as the same text names it) can change the folder:
// one of them owns it, it has a list, and no entry that applies to it lets
// anyone else change it. With filesToo, entries passed on to files count
// as well: the files made in the folder will carry them. A text that does
// not read as expected answers false.
bool KeptFromUsers(const char* descriptor, const char* self, bool filesToo);

// Whether the account, its SID as text, is LocalSystem, as deployment
// tools run setups. False for null.
bool IsLocalSystem(const char* self);

#endif
