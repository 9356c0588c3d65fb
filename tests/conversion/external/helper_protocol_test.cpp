// The wire format between the program and the external tool's helper process.
#include "conversion/external/helper_protocol.h"

#include <gtest/gtest.h>

#include <string>

namespace pixmorrow::helper_protocol {
namespace {

using namespace std::string_literals;

std::string payloadOf(const Job& job) {
    return encodeJob(job).substr(4);
}

TEST(HelperProtocol, JobsComeBackAsTheyWent) {
    const Job jobs[] = {
        {},
        {{"MAGICK_TMPDIR=/tmp/x"}, {"PNG:/a b/c.png", "-coalesce", "WEBP:/o%%.webp"}},
        // File names may hold any byte but NUL on disk; the frame carries NULs too.
        {{}, {"a\nb\"c$(x)", ""s, "nul\0inside"s, std::string(70000, 'x')}},
    };
    for (const Job& job : jobs) {
        const std::string frame = encodeJob(job);
        ASSERT_GE(frame.size(), 4u);
        EXPECT_EQ(readLittleEndian32(reinterpret_cast<const unsigned char*>(frame.data())),
                  frame.size() - 4);
        EXPECT_EQ(decodeJob(frame.substr(4)), job);
    }
}

TEST(HelperProtocol, MalformedJobsAreRefused) {
    const std::string good = payloadOf({{"A=1"}, {"x", "y"}});
    std::string tooMany = payloadOf({});
    tooMany[0] = '\xFF';
    tooMany[1] = '\xFF';
    std::string pastTheEnd = good;
    pastTheEnd[4] = '\x7F';  // the first entry's length
    const std::string cases[] = {
        "",      good.substr(0, good.size() - 1),    good + "z", pastTheEnd,
        tooMany, std::string("\x01\x00\x00\x00", 4),
    };
    for (const std::string& payload : cases)
        EXPECT_FALSE(decodeJob(payload).has_value()) << payload.size();
}

TEST(HelperProtocol, AnswersKeepStatusAndFlags) {
    for (const Answer answer : {Answer{0, 0}, Answer{1, kRetiring}, Answer{-1, 0}}) {
        const std::string bytes = encodeAnswer(answer);
        ASSERT_EQ(bytes.size(), kAnswerBytes);
        unsigned char raw[kAnswerBytes];
        for (std::size_t i = 0; i < kAnswerBytes; ++i)
            raw[i] = static_cast<unsigned char>(bytes[i]);
        EXPECT_EQ(decodeAnswer(raw), answer);
    }
}

}  // namespace
}  // namespace pixmorrow::helper_protocol
