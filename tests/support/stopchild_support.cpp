// The scratch folder of orderly-stop death tests (stopchild_support.h).
#include "tests/support/stopchild_support.h"

#include "kestar/base/logit.h"

#include <gtest/gtest.h>

#include <cstdlib>

namespace {

const char kVariable[] = "PLX_CHILD_FOLDER";

void SetVariable(const char *value)
{
#if defined(_WIN32)
    _putenv_s(kVariable, value ? value : "");
#else
    if (value)
        setenv(kVariable, value, 1);
    else
        unsetenv(kVariable);
#endif
}

} // namespace

STOPCHILDFOLDER::STOPCHILDFOLDER()
{
    GTEST_FLAG_SET(death_test_style, "threadsafe");
    const char *inherited = std::getenv(kVariable);
    if (inherited == nullptr || *inherited == 0) {
        folder.reset(new TEMPFOLDER);
        SetVariable(folder->Path().c_str());
    }
}

STOPCHILDFOLDER::~STOPCHILDFOLDER()
{
    if (folder)
        SetVariable(nullptr);
}

void STOPCHILDFOLDER::InChild()
{
    const char *path = std::getenv(kVariable);
    if (path && *path)
        ChangeFolderForTest(path);
    LOGIT::HandleSwitch("/LOGIT:STDERR");
}
