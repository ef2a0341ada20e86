// JOBSCAN reads a print job as the fax printer driver writes it (a stream of bracketed records
// with raw scan lines) and rebuilds its pages in the base form of fax images: one 1-bit BMP file
// per "[ENDPAGE]", 1728 dots wide.  Pure code on bytes: the port monitor's EndDocPort gives it
// the job buffer, and the native tests and the fuzzer drive it directly.
#ifndef PORTMONITOR_JOBSCAN_H
#define PORTMONITOR_JOBSCAN_H

#include <cstddef>
#include <cstdint>
#include <memory>

#include "kestar/media/baseform.h"
#include "kestar/media/baseimage.h"

class JOBSCAN {
public:
    static const int kBytesPerLine = 216; // 1728 dots, 8 to a byte, leftmost in the top bit
    static const int kMaxLines = 32768;   // lines of one page: the size of the line table
    // The largest page image: a job that would build more is not converted at all, rather than
    // sent with pages missing (a 32-bit spooler has little room).
    static const size_t kMaxImageBytes = BASEFORM::kMaxImageBytes;
    // The limit in force (kMaxImageBytes unless a test lowered it).
    static void SetImageLimit(size_t bytes);
    static size_t GetImageLimit();

    JOBSCAN();
    JOBSCAN(const JOBSCAN &) = delete;
    JOBSCAN &operator=(const JOBSCAN &) = delete;

    // Scans length bytes from the start and builds the pages; replaces the result of an earlier
    // run.  false when the page image cannot be kept (past kMaxImageBytes, or out of memory): the
    // page image is then empty and IsConverted() false.
    bool Run(const unsigned char *bytes, size_t length);

    // The job is valid when a "[BEGINDOC]" came after the last unknown record.
    bool IsValid() const { return Valid; }
    // false when the page image could not be kept (see Run).
    bool IsConverted() const { return Converted; }
    // The pages as "IMAGE BASE:" (block 500000).  Borrowed: valid until the next Run.
    const BASEIMAGE &GetPages() const { return Pages; }
    int GetPageCount() const { return Pages.GetPageCount(); }

private:
    void Reset();
    // The record at pos (a "["); returns where the scan goes on.
    size_t Record(const unsigned char *bytes, size_t length, size_t pos);
    void AddBlankLines(long long count);
    void AddLine(const unsigned char *line);
    bool EndPage();

    int BytesPerLine;  // 0 until a "[BEGINPAGE]", then kBytesPerLine
    int LineCount;     // lines collected for the current page
    int Resolution;    // 0 normal, 1 fine
    bool Valid;
    bool Converted;
    bool LimitLogged;  // the line limit of the current page was reported
    // Owned, kMaxLines entries for one run: each points to a scan line inside the job bytes or
    // to a shared blank line, so a page of blank lines costs no memory until it is written.
    std::unique_ptr<const unsigned char *[]> Lines;
    BASEIMAGE Pages;
};

#endif
