// The setup's check of its own payload before anything is written.
#ifndef VANTOR_PAYLOAD_CHECK_H
#define VANTOR_PAYLOAD_CHECK_H

#define DAMAGED_SETUP_TEXT "The setup file is damaged. Download it again."

// Whether every payload stream is there at its packed size with the sum
// the build stored for it.
bool PayloadIntact();

#endif
