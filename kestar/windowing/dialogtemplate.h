// DIALOGTEMPLATE: the font rewrite of an extended dialog template.  Templates are drawn in 8 pt
// "MS Shell Dlg"; on newer systems the dialog takes the system message font instead, and the item
// block moves with the longer or shorter face name.  Works on bytes only (little-endian 16-bit
// words as in the resource), so the native build tests it under the sanitizers.
#ifndef KESTAR_WINDOWING_DIALOGTEMPLATE_H
#define KESTAR_WINDOWING_DIALOGTEMPLATE_H

#include <cstddef>
#include <vector>

namespace DIALOGTEMPLATE {

// The longest face name the rewrite puts in (without the terminating zero).
const int MAX_FACE = 31;

// Rewrites the font of an extended template (second word 0xFFFF) with DS_SETFONT, no menu and no
// class, whose font is 8 pt "MS Shell Dlg", to points and face (UTF-16, zero-terminated, at most
// MAX_FACE units): the item block moves to the 4-byte boundary after the new face.  Every item is
// checked against the end of the template first.  *out always receives a template: the rewritten
// one (true), or an unchanged copy of the size bytes (false) when the template does not qualify,
// does not fit in size, or points is not above 0 or face is empty or too long.
bool RewriteFont(const unsigned char *data, size_t size, int points, const char16_t *face,
                 std::vector<unsigned char> *out);

} // namespace DIALOGTEMPLATE

#endif
