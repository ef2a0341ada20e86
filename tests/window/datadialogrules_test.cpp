// The window-free parts of the data-bound dialogs: conditions, rule groups, check bits, raw
// bindings, multi-selection texts and the browse-file start name.
#include "kestar/windowing/datadialogrules.h"

#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

#include "tests/support/logcapture_support.h"

using namespace DATADIALOGRULES;

namespace {

// Conditions given per rule; radio sources listed.
class FIXEDSOURCES : public RULESOURCES {
public:
    std::vector<bool> holds, radio;
    std::vector<int> asked;
    bool Holds(int i) override
    {
        asked.push_back(i);
        return holds.at(i);
    }
    bool SourceIsRadio(int i) override { return radio.at(i); }
};

const void *const W = reinterpret_cast<const void *>(0x1000);
const void *const PAGE = reinterpret_cast<const void *>(0x2000);

std::string Describe(const std::vector<ACTION> &actions)
{
    std::string s;
    for (const ACTION &a : actions)
        s += std::to_string(a.targetId) + (a.hide ? "h" : "") + (a.disable ? "-" : "+") + " ";
    return s;
}

} // namespace

TEST(DATADIALOGRULES, ConditionTable)
{
    SOURCESTATE button, list, edit, other;
    button.sourceClass = SOURCE_BUTTON;
    button.checked = true;
    list.sourceClass = SOURCE_LIST;
    list.text = "Fax";
    list.index = 2;
    edit.sourceClass = SOURCE_EDIT;
    edit.text = "c:\\x";
    edit.fileExists = true;
    struct CASE {
        int kind;
        const SOURCESTATE *source;
        const char *compare;
        bool holds;
        int failures;
    } cases[] = {
        {0, &button, "", true, 0},    {1, &button, "", false, 0},    {2, &button, "x", false, 1},
        {0, &list, "", false, 1},     {2, &list, "FAX", true, 0},    {3, &list, "fax", false, 0},
        {5, &list, "2", true, 0},     {6, &list, "2", false, 0},     {7, &list, "", false, 1},
        {0, &edit, "", true, 0},      {1, &edit, "", false, 0},      {2, &edit, "C:\\X", true, 0},
        {3, &edit, "y", true, 0},     {5, &edit, "0", false, 1},     {7, &edit, "", true, 0},
        {8, &edit, "", false, 0},     {9, &edit, "", false, 0},      {10, &edit, "", true, 0},
        {11, &other, "", true, 0},    {12, &button, "", false, 0},   {0, &other, "", false, 0},
        {4, &edit, "", false, 1},     {13, &button, "", false, 1},   {2, &list, nullptr, false, 0},
    };
    for (const CASE &c : cases) {
        LOGCAPTURE log;
        EXPECT_EQ(c.holds, Condition(c.kind, *c.source, c.compare)) << "kind " << c.kind << " class " << c.source->sourceClass;
        EXPECT_EQ(c.failures, log.Failures()) << "kind " << c.kind << " class " << c.source->sourceClass;
        if (c.failures) {
            EXPECT_EQ("FALSE", log.Conditions().at(0));
        }
    }
    // An empty list selection is the empty text and index -1.
    SOURCESTATE none;
    none.sourceClass = SOURCE_LIST;
    none.text = "";
    EXPECT_TRUE(Condition(2, none, ""));
    EXPECT_TRUE(Condition(5, none, "-1"));
}

TEST(DATADIALOGRULES, ButtonKinds)
{
    unsigned checks[] = {2, 3, 5, 6, 0x50010003};
    unsigned radios[] = {4, 9, 0x50000009};
    unsigned others[] = {0, 1, 7, 8, 11};
    for (unsigned s : checks)
        EXPECT_EQ(1, ButtonKind(s)) << s;
    for (unsigned s : radios)
        EXPECT_EQ(2, ButtonKind(s)) << s;
    for (unsigned s : others)
        EXPECT_EQ(0, ButtonKind(s)) << s;
}

