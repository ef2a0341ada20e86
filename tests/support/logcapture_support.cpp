// Log capture for tests (see logcapture_support.h).
#include "tests/support/logcapture_support.h"

#include "kestar/base/logit.h"

namespace {

// The rest of the line that starts at pos (without CR or LF).
std::string LineFrom(const std::string &text, size_t pos)
{
    size_t end = text.find_first_of("\r\n", pos);
    return text.substr(pos, end == std::string::npos ? std::string::npos : end - pos);
}

} // namespace

LOGCAPTURE::LOGCAPTURE(int level) : oldLevel(LOGIT::GetLogitLevel())
{
    LOGIT::Close();
    LOGIT::SetLogitLevel(level);
    oldFolder = CurrentFolderForTest();
    ChangeFolderForTest(folder.Path());
    logName = folder.File("capture.log");
    LOGIT::HandleSwitch(("/LOGIT:" + logName).c_str());
}

LOGCAPTURE::~LOGCAPTURE()
{
    LOGIT::Close();
    LOGIT::SetLogitLevel(oldLevel);
    ChangeFolderForTest(oldFolder);
}

const std::string &LOGCAPTURE::Text()
{
    if (!closed) {
        LOGIT::Close();
        text = ReadWholeFile(logName);
        closed = true;
    }
    return text;
}

std::vector<std::string> LOGCAPTURE::Conditions()
{
    static const std::string tag = "Condition: ";
    std::vector<std::string> out;
    const std::string &all = Text();
    for (size_t pos = all.find(tag); pos != std::string::npos; pos = all.find(tag, pos + 1))
        out.push_back(LineFrom(all, pos + tag.size()));
    return out;
}

std::string LOGCAPTURE::InfoOf(const std::string &condition)
{
    static const std::string tag = "Condition: ";
    static const std::string infoTag = "Add. Info: ";
    const std::string &all = Text();
    for (size_t pos = all.find(tag); pos != std::string::npos; pos = all.find(tag, pos + 1)) {
        if (LineFrom(all, pos + tag.size()) != condition)
            continue;
        size_t info = all.find(infoTag, pos);
        if (info == std::string::npos)
            return "<none>";
        return LineFrom(all, info + infoTag.size());
    }
    return "<none>";
}

int LOGCAPTURE::CountLines(const std::string &needle)
{
    const std::string &all = Text();
    int count = 0;
    size_t start = 0;
    while (start < all.size()) {
        size_t end = all.find('\n', start);
        std::string line = all.substr(start, end == std::string::npos ? std::string::npos : end - start);
        if (line.find(needle) != std::string::npos)
            count++;
        if (end == std::string::npos)
            break;
        start = end + 1;
    }
    return count;
}
