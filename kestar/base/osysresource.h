// Texts of the language library by number (OSYS::GetStringFromResource).  The application frame
// loads the language library and hands its module here; until then the program's own resources
// are used.  Windows only.
#ifndef KESTAR_OSYSRESOURCE_H
#define KESTAR_OSYSRESOURCE_H

#include "kestar/base/string.h"

namespace OSYS {

// The module value that stands for the language library.
inline void *const LANGUAGE_MODULE = reinterpret_cast<void *>(-1);

// Sets the language library's module (HMODULE; null = the program's own).  Borrowed: the frame
// keeps it loaded while texts are read and sets null before freeing it.  Any thread may read it.
void SetLanguageModule(void *module);
void *GetLanguageModule();

// String resource id of module (LANGUAGE_MODULE = the language library), in code page 1252, at
// most 1023 characters; "<STRING-ERROR>" when the module has no such text.
STRING GetStringFromResource(int id, void *module = LANGUAGE_MODULE);

} // namespace OSYS

#endif
