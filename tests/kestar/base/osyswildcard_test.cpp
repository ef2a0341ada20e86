// OSYS::MatchWildcard: the patterns of folder listings.
#include <gtest/gtest.h>

#include "kestar/base/osyswildcard.h"

TEST(OSYSWILDCARD, MatchesLikeTheFileSystem)
{
    const struct {
        const char *name, *pattern;
        bool match;
    } cases[] = {
        {"", "", true},           {"a", "", false},          {"", "*", true},
        {"a", "?", true},         {"a", "??", false},        {"ab", "??", true},
        {"Report.TXT", "*.txt", true}, {"report.txt.bak", "*.txt", false}, {"plxfax_u_1_2.sff", "plxfax*.sff", true},
        {"abc", "a*c", true},     {"ac", "a*c", true},       {"abcbc", "a*bc", true},
        {"abcd", "a*c", false},   {"x", "*x*", true},        {"readme", "READ?E", true},
        {"aaaaaaaaaaaaaaaaaaaaaaaaaaaaab", "*a*a*a*a*a*a*a*a*c", false},
    };
    for (const auto &c : cases)
        EXPECT_EQ(OSYS::MatchWildcard(c.name, c.pattern), c.match) << c.name << " ~ " << c.pattern;
}
