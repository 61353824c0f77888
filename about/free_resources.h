#ifndef TESSALY_ABOUT_FREE_RESOURCES_H
#define TESSALY_ABOUT_FREE_RESOURCES_H

// The free share of system, GDI and USER resources in per cent, as the
// resource meter of Windows 9x ("rsrc32.dll") reports them. Each out argument
// that is not null is filled, in that order. Returns 1 when the meter could be
// asked, 0 where there is none (every other system): nothing is filled then.
// The library is loaded from the system folder, never by name from wherever
// the search would find one, for this one query, and freed again.
int GetFreeResources(int* system, int* gdi, int* user);

#endif
