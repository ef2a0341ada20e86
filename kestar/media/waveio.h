// The platform's part of WAVE file access: reading the body of a file's RIFF WAVE form and
// writing a complete mono file.  Windows goes through mmio (waveio_win32.cpp); the native build
// uses stdio (waveio_posix.cpp).  The layout inside the form is checked by RIFFWAVE on both.
#ifndef KESTAR_WAVEIO_H
#define KESTAR_WAVEIO_H

#include "kestar/base/binary.h"
#include "kestar/media/riffwave.h"

namespace WAVEIO {

// Replaces body by the bytes of the file's RIFF form after the form type "WAVE".  WAVE_UNREADABLE
// when the file cannot be opened or read, WAVE_NOTRIFF when it holds no RIFF WAVE form,
// WAVE_TRUNCATED when the form's size reaches past the end of the file.  body is unchanged on
// failure.  Logs one line on failure.
RIFFWAVE::RESULT ReadForm(const char *filename, BINARY *body);

// Writes a RIFF WAVE file of one "fmt " chunk (18 bytes, from fmt) and one "data" chunk with the
// given bytes, replacing an existing file.  true only when every byte was written and the file
// was closed; a file that could not be written completely is removed.  A file that cannot be
// created is the assertion failure "hmmio".
bool Write(const char *filename, const RIFFWAVE::FMT &fmt, const BINARY &data);

} // namespace WAVEIO

#endif
