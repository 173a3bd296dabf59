// libFuzzer target for the stage loader: arbitrary bytes become data/stageN.csv of a scratch directory,
// and the stage is built from them as a stage's set-up builds it (the player first, then the file's
// objects, Init on all of them), on a recording device with the game's meshes and images, if the runtime
// tree is there. A few frames of the world then run and draw, and everything is released.
// The stage number comes from the first byte (it belongs to the header line, which the loader skips).
// Run with --write-seeds=DIR to copy the committed stage files into DIR first.
#include "app/Camera.h"
#include "app/Direct3D.h"
#include "app/Scene.h"
#include "app/WinMain.h"
#include "assets/Meshes.h"
#include "assets/Textures.h"
#include "player/Player.h"
#include "world/ObjectBase.h"
#include "world/Stage.h"
#include "world/World.h"

#include <unistd.h>

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <string>

namespace fs = std::filesystem;

namespace {

fs::path g_Dir, g_CallerDir; // the scratch folder inputs are run in, and the caller's

void WriteSeeds(const fs::path& dir) {
    fs::create_directories(dir);
    for (int n = 1; n <= 4; ++n) {
        const fs::path src = fs::path(BW_SOURCE_DIR) / "data" / ("stage" + std::to_string(n) + ".csv");
        std::error_code ec;
        fs::copy_file(src, dir / ("stage" + std::to_string(n) + ".csv"), fs::copy_options::overwrite_existing,
                      ec);
    }
    // A few records the committed files do not hold: every type code, odd spacing, CRLF, far positions.
    std::ofstream(dir / "codes.csv", std::ios::binary)
        << "\x02type,x,y,z\r\n0,1,0,1\r\n1,-5.5,0,3e2\r\n2, 60,0,-100\n3,0,0,40\n4,1e3,2,-1e3\n5,7,0,7\n"
           "10,1,1,1\n11,2,2,2\n12,3,3,3\n13,4,4,4\n14,5,5,5\n30,6,0,6\n31,7,0,7\n32,8,0,8\n33,9,0,9\n"
           "99,0,0,0\n-1,0,0,0\n2147483647,0,0,0\n";
    // Strays whose home lies beyond what an int holds (their home square once overflowed).
    std::ofstream(dir / "far.csv", std::ios::binary)
        << "code,x,y,z\n0,2147483647,0,0\n0,-3e9,5,3e9\n1,4e38,5,-4e38\n";
}

void StageFrame() {
    UpdateAll();
    ShootAll();
    DrawAll();
    DrawAlphaAll();
}

} // namespace

extern "C" int LLVMFuzzerInitialize(int* argc, char*** argv) {
    const char* seeds = "--write-seeds=";
    for (int i = 1; i < *argc; ++i)
        if (std::strncmp((*argv)[i], seeds, std::strlen(seeds)) == 0)
            WriteSeeds((*argv)[i] + std::strlen(seeds));
    // A scratch runtime tree: the game's assets linked in, our own data/ for the stage files. A memory-backed
    // directory keeps the file writes fast.
    const char* tmp = std::getenv("TMPDIR");
    std::string base = access("/dev/shm", W_OK) == 0 ? "/dev/shm" : (tmp && *tmp ? tmp : "/tmp");
    g_Dir = fs::path(base) / ("fuzz_stage-" + std::to_string(getpid()));
    fs::create_directories(g_Dir / "data");
    const fs::path src = BW_SOURCE_DIR;
    std::error_code ec;
    for (const char* sub : {"xfile", "image", "sound"})
        if (fs::exists(src / sub)) fs::create_directory_symlink(src / sub, g_Dir / sub, ec);
    fs::create_symlink(src / "data" / "shader.fx", g_Dir / "data" / "shader.fx", ec);
    // The game reads relative to the working folder; libFuzzer reads the caller's paths after this returns.
    g_CallerDir = fs::current_path();
    fs::current_path(g_Dir);
    std::atexit([] {
        std::error_code ec;
        fs::remove_all(g_Dir, ec);
    });

    g_hWnd = nullptr; // no window: the device records, and its call log stays off
    if (!InitDirect3D(0)) std::abort();
    AppInit();
    LoadStageMeshes();
    LoadStageTextures();
    fs::current_path(g_CallerDir);
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    struct InScratch {
        InScratch() { fs::current_path(g_Dir); }
        ~InScratch() { fs::current_path(g_CallerDir); }
    } inScratch;
    const int stageNo = size > 0 ? 1 + data[0] % 4 : 1;
    {
        std::ofstream out(StageFilePath(stageNo), std::ios::binary | std::ios::trunc);
        out.write(reinterpret_cast<const char*>(data), (std::streamsize)size);
        if (!out) return 0;
    }
    srand(1);
    g_StageNo = stageNo;
    g_SceneId = 1;
    g_TargetCount = 0;
    SetObjectArena(ObjectArena::Stage);
    SelectTerrain();
    ActorList.push_back(NewObject<CPlayer>());
    LoadStage();
    if (g_TargetCount < 0) __builtin_trap(); // targets are only ever counted up
    InitAll();
    UpdateAll();
    StageCameraInit(ActorList[0]->m_mTrans);
    for (int frame = 0; frame < 3; ++frame)
        StageFrame();
    ReleaseObjects();
    ShotRequestQueue.clear();
    if (!ActorList.empty() || !ObstacleList.empty() || !SceneryList.empty() || !ShotList.empty() ||
        ArenaObjectCount(ObjectArena::Stage) != 0)
        __builtin_trap(); // a released stage leaves no list entry and no object behind
    return 0;
}
