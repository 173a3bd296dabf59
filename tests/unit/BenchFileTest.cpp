// The --bench flag and the file it writes: one line per pass, then the first present and peak memory.
#include "DeviceTestSupport.h"

#include "app/Bench.h"
#include "app/Direct3D.h"
#include "app/Options.h"

#include <fstream>
#include <sstream>

namespace {

std::vector<std::string> Words(const std::string& line) {
    std::istringstream in(line);
    std::vector<std::string> w;
    for (std::string s; in >> s;)
        w.push_back(s);
    return w;
}

bool IsCount(const std::string& s) {
    return !s.empty() && s.find_first_not_of("0123456789") == std::string::npos;
}

} // namespace

TEST(BenchFlag, TakesAFileNameAndNothingElse) {
    Options o;
    std::string error;
    ASSERT_EQ(ParseOptions({"--bench", "b.txt", "--fast"}, o, error), ParseOutcome::Run);
    EXPECT_EQ(o.benchPath, "b.txt");
    EXPECT_TRUE(o.mode.fast);
    ASSERT_EQ(ParseOptions({"--bench=c.txt"}, o, error), ParseOutcome::Run);
    EXPECT_EQ(o.benchPath, "c.txt");
    ASSERT_EQ(ParseOptions({"--fast"}, o, error), ParseOutcome::Run);
    EXPECT_TRUE(o.benchPath.empty()); // off unless asked for
    EXPECT_EQ(ParseOptions({"--bench"}, o, error), ParseOutcome::Error);
    EXPECT_NE(error.find("--bench"), std::string::npos);
    EXPECT_EQ(ParseOptions({"--bench="}, o, error), ParseOutcome::Error);
    EXPECT_NE(std::string(OptionsUsage()).find("--bench FILE"), std::string::npos);
}

class BenchFile : public RecordingDeviceTest {
  protected:
    void SetUp() override {
        RecordingDeviceTest::SetUp();
        g_pDevice = m_Dev;
        m_Path = m_Dir.File("bench.txt");
    }
    void TearDown() override {
        BenchClose();
        g_pDevice = nullptr;
        RecordingDeviceTest::TearDown();
    }
    std::vector<std::string> Lines() {
        std::ifstream in(m_Path);
        std::vector<std::string> lines;
        for (std::string l; std::getline(in, l);)
            if (!l.empty() && l[0] != '#') lines.push_back(l);
        return lines;
    }
    ScratchDir m_Dir{"bench"};
    std::string m_Path;
};

TEST_F(BenchFile, OneLinePerPassThenTheFirstPresentAndPeakMemory) {
    ASSERT_TRUE(BenchOpen(m_Path.c_str()));
    EXPECT_TRUE(g_BenchActive);
    // A set-up pass without pacing, then two frames that draw, present and pace.
    BenchPassBegin();
    BenchPassEnd(0, "GameInit");
    for (long long pass = 1; pass <= 2; ++pass) {
        BenchPassBegin();
        TestVertex q[4];
        MakeQuad(q, -1, 1, 1, -1, 0.5f, 0xFFFFFFFF);
        m_Dev->SetFVF(kTestFvf);
        m_Dev->BeginScene();
        m_Dev->DrawPrimitiveUP(D3DPT_TRIANGLEFAN, 2, q, sizeof(TestVertex));
        m_Dev->EndScene();
        m_Dev->Present(nullptr, nullptr, nullptr, nullptr);
        BenchPace();
        BenchPassEnd(pass, "GameUpdate");
    }
    BenchClose();
    EXPECT_FALSE(g_BenchActive);

    std::vector<std::string> lines = Lines();
    ASSERT_EQ(lines.size(), 5u);
    int64_t lastBegin = -1;
    for (int i = 0; i < 3; ++i) {
        std::vector<std::string> w = Words(lines[i]);
        ASSERT_EQ(w.size(), 9u) << lines[i];
        EXPECT_EQ(w[0], "pass");
        EXPECT_EQ(w[1], std::to_string(i));
        EXPECT_EQ(w[2], i == 0 ? "GameInit" : "GameUpdate");
        for (int k = 3; k < 9; ++k)
            EXPECT_TRUE(IsCount(w[k])) << lines[i];
        const int64_t begin = std::stoll(w[3]);
        EXPECT_GT(begin, lastBegin) << "passes begin later and later";
        lastBegin = begin;
        EXPECT_EQ(w[5], i == 0 ? "0" : "1") << "only the frames pace";
        EXPECT_EQ(w[6], i == 0 ? "0" : "1") << "one batch a frame";
        EXPECT_EQ(w[7], "0") << "a recording device rasterises no triangles";
    }
    std::vector<std::string> first = Words(lines[3]);
    ASSERT_EQ(first.size(), 3u);
    EXPECT_EQ(first[0], "first-present");
    EXPECT_GE(std::stoll(first[1]), std::stoll(Words(lines[1])[3])) << "during pass 1, not before it";
    EXPECT_GT(std::stoll(first[2]), 1000000000000000LL) << "microseconds of the real-time clock";
    std::vector<std::string> rss = Words(lines[4]);
    ASSERT_EQ(rss.size(), 2u);
    EXPECT_EQ(rss[0], "peak-rss-kb");
    EXPECT_GT(std::stoll(rss[1]), 0);
}

TEST_F(BenchFile, WithoutAPresentThereIsNoFirstPresentLineAndOffMeansNoFile) {
    BenchPassBegin(); // off: nothing happens
    BenchPassEnd(0, "TitleInit");
    ASSERT_TRUE(BenchOpen(m_Path.c_str()));
    BenchPassBegin();
    BenchPace();
    BenchPassEnd(0, "TitleUpdate");
    BenchClose();
    std::vector<std::string> lines = Lines();
    ASSERT_EQ(lines.size(), 2u);
    EXPECT_EQ(lines[0].rfind("pass 0 TitleUpdate ", 0), 0u);
    EXPECT_EQ(lines[1].rfind("peak-rss-kb ", 0), 0u);
    EXPECT_FALSE(BenchOpen("/nonexistent-dir/bench.txt"));
    EXPECT_FALSE(g_BenchActive);
}
