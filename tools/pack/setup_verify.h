// The check of a finished setup against its sources: every payload
// resource decodes to exactly the bytes of the file it was packed from,
// and the generated manifest holds their sizes.
#ifndef VANTOR_SETUP_VERIFY_H
#define VANTOR_SETUP_VERIFY_H

// pairs holds count/2 pairs RESOURCE SOURCE, any of the setup's. Each
// difference is named on stderr; a setup that has any is renamed to
// SETUP.rejected, so that it cannot be shipped by mistake. Answers the
// exit code: 0 when all agree, 1 otherwise.
int VerifySetup(const char* setup, const char* manifest, int count, char** pairs);

#endif
