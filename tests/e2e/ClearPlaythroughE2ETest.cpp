// Whole stages played to their clear from the replay files in tests/playthroughs, without rendering (the
// traces are the same as with it): the stage entered, strays rescued and following, the target worn down
// by the player and its followers and defeated, the clear board, and the back button to the title.
#include "tests/e2e/E2ESupport.h"

#include <algorithm>
#include <string>
#include <vector>

using namespace e2e;

namespace {

long long Int(const std::string& json, const std::string& key) {
    return IntValue(json, key);
}

// The first creature object of a type in a trace line's "creatures" list, or "" when there is none.
std::string CreatureOf(const std::string& line, const std::string& type) {
    const std::string list = RawValue(line, "creatures");
    const size_t at = list.find("\"type\":\"" + type + "\"");
    if (at == std::string::npos) return "";
    const size_t begin = list.rfind('{', at), end = list.find('}', at);
    return list.substr(begin, end - begin + 1);
}

// Jellies following the player, counted in the jellies list (the followers key reads 0 in a pass that ends
// by creating an object).
int Following(const std::string& line) {
    const std::string jellies = RawValue(line, "jellies");
    int n = 0;
    for (size_t at = jellies.find("\"state\":2"); at != std::string::npos;
         at = jellies.find("\"state\":2", at + 1))
        ++n;
    return n;
}

// The passes at which a whole clear run reaches its milestones.
struct ClearRun {
    int game = -1;   // GameInit
    int woken = -1;  // the target creature left its first state
    int killed = -1; // its hit points reached 0
    int clear = -1;  // stage state 2
    int click = -1;  // the back button started the fade-out
    int title = -1;  // TitleInit after the stage
    int rescues = 0; // rescue animations started
    int mostFollowing = 0;
    int followingAtWake = 0;
};

class ClearPlaythroughE2E : public GameDirTest {
  protected:
    void SetUp() override {
        if (!AssetsGenerated({"xfile/football.x", "xfile/collision3.x"}))
            GTEST_SKIP() << "run build/assetgen . first";
        MakeDir("clear");
        LinkRuntime({"data", "image", "xfile", "sound"});
    }
    std::vector<std::string> Play(const std::string& replay, const std::string& args, int frames) {
        EXPECT_EQ(RunGame("--no-render --fast --windowed --seed 5 " + args +
                          " --replay '" BW_SOURCE_DIR "/tests/playthroughs/" + replay +
                          "' --trace t.jsonl --frames " + std::to_string(frames)),
                  0)
            << Err();
        return FileLines(dir / "t.jsonl");
    }

    // The checks every clear run passes: one target in the stage, rescues that bring followers, the target
    // creature woken, worn down and defeated (its hit points `field` under `type`), the targets falling from
    // 1 to 0 or below and the clear test seeing it, the player alive all along, the clear board waiting for
    // the back button, and the title again from its start.
    ClearRun CheckClearRun(const std::vector<std::string>& lines, int stage, const std::string& type,
                           const std::string& asleepKey, long long asleepValue) {
        ClearRun r;
        r.game = FirstProc(lines, 0, "GameInit");
        EXPECT_GE(r.game, 0);
        if (r.game < 0) return r;
        EXPECT_EQ(Int(lines[r.game], "stage"), stage);
        EXPECT_EQ(Int(lines[r.game], "targets"), 1);
        EXPECT_EQ(Following(lines[r.game]), 0);
        EXPECT_EQ(Int(lines[r.game], "strays"), 29);
        EXPECT_NE(CreatureOf(lines[r.game], type), "") << lines[r.game];

        for (int i = r.game + 1; i < (int)lines.size(); ++i) {
            const std::string& l = lines[i];
            const std::string& before = lines[i - 1];
            if (Int(l, "scene") != 1) break;
            EXPECT_NE(Int(l, "state"), 1) << "the player never dies: " << l;
            EXPECT_GT(Int(RawValue(l, "player"), "hp"), 0) << l;
            r.rescues += (int)std::max(0LL, Int(l, "rescuing") - Int(before, "rescuing"));
            r.mostFollowing = std::max(r.mostFollowing, Following(l));
            const std::string c = CreatureOf(l, type);
            EXPECT_NE(c, "") << l;
            if (r.woken < 0 && Int(c, asleepKey) != asleepValue) {
                r.woken = i;
                r.followingAtWake = Following(l);
            }
            if (r.killed < 0 && Int(c, "hp") <= 0) r.killed = i;
            if (r.killed < 0) {
                EXPECT_EQ(Int(l, "targets"), 1) << l;
            }
            if (r.clear < 0 && Int(l, "state") == 2) r.clear = i;
            if (r.clear >= 0 && r.click < 0 && Int(l, "fade") == 2) r.click = i;
        }
        EXPECT_GT(r.woken, r.game);
        EXPECT_GT(r.killed, r.woken);
        // The defeat brings the targets to 0 or below at once (each of its 36 bubbles counts one down) and
        // the clear test sees it in the same pass.
        EXPECT_EQ(r.clear, r.killed);
        if (r.clear < 0) return r;
        EXPECT_LE(Int(lines[r.clear], "targets"), 0);
        EXPECT_EQ(Int(lines[r.clear - 1], "state"), 0);
        EXPECT_GE(r.rescues, 6);
        EXPECT_GE(r.mostFollowing, 6);

        // The clear board fades in and waits for the back button; its click fades out to the title.
        EXPECT_GT(r.click, r.clear + 128) << "the button shows only once the board is fully shown";
        for (int i = r.clear; i < r.click && i < (int)lines.size(); ++i)
            EXPECT_EQ(Int(lines[i], "state"), 2) << lines[i];
        r.title = FirstProc(lines, r.clear, "TitleInit");
        EXPECT_GT(r.title, r.click);
        if (r.title < 0) return r;
        EXPECT_EQ(r.title, r.click + 66) << "64 frames of fade, the frame that ends it, the leave procedure";
        EXPECT_EQ(RawValue(lines[r.title - 1], "proc"), "\"GameUninit\"");
        EXPECT_EQ(Int(lines[r.title], "scene"), 0);
        EXPECT_EQ(RawValue(lines[r.title], "player"), "null");
        EXPECT_EQ(RawValue(lines.back(), "proc"), "\"TitleUpdate\"");
        EXPECT_EQ(Int(RawValue(lines.back(), "title"), "phase"), 0);
        return r;
    }

