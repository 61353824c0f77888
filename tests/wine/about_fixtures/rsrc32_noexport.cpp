// A library named rsrc32.dll without the meter's export, in a folder of its
// own. Its version resource holds double-byte texts of chosen lengths for the
// version reading tests.
#include <windows.h>

extern "C" int WINAPI SomethingElse(int kind)
{
    return kind;
}
