#ifndef TESSALY_TESTS_WINE_GDI_SEAM_H
#define TESSALY_TESTS_WINE_GDI_SEAM_H

// Makes SaveDC fail on demand, without a line of product code knowing. A
// program that links gdi_seam.cpp gets its import of SaveDC from there: every
// call of SaveDC in the program's own objects and static libraries goes
// through a forwarder to gdi32's SaveDC, which answers 0 while a
// FailingSaveDC lives. Wine's SaveDC never fails otherwise (it needs no GDI
// handle), but Windows' may run out of GDI memory.

namespace gs {

class FailingSaveDC {
public:
    FailingSaveDC();
    ~FailingSaveDC();
    FailingSaveDC(const FailingSaveDC&) = delete;
    FailingSaveDC& operator=(const FailingSaveDC&) = delete;

    int Calls() const;  // SaveDC calls refused so far
};

} // namespace gs

#endif
