// A page reader of the fax-command recognition.
#include "client/reader.h"

Reader::Reader(const char *filename) : fileName(filename)
{
}

Reader::~Reader() = default;
