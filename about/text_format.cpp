#include "about/text_format.h"

#include <cstdarg>
#include <cstdio>

#include "app/sjis_path.h"

int TextFormat(char* buffer, int size, const char* format, ...)
{
    if (!buffer || size <= 0) return 0;
    va_list args;
    va_start(args, format);
    const int wanted = vsnprintf(buffer, static_cast<size_t>(size), format, args);
    va_end(args);
    if (wanted < 0) {
        buffer[0] = '\0';
        return 0;
    }
    if (wanted < size) return 1;
    const int last = size - 2;
    if (last >= 0 && SjisByteKind(buffer, last) == 1) buffer[last] = '\0';
    return 0;
}
