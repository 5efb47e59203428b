// The access list of every folder the setup makes. A folder made under a
// drive's root inherits a list that lets every signed-in user change what
// is inside, and the administrator later runs what lies there: the setup's
// folders carry a list of their own instead, as Program Files does.
#ifndef VANTOR_FOLDER_ACCESS_H
#define VANTOR_FOLDER_ACCESS_H

// Protected (nothing inherited from above); SYSTEM and Administrators full
// control, Users read and execute; each entry passed on to subfolders and
// files.
#define PROTECTED_FOLDER_SDDL \
    "D:PAI(A;OICI;FA;;;SY)(A;OICI;FA;;;BA)(A;OICI;0x1200a9;;;BU)"

// The list above as a security descriptor, to be released with LocalFree;
// null when the system cannot build it.
void* MakeProtectedFolderDescriptor();

// Creates one folder carrying the list from its first moment; false when
// it was not made (among other reasons, because it is there already).
bool CreateProtectedFolder(const char* folder);

// Whether the program runs as LocalSystem.
bool RunsAsLocalSystem();

// Whether nobody but Administrators, SYSTEM, TrustedInstaller and the
// account that runs the setup can change the folder open at the handle
// (with read-control access); with filesToo, the files made in it either.
// False also when the folder's list cannot be read.
bool IsKeptFromUsers(void* folder, bool filesToo);

#endif