TEST(DATADIALOGRULES, GroupsAnyAllOnceAndHide)
{
    struct CASE {
        const char *what;
        std::vector<RULE> rules;
        std::vector<bool> holds, radio;
        int source;
        bool sourceRadio;
        std::string actions;
    } cases[] = {
        // Two kind-1 rules on target 50: either unticked box disables it ...
        {"any, one holds", {{W, 50, W, 10, 1}, {W, 50, W, 11, 1}}, {true, false}, {false, false}, 11, false, "50- "},
        {"any, none holds", {{W, 50, W, 10, 1}, {W, 50, W, 11, 1}}, {false, false}, {false, false}, 10, false, "50+ "},
        // ... with the all bit only both do, whichever box changed.
        {"all, one holds", {{W, 50, W, 10, 1 | ALL}, {W, 50, W, 11, 1}}, {true, false}, {false, false}, 10, false, "50+ "},
        {"all, one holds, second source", {{W, 50, W, 10, 1 | ALL}, {W, 50, W, 11, 1}}, {true, false}, {false, false}, 11, false, "50+ "},
        {"all, both hold", {{W, 50, W, 10, 1 | ALL}, {W, 50, W, 11, 1}}, {true, true}, {false, false}, 11, false, "50- "},
        // Kind 11 acts only in the first pass, on targets of this dialog.
        {"once, first pass", {{W, 60, nullptr, 0, KIND_ONCE}, {PAGE, 61, nullptr, 0, KIND_ONCE}}, {false, false}, {false, false}, 0, false, "60- "},
        {"once, later pass", {{W, 60, nullptr, 0, KIND_ONCE}, {W, 61, W, 10, 0}}, {false, false}, {false, false}, 10, false, "61+ "},
        // Kind 11 in a group keeps its target disabled.
        {"once in a group", {{W, 60, nullptr, 0, KIND_ONCE}, {W, 60, W, 10, 0}}, {false, false}, {false, false}, 10, false, "60- "},
        {"never", {{W, 62, W, 10, KIND_NEVER}}, {false}, {false}, 10, false, "62+ "},
        // The hide bit makes a group of its own.
        {"hide apart", {{W, 70, W, 10, 0 | HIDE}, {W, 70, W, 10, 1}}, {true, false}, {false, false}, 10, false, "70h- 70+ "},
        // A radio click re-evaluates the rules of every radio source.
        {"radio", {{W, 80, W, 20, 0}, {W, 81, W, 30, 0}}, {false, true}, {true, false}, 21, true, "80+ "},
        {"not a radio", {{W, 80, W, 20, 0}}, {false}, {true}, 21, false, ""},
        // Sources are windows: a rule whose source is on another page applies to that page's control.
        {"other page", {{W, 90, PAGE, 10, 1}}, {true}, {false}, 10, false, ""},
    };
    for (const CASE &c : cases) {
        FIXEDSOURCES s;
        s.holds = c.holds;
        s.radio = c.radio;
        std::vector<ACTION> a = Evaluate(c.rules.data(), static_cast<int>(c.rules.size()), c.source == 0 ? W : W,
                                         c.source, c.sourceRadio, s);
        EXPECT_EQ(c.actions, Describe(a)) << c.what;
    }
    // The page's own pass sees the rule.
    FIXEDSOURCES s;
    s.holds = {true};
    s.radio = {false};
    RULE r{W, 90, PAGE, 10, 1};
    EXPECT_EQ("90- ", Describe(Evaluate(&r, 1, PAGE, 10, false, s)));
}

TEST(DATADIALOGRULES, FirstPassAsksNoCondition)
{
    FIXEDSOURCES s;
    s.holds = {true, true};
    s.radio = {false, false};
    RULE rules[] = {{W, 50, W, 10, 1}, {W, 60, nullptr, 0, KIND_ONCE}};
    EXPECT_EQ("60- ", Describe(Evaluate(rules, 2, W, 0, false, s)));
    EXPECT_TRUE(s.asked.empty());
    EXPECT_TRUE(Evaluate(nullptr, 0, W, 10, false, s).empty());
}

