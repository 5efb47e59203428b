// What an installation already on the machine asks of a new run: the
// links go where its links are, and a newer version is not replaced
// unasked.
#ifndef VANTOR_EARLIER_INSTALL_H
#define VANTOR_EARLIER_INSTALL_H

#define DOWNGRADE_FORMAT \
    "%s %s is installed, newer than this setup's %s.\r\n\r\nReplace it with the older version?"

// Chooses links for all users when asked, when the setup runs as
// LocalSystem (whose own Start menu nobody sees), or when the earlier
// installation made them so, and logs that choice. Then whether the run
// may go on: true unless the installed version is newer and the user,
// asked, keeps it (nobody there to ask keeps it too).
bool MeetEarlierInstallation();

#endif
