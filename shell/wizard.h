// The fixed chain of wizard pages and the finish.
#ifndef VANTOR_WIZARD_H
#define VANTOR_WIZARD_H

#include <windows.h>

INT_PTR CALLBACK WelcomeProc(HWND page, UINT message, WPARAM wParam, LPARAM lParam);

void RunLicensePage(HWND backdrop);
void RunLocationPage(HWND backdrop);
void RunInstallPage(HWND backdrop);
void RunGroupPage(HWND backdrop);
void FinishInstall(HWND backdrop);
// Shows the read-me while the backdrop is minimised. True when its window
// was left in front: the backdrop then stays minimised to the end.
bool ViewReadMe(HWND backdrop);

#endif
