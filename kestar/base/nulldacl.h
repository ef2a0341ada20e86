// Security attributes that let every user's process open an object (a null DACL); the mailslots
// use them.  Windows only.  When building the descriptor fails, the object still works and hands
// out no attributes, which means the default security.
#ifndef KESTAR_NULLDACL_H
#define KESTAR_NULLDACL_H

class NULLDACL {
public:
    NULLDACL();
    ~NULLDACL();
    NULLDACL(const NULLDACL &) = delete;
    NULLDACL &operator=(const NULLDACL &) = delete;

    // The SECURITY_ATTRIBUTES record to pass to a Create... call (inherit handle TRUE), or null
    // (default security) when the descriptor could not be built.  Owned by this object.
    void *Attributes() const { return Success ? pAttributes : nullptr; }

    bool Success = false;

private:
    void *pDescriptor = nullptr; // owned (LocalAlloc): the security descriptor
    void *pAttributes = nullptr; // owned: the SECURITY_ATTRIBUTES record
};

#endif
