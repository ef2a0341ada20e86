// Compression over zlib: ZSTREAM deflates into a STRING, and the frame's gzip helper copies a file
// into a gzip file (the crash dumps are sent compressed).
#ifndef KESTAR_ZSTREAM_H
#define KESTAR_ZSTREAM_H

#include <zlib.h>

#include "kestar/base/string.h"

// One deflate stream.  The caller initialises it (Init, or deflateInit on Stream and setting
// Active), hands it input (Write, or deflate on Stream and setting Pending) and ends it with
// Finish.  Not copyable: zlib's state belongs to exactly one stream record.
class ZSTREAM {
public:
    ZSTREAM();
    // Close: an unfinished stream is finished into nothing and ended.
    ~ZSTREAM();
    ZSTREAM(const ZSTREAM &) = delete;
    ZSTREAM &operator=(const ZSTREAM &) = delete;

    // deflateInit with the level (Z_DEFAULT_COMPRESSION, 0-9); false when zlib refuses.  An
    // active stream is ended first.
    bool Init(int level = Z_DEFAULT_COMPRESSION);
    // Deflates len bytes and appends all the output produced so far to out; false on a zlib error
    // or without an active stream (out then holds what was produced before the error).
    bool Write(const void *data, unsigned len, STRING &out);
    // Ends an active stream (its output is lost), clears the stream record and both flags.
    void Reset();
    // Deflates with Z_FINISH, appending every output block to out, until zlib reports the end of
    // the stream; then ends the stream.  True only when the end was reached (out then holds the
    // whole compressed tail, however long).
    bool Finish(STRING &out);
    // deflateEnd; pending output is dropped.
    void End();
    // Finishes pending output into a scratch STRING that is dropped, and ends an active stream.
    void Close();

    z_stream Stream; // zlib's stream record; its state is owned while Active is set
    int Pending;     // input was given that may still have output due; cleared by Finish and End
    int Active;      // deflateInit succeeded and deflateEnd has not run yet
};

namespace ORVAKAPP {

// Copies source into a new gzip file target (blocks of 4096 bytes).  True only when the source was
// read to its end, every block was written and the gzip file was closed without error.  On failure
// a target that this call created is removed; a file that existed before is left (truncated).
bool GzipFile(const char *source, const char *target);

} // namespace ORVAKAPP

#endif
