// The resident memory the soak reads: the --trace-rss flag, the reading itself, and the trace key that
// only a run with the flag writes.
#include "app/Trace.h"
#include "tests/unit/RunTestSupport.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

TEST(ResidentMemory, TraceRssIsAFlagWithoutAValue) {
    Options o;
    std::string err;
    ASSERT_EQ(ParseOptions({"--no-render", "--trace-rss", "--trace", "t.jsonl"}, o, err), ParseOutcome::Run)
        << err;
    EXPECT_TRUE(o.traceRss);
    ASSERT_EQ(ParseOptions({"--trace", "t.jsonl"}, o, err), ParseOutcome::Run);
    EXPECT_FALSE(o.traceRss);
    EXPECT_EQ(ParseOptions({"--trace-rss=1"}, o, err), ParseOutcome::Error);
    EXPECT_NE(err.find("--trace-rss"), std::string::npos) << err;
    EXPECT_NE(std::string(OptionsUsage()).find("--trace-rss"), std::string::npos);
}

TEST(ResidentMemory, ReadingFollowsMemoryThatIsTouched) {
    const long long before = ResidentMemoryKb();
    ASSERT_GT(before, 0);
    // 64 MB written page by page become resident.
    const size_t size = 64u << 20;
    char* block = static_cast<char*>(std::malloc(size));
    ASSERT_NE(block, nullptr);
    for (size_t i = 0; i < size; i += 4096)
        block[i] = (char)i;
    const long long touched = ResidentMemoryKb();
    volatile char sink = block[size / 2];
    (void)sink;
    std::free(block);
    EXPECT_GE(touched - before, 48 * 1024) << before << " kB before, " << touched << " kB after";
}

TEST(ResidentMemory, TraceCarriesTheKeyOnlyWhenAskedFor) {
    ResetRun();
    EXPECT_EQ(TraceLine(3, "TitleUpdate").find("\"rss_kb\""), std::string::npos);
    RunOptions().traceRss = true;
    const std::string line = TraceLine(3, "TitleUpdate");
    ResetRun();
    const size_t at = line.find("\"rss_kb\":");
    ASSERT_NE(at, std::string::npos) << line;
    EXPECT_GT(std::atoll(line.c_str() + at + std::strlen("\"rss_kb\":")), 0) << line;
    EXPECT_EQ(line.back(), '}');
}
