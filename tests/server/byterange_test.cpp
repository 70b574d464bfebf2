#include "server/byterange.h"

#include <gtest/gtest.h>

namespace {

using Kind = ByteRange::Kind;

// One range of bytes is answered; what is not understood gets the whole
// file, what begins past its end 416.
TEST(ByteRangeTest, ReadsOneRangeOfBytes)
{
    const struct Case {
        const char* header;
        qint64 size;
        ByteRange expected;
    } cases[] = {
        {"", 1000, {Kind::Whole}},
        {"bytes=0-0", 1000, {Kind::Part, 0, 0}},
        {"bytes=0-999", 1000, {Kind::Part, 0, 999}},
        {"bytes=0-5000", 1000, {Kind::Part, 0, 999}},
        {"bytes=999-", 1000, {Kind::Part, 999, 999}},
        {"bytes=1000-", 1000, {Kind::Unsatisfiable}},
        {"bytes=1000-1001", 1000, {Kind::Unsatisfiable}},
        {"bytes=-1", 1000, {Kind::Part, 999, 999}},
        {"bytes=-1000", 1000, {Kind::Part, 0, 999}},
        {"bytes=-5000", 1000, {Kind::Part, 0, 999}},
        {"bytes=-0", 1000, {Kind::Unsatisfiable}},
        {"bytes=0-", 0, {Kind::Unsatisfiable}},
        {"bytes=-5", 0, {Kind::Unsatisfiable}},
        {" bytes= 10 - 19 ", 1000, {Kind::Part, 10, 19}},
        {"bytes=20-10", 1000, {Kind::Whole}},
        {"bytes=0-1,5-6", 1000, {Kind::Whole}},
        {"bytes=a-b", 1000, {Kind::Whole}},
        {"bytes=-", 1000, {Kind::Whole}},
        {"bytes=+1-2", 1000, {Kind::Whole}},
        {"bytes=1", 1000, {Kind::Whole}},
        {"items=0-1", 1000, {Kind::Whole}},
        {"bytes=99999999999999999999-", 1000, {Kind::Whole}},
    };
    for (const Case& c : cases) {
        const ByteRange got = ParseByteRange(c.header, c.size);
        EXPECT_EQ(got.kind, c.expected.kind) << c.header << " of " << c.size;
        if (c.expected.kind == Kind::Part) {
            EXPECT_EQ(got.first, c.expected.first) << c.header;
            EXPECT_EQ(got.last, c.expected.last) << c.header;
        }
    }
}

} // namespace
