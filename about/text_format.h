#ifndef TESSALY_ABOUT_TEXT_FORMAT_H
#define TESSALY_ABOUT_TEXT_FORMAT_H

// Formats like printf into `buffer`: at most size - 1 bytes and always a
// terminating zero. A text that does not fit is cut so that it never ends in
// the lead byte of a double-byte (Shift-JIS) character. Returns 1 when the
// whole text fit, 0 when it was cut (or there was no room at all).
int TextFormat(char* buffer, int size, const char* format, ...)
    __attribute__((format(printf, 3, 4)));

#endif
