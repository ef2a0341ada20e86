// OSYS::MatchWildcard: the file-name patterns of folder listings and searches.
#ifndef KESTAR_OSYSWILDCARD_H
#define KESTAR_OSYSWILDCARD_H

namespace OSYS {

// Case-insensitive wildcard match: "?" one character, "*" any run of characters (also none).
bool MatchWildcard(const char *name, const char *pattern);

} // namespace OSYS

#endif
