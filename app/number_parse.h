#ifndef TESSALY_APP_NUMBER_PARSE_H
#define TESSALY_APP_NUMBER_PARSE_H

// Decimal numbers in settings text. They accept what sscanf's "%d" and
// "%d, %d" accept, but a number too large for an int saturates to INT_MIN or
// INT_MAX instead of being undefined, so the caller's clamping still applies.

// Optional white space, an optional sign, at least one digit; what follows is
// ignored. Returns the count of numbers read: 0 or 1.
int NumberScanInt(const char* text, int* value);

// A number, a comma straight after its digits, any white space (or none), a
// second number; what follows is ignored. Returns the count of numbers read,
// 0, 1 or 2, filling as many outputs as it read.
int NumberScanPair(const char* text, int* first, int* second);

#endif
