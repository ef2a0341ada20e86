// NULLDACL: a security descriptor with a present, empty DACL.  Sizes come from the platform
// (SECURITY_DESCRIPTOR_MIN_LENGTH, sizeof(SECURITY_ATTRIBUTES)), which differ on x86_64.
#include "kestar/base/nulldacl.h"

#include "kestar/base/logit.h"

#include <windows.h>

#include <new>

NULLDACL::NULLDACL()
{
    LOGIT::PrintfLevel(2, "NULLDACL::NULLDACL\n");
    pDescriptor = LocalAlloc(LPTR, SECURITY_DESCRIPTOR_MIN_LENGTH);
    SECURITY_ATTRIBUTES *sa = new (std::nothrow) SECURITY_ATTRIBUTES();
    pAttributes = sa;
    if (!pDescriptor || !sa) {
        ORVAK_ASSERT_QUIET(FALSE, "NULLDACL::LocalAlloc() failed");
    } else if (!InitializeSecurityDescriptor(pDescriptor, SECURITY_DESCRIPTOR_REVISION)) {
        ORVAK_ASSERT_QUIET(FALSE, "NULLDACL::InitializeSecurityDescriptor() failed");
    } else if (!SetSecurityDescriptorDacl(pDescriptor, TRUE, nullptr, FALSE)) {
        ORVAK_ASSERT_QUIET(FALSE, "NULLDACL::SetSecurityDescriptorDacl() failed");
    } else {
        sa->nLength = sizeof(SECURITY_ATTRIBUTES);
        sa->lpSecurityDescriptor = pDescriptor;
        sa->bInheritHandle = TRUE;
        Success = true;
    }
    LOGIT::PrintfLevel(2, "NULLDACL::NULLDACL created, success==%d\n", Success ? 1 : 0);
}

NULLDACL::~NULLDACL()
{
    delete static_cast<SECURITY_ATTRIBUTES *>(pAttributes);
    if (pDescriptor)
        LocalFree(pDescriptor);
}
