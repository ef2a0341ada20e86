// Orderly stops (exit code 42) seen from a death test: gtest runs the test body again in a child
// program.  The parent makes a scratch folder and hands it down in the environment; the child
// works there (for its assert.log) and logs to the standard error, which the parent matches.
#ifndef TESTS_SUPPORT_STOPCHILD_SUPPORT_H
#define TESTS_SUPPORT_STOPCHILD_SUPPORT_H

#include <memory>

#include "tests/support/tempfolder_support.h"

class STOPCHILDFOLDER {
public:
    // In the parent: makes the scratch folder and sets "threadsafe" death tests.
    STOPCHILDFOLDER();
    ~STOPCHILDFOLDER();
    STOPCHILDFOLDER(const STOPCHILDFOLDER &) = delete;
    STOPCHILDFOLDER &operator=(const STOPCHILDFOLDER &) = delete;
    // Called first in the child's statement.
    static void InChild();

private:
    std::unique_ptr<TEMPFOLDER> folder; // owned; only in the parent
};

#endif
