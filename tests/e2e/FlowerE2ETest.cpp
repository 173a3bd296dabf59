// The game binary, headless, in a stage of our own with a flower in it: the trace reports the flower.
#include "tests/e2e/E2ESupport.h"

#include <fstream>
#include <string>
#include <vector>

using namespace e2e;

namespace {

const char* const kPyramid = R"(xof 0303txt 0032
Mesh {
 4;
 -1.0;0.0;-1.0;, 1.0;0.0;-1.0;, 0.0;0.0;1.0;, 0.0;1.5;0.0;;
 4;
 3;0,3,1;, 3;1,3,2;, 3;2,3,0;, 3;0,1,2;;
 MeshMaterialList { 1; 4; 0,0,0,0;;
  Material { 0.8;0.6;0.9;1.0;; 0.0; 0.0;0.0;0.0;; 0.0;0.0;0.0;; }
 }
}
)";

// A scratch runtime tree: the repository's assets linked in, our own stage files.
class FlowerE2E : public GameDirTest {
  protected:
    void SetUp() override {
        MakeDir("flower");
        LinkShaderOnly();
        LinkRuntime({"image", "sound"});
        // The flower's seven meshes as a small pyramid each, so that every part of it is really drawn.
        fs::create_directories(dir / "xfile");
        for (const char* name :
             {"flower_outside", "flower_inside", "flower_center", "rootsoul", "petal", "ivy", "miniflower"})
            std::ofstream(dir / "xfile" / (std::string(name) + ".x")) << kPyramid;
        // Stage 2: a flower ahead of the player and a rock; stage 1: a rock only.
        std::ofstream(dir / "data" / "stage2.csv") << "type,x,y,z\n33,0,0,60\n30,80,0,20\n";
        std::ofstream(dir / "data" / "stage1.csv") << "type,x,y,z\n30,80,0,20\n";
    }
};

} // namespace

TEST_F(FlowerE2E, AStandingFlowerIsInTheTraceOfEveryStageFrame) {
    ASSERT_EQ(RunGame("--headless --fast --windowed --seed 1 --stage 2 --frames 90 --trace t.jsonl"), 0);
    std::vector<std::string> lines = FileLines(dir / "t.jsonl");
    ASSERT_EQ(lines.size(), 90u);
    for (size_t i = 0; i < lines.size(); ++i) {
        const std::string& l = lines[i];
        EXPECT_NE(l.find(i == 0 ? "\"proc\":\"GameInit\"" : "\"proc\":\"GameUpdate\""), std::string::npos)
            << l;
        EXPECT_NE(l.find("\"obstacles\":2,"), std::string::npos) << l;
        // Nobody shoots here: both blossoms keep their five hit points and the way stays shut.
        EXPECT_NE(l.find(",\"flower\":{\"hp\":[5,5],\"done\":0}"), std::string::npos) << l;
    }
    // Every part of the flower had its mesh.
    const std::string errors = Err();
    for (const char* name :
         {"flower_outside", "flower_inside", "flower_center", "rootsoul", "petal", "ivy", "miniflower"})
        EXPECT_EQ(errors.find(std::string("xfile/") + name + ".x"), std::string::npos) << errors;
}

TEST_F(FlowerE2E, AStageWithoutAFlowerHasNoFlowerInItsTrace) {
    ASSERT_EQ(RunGame("--no-render --fast --windowed --seed 1 --stage 1 --frames 20 --trace t.jsonl"), 0);
    std::vector<std::string> lines = FileLines(dir / "t.jsonl");
    ASSERT_EQ(lines.size(), 20u);
    for (const std::string& l : lines) {
        EXPECT_NE(l.find("\"obstacles\":1,"), std::string::npos) << l;
        EXPECT_EQ(l.find("\"flower\""), std::string::npos) << l;
    }
}
