// The character set that a font gets for a code page.
#include <gtest/gtest.h>

#include "kestar/base/fontcharset.h"

TEST(WINDRAW, CodePageToCharset)
{
    const struct {
        int codepage, want;
    } cases[] = {
        {0, 0}, {850, 0}, {1000, 0}, {1252, 0}, {8860, 0},
        {437, 255}, {737, 255}, {852, 255}, {866, 255},
        {1250, 238}, {8861, 238}, {1251, 204}, {8864, 204}, {1253, 161}, {8866, 161},
        {1254, 162}, {8868, 162}, {1255, 177}, {8867, 177}, {1256, 178}, {8865, 178},
        {8870, 222}, {8872, 186}, {-1, 1},
        {65001, 77}, {878, 77}, {-2, 77}, // any other page: the caller's default
    };
    for (const auto &c : cases)
        EXPECT_EQ(WINDRAW::CodePageToCharset(c.codepage, 77), c.want) << c.codepage;
}
