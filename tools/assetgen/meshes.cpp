// The table of the game's meshes and the writing of xfile/.
#include "tools/assetgen/meshes.h"

#include <cstdio>
#include <filesystem>

namespace assetgen {

const std::vector<MeshEntry>& AllMeshes() {
    static const std::vector<MeshEntry> list = {
        {"player.x", MakePlayer},
        {"enemy.x", MakeEnemy},
        {"lamp.x", MakeLamp},
        {"bullet.x", MakeBullet},
        {"enemyBullet.x", MakeEnemyBullet},
        {"effect.x", MakeEffect},
        {"football.x", MakeFootball},
        {"anemone.x", MakeAnemone},
        {"rock.x", MakeRock},
        {"lowerjaw.x", MakeLowerJaw},
        {"starfishA.x", MakeStarfishA},
        {"starfishB.x", MakeStarfishB},
        {"pearl.x", MakePearl},
        {"coral_red.x", MakeCoralRed},
        {"star.x", MakeStar},
        {"dull.x", MakeDull},
        {"collision1.x", MakeCollision1},
        {"collision2.x", MakeCollision2},
        {"collision3.x", MakeCollision3},
        {"heal_effect.x", MakeHealEffect},
        {"bubble.x", MakeBubble},
        {"rootsoul.x", MakeRootSoul},
        {"petal.x", MakePetal},
        {"flower_outside.x", MakeFlowerOutside},
        {"flower_inside.x", MakeFlowerInside},
        {"flower_center.x", MakeFlowerCenter},
        {"miniflower.x", MakeMiniFlower},
        {"ivy.x", MakeIvy},
        {"percula.x", MakePercula},
        {"squid.x", MakeSquid},
    };
    return list;
}

bool GenerateMeshes(const std::string& root) {
    std::filesystem::path dir = std::filesystem::path(root) / "xfile";
    std::error_code ec;
    std::filesystem::create_directories(dir, ec);
    if (ec) {
        std::fprintf(stderr, "assetgen: cannot create %s: %s\n", dir.string().c_str(), ec.message().c_str());
        return false;
    }
    bool ok = true;
    for (const MeshEntry& e : AllMeshes()) {
        std::string name = e.file;
        name = name.substr(0, name.size() - 2);
        ok = WriteXFile((dir / e.file).string(), e.make(), name) && ok;
    }
    return ok;
}

} // namespace assetgen
