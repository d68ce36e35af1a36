// Bounded copies into fixed buffers.
#include <gtest/gtest.h>

#include <cstring>

#include "text.h"

namespace {

TEST(Text, CopyCutsAndKeepsTheZeroInside)
{
    char buffer[8];
    memset(buffer, '#', sizeof buffer);
    EXPECT_TRUE(CopyText(buffer, 5, "abcd"));
    EXPECT_STREQ("abcd", buffer);
    EXPECT_FALSE(CopyText(buffer, 5, "abcde"));
    EXPECT_STREQ("abcd", buffer);
    EXPECT_EQ('#', buffer[5]);
}

TEST(Text, AppendCutsAtTheEnd)
{
    char buffer[8];
    memset(buffer, '#', sizeof buffer);
    CopyText(buffer, 6, "ab");
    EXPECT_TRUE(AppendText(buffer, 6, "cd"));
    EXPECT_FALSE(AppendText(buffer, 6, "efg"));
    EXPECT_STREQ("abcde", buffer);
    EXPECT_EQ('#', buffer[6]);
    EXPECT_FALSE(AppendText(buffer, 6, "x"));
    EXPECT_STREQ("abcde", buffer);
    EXPECT_TRUE(AppendText(buffer, 6, ""));
}

TEST(Text, AppendToAnOverlongStringCutsIt)
{
    char buffer[8] = {'a', 'b', 'c', 'd', 'e', 'f', 'g', 0};
    EXPECT_FALSE(AppendText(buffer, 4, "x"));
    EXPECT_STREQ("abc", buffer);
}

TEST(Text, ZeroSizeWritesNothing)
{
    char buffer[2] = {'#', '#'};
    EXPECT_FALSE(CopyText(buffer, 0, "a"));
    EXPECT_TRUE(CopyText(buffer, 0, ""));
    EXPECT_EQ('#', buffer[0]);
}

}  // namespace