    // Hit points of the target creature from `from` to `to`: never up, and how many were lost.
    long long HitPointsLost(const std::vector<std::string>& lines, const std::string& type, int from,
                            int to) {
        long long before = Int(CreatureOf(lines[from], type), "hp");
        const long long first = before;
        for (int i = from + 1; i <= to; ++i) {
            const long long hp = Int(CreatureOf(lines[i], type), "hp");
            EXPECT_LE(hp, before) << "nothing heals it: " << lines[i];
            before = hp;
        }
        return first - before;
    }

    // The creature, woken with the followers around the player, is worn down by them together: the player
    // alone fires once every 30 frames, far too few shots for all its hit points in that time. It charged
    // on the way, was stunned by the hits (its first stun comes within its first 201 hits), and lies dead on
    // the clear board.
    void CheckWornDown(const std::vector<std::string>& lines, const ClearRun& r, const std::string& type,
                       long long hp) {
        ASSERT_GT(r.woken, 0);
        ASSERT_GT(r.killed, r.woken);
        EXPECT_EQ(Int(CreatureOf(lines[r.woken - 1], type), "hp"), hp);
        EXPECT_EQ(HitPointsLost(lines, type, r.woken - 1, r.killed), hp);
        EXPECT_LT((r.killed - r.woken) / 30 + 1, hp);
        bool charged = false, stunned = false;
        for (int i = r.woken; i < r.killed; ++i) {
            const long long ai = Int(CreatureOf(lines[i], type), "ai");
            charged = charged || ai == 5;
            stunned = stunned || ai == 6;
        }
        EXPECT_TRUE(charged);
        EXPECT_TRUE(stunned);
        EXPECT_EQ(Int(CreatureOf(lines[r.clear], type), "ai"), 4);
    }
};

} // namespace

TEST_F(ClearPlaythroughE2E, StageOneFromTheTitleToTheClearBoardAndBack) {
    const std::vector<std::string> lines = Play("stage1_clear.replay", "", 11000);
    ASSERT_EQ(lines.size(), 11000u);

    // The title's start panel picked stage 1.
    EXPECT_EQ(Int(lines[260], "menu"), 0);
    const ClearRun r = CheckClearRun(lines, 1, "football", "ai", 0);
    ASSERT_GT(r.game, 260);
    EXPECT_EQ(RawValue(lines[r.game - 1], "proc"), "\"TitleUninit\"");

    // The tutorial: a swim key turns its first page, the fire button its second; it ends long before the
    // football is met.
    int pageTwo = -1;
    for (int i = r.game; i < (int)lines.size() && pageTwo < 0; ++i)
        if (Int(lines[i], "page") == 2) pageTwo = i;
    ASSERT_GT(pageTwo, r.game);
    EXPECT_LT(pageTwo, r.woken);
    EXPECT_EQ(Int(lines[pageTwo], "tutorial"), 0);

    EXPECT_GE(r.followingAtWake, 8);
    CheckWornDown(lines, r, "football", 700);
}

TEST_F(ClearPlaythroughE2E, StageThreeFromItsStartToTheClearBoardAndOnToTheTitle) {
    const std::vector<std::string> lines = Play("stage3_clear.replay", "--stage 3", 10000);
    ASSERT_EQ(lines.size(), 10000u);
    const ClearRun r = CheckClearRun(lines, 3, "squid", "ai", 0);
    EXPECT_EQ(r.game, 0);
    EXPECT_GE(r.followingAtWake, 8);
    CheckWornDown(lines, r, "squid", 600);
}

