// The other half of malloc_seam.h: the wrappers GNU ld's --wrap option sends
// malloc and free to. Unwatched, they only forward. On i686 Windows a C name
// carries a leading underscore (_malloc); ld strips it before matching, so
// --wrap=malloc catches _malloc and wants ___wrap_malloc, which is what the
// names below become.
#include "tests/wine/malloc_seam.h"

#include <cstdint>
#include <cstring>

#include <windows.h>

extern "C" {
void* __real_malloc(size_t size);
void __real_free(void* block);
void* __wrap_malloc(size_t size);
void* __wrap_calloc(size_t count, size_t size);
void __wrap_free(void* block);
}

namespace {

// Fixed storage: the bookkeeping of malloc must not call malloc.
constexpr int kMaxBlocks = 4096;

struct Watch {
    bool active = false;
    int failNth = 0;  // 0: nothing armed
    int calls = 0;
    bool failed = false;
    size_t failedSize = 0;
    int blocks = 0;
    int untracked = 0;  // blocks beyond the storage, counted as never freed
    void* block[kMaxBlocks];
};

Watch g_watch;

// Blocks placed against a page nobody may touch (see ms::Fence).
struct Fenced {
    void* block;
    void* base;
};
bool g_fencing = false;
int g_fencedCount = 0;
Fenced g_fenced[kMaxBlocks];

// A block that ends where a no-access page begins, so that touching a byte
// past its end (rounded up to 8, malloc's alignment) faults at once.
void* FencedAlloc(size_t size)
{
    if (g_fencedCount == kMaxBlocks) return __real_malloc(size);
    constexpr size_t kPage = 4096;
    const size_t rounded = (size + 7) & ~size_t{7};
    const size_t span = (rounded + kPage - 1) / kPage * kPage;
    auto* base =
        static_cast<char*>(VirtualAlloc(nullptr, span + kPage, MEM_COMMIT, PAGE_READWRITE));
    if (!base) return nullptr;
    DWORD old;
    VirtualProtect(base + span, kPage, PAGE_NOACCESS, &old);
    g_fenced[g_fencedCount] = {base + span - rounded, base};
    return g_fenced[g_fencedCount++].block;
}

bool FreeFenced(void* p)
{
    for (int i = 0; i < g_fencedCount; ++i) {
        if (g_fenced[i].block == p) {
            VirtualFree(g_fenced[i].base, 0, MEM_RELEASE);
            g_fenced[i] = g_fenced[--g_fencedCount];
            return true;
        }
    }
    return false;
}

void* Allocate(size_t size)
{
    return g_fencing ? FencedAlloc(size) : __real_malloc(size);
}

}  // namespace

void* __wrap_malloc(size_t size)
{
    if (!g_watch.active) {
        return Allocate(size);
    }
    ++g_watch.calls;
    if (g_watch.calls == g_watch.failNth) {
        g_watch.failed = true;
        g_watch.failedSize = size;
        return nullptr;
    }
    void* p = Allocate(size);
    if (p) {
        if (g_watch.blocks < kMaxBlocks) {
            g_watch.block[g_watch.blocks++] = p;
        } else {
            ++g_watch.untracked;
        }
    }
    return p;
}

// The compiler may turn a malloc followed by clearing the block into one
// calloc: it counts, and fails, as that malloc.
void* __wrap_calloc(size_t count, size_t size)
{
    if (size && count > SIZE_MAX / size) {
        return nullptr;
    }
    void* p = __wrap_malloc(count * size);
    if (p) {
        memset(p, 0, count * size);
    }
    return p;
}

void __wrap_free(void* p)
{
    if (g_watch.active && p) {
        for (int i = 0; i < g_watch.blocks; ++i) {
            if (g_watch.block[i] == p) {
                g_watch.block[i] = g_watch.block[--g_watch.blocks];
                break;
            }
        }
    }
    if (!FreeFenced(p)) __real_free(p);
}

namespace ms {

MallocWatch::MallocWatch(int failNth)
{
    g_watch.failNth = failNth > 0 ? failNth : 0;
    g_watch.calls = 0;
    g_watch.failed = false;
    g_watch.failedSize = 0;
    g_watch.blocks = 0;
    g_watch.untracked = 0;
    g_watch.active = true;
}

MallocWatch::~MallocWatch()
{
    g_watch.active = false;
}

int MallocWatch::Calls() const
{
    return g_watch.calls;
}

int MallocWatch::Live() const
{
    return g_watch.blocks + g_watch.untracked;
}

bool MallocWatch::Failed() const
{
    return g_watch.failed;
}

size_t MallocWatch::FailedSize() const
{
    return g_watch.failedSize;
}

void SetFencing(bool on)
{
    g_fencing = on;
}

}  // namespace ms
