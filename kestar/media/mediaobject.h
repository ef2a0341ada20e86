// MEDIAOBJECT, the common base of sounds and fax images: a format text plus the media bytes.
//
// The format text has two blank-separated words, the kind and a keyword with a parameter after
// a colon: "SOUND WAV16:8000" (a sound and its sample rate), "IMAGE SFF:" (an image).  Every
// family converts through one base keyword ("BASE"); the subclasses say how.
#ifndef KESTAR_MEDIAOBJECT_H
#define KESTAR_MEDIAOBJECT_H

#include "kestar/base/binary.h"
#include "kestar/base/string.h"

class MEDIAOBJECT {
public:
    // An empty object: Data has no buffer yet, grows in blocks of blocksize and doubles its block
    // size as it grows (STRINGFLAG_DYNABLOCK).  format may be null (no format text).
    MEDIAOBJECT(const char *format, STRING_SIZE_T blocksize);
    // The same, holding a copy of length bytes (bytes may be null when length is 0).
    MEDIAOBJECT(const void *bytes, STRING_SIZE_T length, const char *format, STRING_SIZE_T blocksize);
    virtual ~MEDIAOBJECT();
    MEDIAOBJECT(const MEDIAOBJECT &) = delete;
    MEDIAOBJECT &operator=(const MEDIAOBJECT &) = delete;

    // Reads a file into the object; true on success.
    virtual bool Load(const char *filename) = 0;
    // Writes the object to a file; true only when every byte was written.
    virtual bool Save(const char *filename) const = 0;
    // The file extension of the object's format, without the dot.
    virtual STRING GetExtension() const = 0;

    // Replaces the format text and the data by copies of other's (nothing happens for itself).
    void Assign(const MEDIAOBJECT &other);

    // Word 0 of the format text ("SOUND", "IMAGE"); NULL without format text.
    STRING GetKind() const;
    // The keyword of the format text ("WAV16", "BASE"); NULL when there is none.
    STRING GetKeyword() const;
    // The parameter after the keyword's colon ("8000" for a sound's rate); NULL when there is none.
    STRING GetParameter() const;

    STRING Format; // the format text, code page 1252
    BINARY Data;   // the media bytes
};

#endif