TEST_F(ClearPlaythroughE2E, StageTwoFromTheSelectorThroughTheFlowerToTheAnemonesDefeatAndBack) {
    const std::vector<std::string> lines = Play("stage2_clear.replay", "", 20000);
    ASSERT_EQ(lines.size(), (size_t)20000);

    // The right arrow's panel moved the selector to stage 2, and the start panel chose it.
    EXPECT_EQ(Int(RawValue(lines[161], "title"), "sel"), 0);
    EXPECT_EQ(Int(RawValue(lines[162], "title"), "sel"), 1);
    EXPECT_EQ(Int(lines[260], "menu"), 0);
    EXPECT_EQ(Int(lines[260], "stage"), 2);
    const ClearRun r = CheckClearRun(lines, 2, "anemone", "mode", 0);
    ASSERT_GT(r.game, 260);

    // The flower blocks the canyon's mouth until both blossoms have fallen, the first before the second;
    // only then does the player come within its 28 units and swim through to the anemone's side.
    const double flowerX = 0.0, flowerZ = 262.0;
    int firstDown = -1, done = -1, inside = -1, through = -1;
    for (int i = r.game; i < r.clear; ++i) {
        const std::string flower = RawValue(lines[i], "flower");
        if (firstDown < 0 && flower.find("\"hp\":[5,5]") == std::string::npos) firstDown = i;
        if (done < 0 && Int(flower, "done") == 1) done = i;
        const double dx = PlayerField(lines[i], "x") - flowerX, dz = PlayerField(lines[i], "z") - flowerZ;
        if (inside < 0 && dx * dx + dz * dz < 28.0 * 28.0) inside = i;
        if (through < 0 && PlayerField(lines[i], "z") > flowerZ + 28.0) through = i;
    }
    ASSERT_GT(firstDown, r.game);
    EXPECT_NE(RawValue(lines[firstDown], "flower").find("\"hp\":[4,5]"), std::string::npos)
        << "blossom 0 is hit first";
    ASSERT_GT(done, firstDown);
    EXPECT_EQ(RawValue(lines[done], "flower"), "{\"hp\":[0,0],\"done\":1}");
    EXPECT_GT(inside, done);
    EXPECT_GT(through, inside);
    EXPECT_LT(through, r.woken) << "the anemone is fought from inside its ring of rocks";

    // The anemone, 600 hit points, is first met by its fish, which chase the player into its ring of
    // rocks and are shot (20 hit points each); the first hit on the anemone provokes it.
    EXPECT_EQ(Int(CreatureOf(lines[r.game], "anemone"), "fish"), 8);
    EXPECT_EQ(Int(CreatureOf(lines[r.woken - 1], "anemone"), "hp"), 600);
    EXPECT_EQ(Int(CreatureOf(lines[r.woken], "anemone"), "mode"), 3);
    // Then it is worn down by the player and its followers. It breeds fish below 400 hit points, calls them
    // home at 200, and each one that comes home heals it by 20: what it lost is its 600 and what it healed.
    long long lost = 0, healed = 0, hpBeforeCall = -1;
    int gone = 0, bred = 0, heals = 0;
    bool calledHome = false;
    for (int i = r.game + 1; i <= r.killed; ++i) {
        const std::string before = CreatureOf(lines[i - 1], "anemone"), now = CreatureOf(lines[i], "anemone");
        const long long hp = Int(now, "hp"), hpBefore = Int(before, "hp");
        const long long fish = Int(now, "fish"), fishBefore = Int(before, "fish");
        if (fish < fishBefore) gone += (int)(fishBefore - fish);
        if (fish > fishBefore) bred += (int)(fish - fishBefore);
        if (!calledHome && RawValue(lines[i], "school").find("\"ai\":4") != std::string::npos) {
            calledHome = true;
            hpBeforeCall = hpBefore;
        }
        if (fish < fishBefore && hp > hpBefore) {
            ++heals;
            EXPECT_TRUE(calledHome) << "only fish called home heal it: " << lines[i];
        }
        // A heal of 20 may come with hits of the same pass.
        if (hp > hpBefore) {
            EXPECT_LE(hp - hpBefore, 20) << lines[i];
            healed += 20;
            lost += 20 - (hp - hpBefore);
        } else {
            lost += hpBefore - hp;
        }
    }
    EXPECT_EQ(lost, 600 + healed);
    EXPECT_GE(heals, 1);
    EXPECT_TRUE(calledHome);
    // The call comes as it falls to 200 (within the few hits of one pass).
    EXPECT_GT(hpBeforeCall, 200);
    EXPECT_LE(hpBeforeCall, 210);
    EXPECT_GE(bred, 1);
    EXPECT_GE(gone, 8);
    EXPECT_LT((r.killed - r.woken) / 30 + 1, lost);
    EXPECT_EQ(Int(CreatureOf(lines[r.clear], "anemone"), "mode"), 2);
    EXPECT_GE(r.followingAtWake, 6);
}
