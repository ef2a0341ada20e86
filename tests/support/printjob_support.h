// Printing from several test programs at once.  Wine numbers print jobs per process and spools
// job n of every process into the same file of the prefix, so two programs that start documents
// at the same time collide (StartDoc fails with a sharing violation).  A PRINTJOBLOCK holds a
// named mutex, which spans the Wine prefix, while a test has documents open.  Windows only.
#ifndef TESTS_SUPPORT_PRINTJOB_SUPPORT_H
#define TESTS_SUPPORT_PRINTJOB_SUPPORT_H

#if defined(_WIN32)

class PRINTJOBLOCK {
public:
    // Waits at most timeoutMs for the lock; Held() tells whether it was had.
    explicit PRINTJOBLOCK(int timeoutMs = 120000);
    ~PRINTJOBLOCK();
    PRINTJOBLOCK(const PRINTJOBLOCK &) = delete;
    PRINTJOBLOCK &operator=(const PRINTJOBLOCK &) = delete;

    bool Held() const { return held; }

private:
    void *mutex; // owned: the named mutex
    bool held;
};

#endif

#endif
