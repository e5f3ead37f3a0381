// Fixed-size text fields: filled whole or refused, read without running past.
#include "fixed_field.h"

#include <gtest/gtest.h>

#include <cstring>

using ns_epub::fieldText;
using ns_epub::setFieldText;

TEST(FixedField, ReadingStopsAtTheLastByteOfAnUnterminatedField)
{
    char field[1024];
    std::memset(field, 'x', sizeof field);
    const QString text = fieldText(field);
    EXPECT_EQ(text.size(), 1023);
    EXPECT_EQ(text, QString(1023, QLatin1Char('x')));
}

TEST(FixedField, AValueThatFitsIsStoredWholeAndTerminated)
{
    char field[8];
    std::memset(field, 'z', sizeof field);
    ASSERT_TRUE(setFieldText(field, QStringLiteral("abcdefg")));
    EXPECT_EQ(field[7], '\0');
    EXPECT_EQ(fieldText(field), QStringLiteral("abcdefg"));

    // Two-byte characters: three fit in seven bytes, four do not.
    ASSERT_TRUE(setFieldText(field, QStringLiteral("äöü")));
    EXPECT_EQ(fieldText(field), QStringLiteral("äöü"));
    EXPECT_FALSE(setFieldText(field, QStringLiteral("äöüß")));
    EXPECT_EQ(fieldText(field), QString()) << "a refused value leaves the field empty";
}

TEST(FixedField, WideFieldsCountUtf16Units)
{
    char16_t field[4];
    ASSERT_TRUE(setFieldText(field, QStringLiteral("a\U0001F600")));   // 1 + 2 units
    EXPECT_EQ(fieldText(field), QStringLiteral("a\U0001F600"));
    EXPECT_FALSE(setFieldText(field, QStringLiteral("abcd")));
    for (char16_t& unit : field)
        unit = u'y';
    EXPECT_EQ(fieldText(field), QStringLiteral("yyy"));
}
