// A very short critical section (the string buffer pool, the per-type sort sections).  Not
// copyable; the section lives on the heap and is owned by this object.
#ifndef KESTAR_CRITSECT_H
#define KESTAR_CRITSECT_H

class CRITSECT {
public:
    CRITSECT();
    ~CRITSECT();
    CRITSECT(const CRITSECT &) = delete;
    CRITSECT &operator=(const CRITSECT &) = delete;

    void Enter();
    void Leave();

private:
    void *pCritSect; // owned: the platform's critical section
};

// Holds a CRITSECT for one scope.
class CRITSECTHOLD {
public:
    explicit CRITSECTHOLD(CRITSECT &section) : Section(section) { Section.Enter(); }
    ~CRITSECTHOLD() { Section.Leave(); }
    CRITSECTHOLD(const CRITSECTHOLD &) = delete;
    CRITSECTHOLD &operator=(const CRITSECTHOLD &) = delete;

private:
    CRITSECT &Section; // borrowed: outlives the holder
};

#endif