TEST(DATADIALOGRULES, CheckBits)
{
    struct CASE {
        uint64_t number;
        int bit;
        int shown;
        int state;
        uint64_t stored;
    } cases[] = {
        {5, 2, 1, 0, 1},   // bit 2 of 5 is set; unticking clears it
        {0, -1, 0, 1, 1},  // the whole value
        {2, -1, 2, 2, 2},  // undetermined three-state box
        {1, 3, 0, 1, 9},
        {0, 63, 0, 1, 0x8000000000000000ull},
        {0xFF, 64, 0, 1, 0xFF}, // beyond the number: nothing changes
    };
    for (const CASE &c : cases) {
        EXPECT_EQ(c.shown, CheckShown(c.number, c.bit)) << c.number << " bit " << c.bit;
        EXPECT_EQ(c.stored, CheckStored(c.number, c.bit, c.state)) << c.number << " bit " << c.bit;
    }
}

TEST(DATADIALOGRULES, RawBindingsKeepTheirLength)
{
    unsigned char buffer[12];
    for (int length : {1, 2, 3, 4, 8}) {
        std::memset(buffer, 0xAA, sizeof buffer);
        WriteRaw(buffer + 1, length, 0x0102030405060708ull);
        EXPECT_EQ(0xAA, buffer[0]) << length;
        EXPECT_EQ(0xAA, buffer[1 + length]) << length;
        uint64_t mask = length >= 8 ? ~0ull : ((1ull << (8 * length)) - 1);
        EXPECT_EQ(0x0102030405060708ull & mask, ReadRaw(buffer + 1, length)) << length;
    }
    WriteRaw(nullptr, 4, 1);
    EXPECT_EQ(0u, ReadRaw(nullptr, 4));
}

TEST(DATADIALOGRULES, MultiSelectionSplitAndJoin)
{
    struct CASE {
        const char *value;
        std::vector<std::string> parts;
    } cases[] = {
        {"7|9", {"7", "9"}}, {"7||9", {"7"}}, {"", {}}, {"|7", {}}, {"7|", {"7"}}, {nullptr, {}},
    };
    for (const CASE &c : cases) {
        std::vector<STRING> parts = SplitSelection(c.value);
        std::vector<std::string> got;
        for (const STRING &p : parts)
            got.push_back(static_cast<const char *>(p));
        EXPECT_EQ(c.parts, got) << (c.value ? c.value : "(null)");
    }
    EXPECT_EQ(std::string("a|b"), static_cast<const char *>(JoinSelection({STRING("a"), STRING("b")})));
    EXPECT_EQ(std::string(""), static_cast<const char *>(JoinSelection({})));
}

TEST(DATADIALOGRULES, BrowseFileStart)
{
    struct CASE {
        const char *start, *target, *name;
    } cases[] = {
        {"", "c:\\a.txt", "c:\\a.txt"},
        {"c:\\faxes\\*.tif", "", "c:\\faxes\\*.tif"},
        {"c:\\faxes\\*.tif", "x.tif", "c:\\faxes\\x.tif"},
        {"c:/faxes/*.tif", "x.tif", "c:/faxes/x.tif"},
        {"c:\\faxes\\*.tif", "d:\\y.tif", "d:\\y.tif"},
        {"c:\\faxes\\*.tif", "sub/y.tif", "sub/y.tif"},
        {"c:\\faxes\\a.tif", "x.tif", "x.tif"},
        {"*.wav", "x.wav", "x.wav"},
        {"c:\\a.b\\file", "x", "x"},
    };
    for (const CASE &c : cases)
        EXPECT_EQ(std::string(c.name), static_cast<const char *>(BrowseFileStart(c.start, c.target)))
            << c.start << " + " << c.target;
}
