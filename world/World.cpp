#include "world/World.h"

#include "app/Camera.h"
#include "player/Bullet.h"

#include <algorithm>
#include <cmath>
#include <vector>

namespace {

void UpdateList(std::vector<CObjectBase*>& list) {
    for (std::size_t i = 0; i < list.size(); ++i) {
        CObjectBase* object = list[i];
        if (object) object->Update();
    }
}

// Erases the dead in place, keeping the order of the rest; the entry that moves up is tested in its turn.
void SweepList(std::vector<CObjectBase*>& list) {
    std::size_t i = 0;
    while (i < list.size()) {
        CObjectBase* object = list[i];
        if (object && object->m_bDead == 1) {
            list.erase(list.begin() + static_cast<std::ptrdiff_t>(i));
        } else {
            ++i;
        }
    }
}

// Objects with their depth keys and the order they were added in. Sorted by key, then by that order, and
// walked from the back: the farthest come first and, among equal keys, the one added last comes first.
// The storage is kept from pass to pass.
struct DepthEntry {
    float key;
    std::size_t order;
    CObjectBase* object;
};
using DepthList = std::vector<DepthEntry>;

void InsertByDepth(DepthList& entries, const std::vector<CObjectBase*>& list) {
    for (std::size_t i = 0; i < list.size(); ++i) {
        CObjectBase* object = list[i];
        if (!object) continue;
        float key = object->m_Radius + object->m_Pos.z - g_CamEye.z;
        if (std::isnan(key)) key = 0.0f; // keeps the ordering sound for an object that lost its position
        entries.push_back({key, entries.size(), object});
    }
}

void SortByDepth(DepthList& entries) {
    std::sort(entries.begin(), entries.end(), [](const DepthEntry& a, const DepthEntry& b) {
        return a.key < b.key || (a.key == b.key && a.order < b.order);
    });
}

} // namespace

void CountFollowers() {
    g_FollowCount = 0;
    if (!ActorList.empty()) {
        int32_t count = 0;
        for (CObjectBase* object : ActorList) {
            if (object && object->m_Type == 1 && object->m_State == STATE_PLAYER_SIDE) ++count;
        }
        g_FollowCount = count;
    }
    g_FollowSlot = 0;
}

void UpdateAll() {
    CountFollowers();
    UpdateList(ActorList);
    UpdateList(ObstacleList);
    UpdateList(ShotList);
    UpdateList(SceneryList);
    UpdateList(EffectList);
    SweepList(ActorList);
    SweepList(ShotList);
    SweepList(EffectList);
}

void SpawnShot(const ShotRequest& request) {
    CBullet* shot = NewObject<CBullet>();
    shot->m_Angle = request.Angle;
    shot->m_Pos = request.Pos;
    shot->m_Kind = request.Kind;
    shot->m_Speed = request.Speed;
    shot->m_Life = request.Life;
    shot->Init();
    ShotList.push_back(shot);
}

void DrainShotRequests(void (*spawn)(const ShotRequest&)) {
    for (std::size_t i = 0; i < ShotRequestQueue.size(); ++i) {
        // A copy: the spawn may push requests and so move the queue's storage.
        const ShotRequest request = ShotRequestQueue[i];
        spawn(request);
    }
    ShotRequestQueue.clear();
}

void ShootAll() {
    for (std::size_t i = 0; i < ActorList.size(); ++i) {
        CObjectBase* object = ActorList[i];
        if (object) object->Shoot();
    }
    DrainShotRequests(SpawnShot);
}

void DrawAll() {
    static DepthList entries;
    entries.clear();
    InsertByDepth(entries, ActorList);
    InsertByDepth(entries, ObstacleList);
    InsertByDepth(entries, ShotList);
    InsertByDepth(entries, SceneryList);
    InsertByDepth(entries, EffectList);
    SortByDepth(entries);
    for (auto it = entries.rbegin(); it != entries.rend(); ++it)
        it->object->Draw();
}

void DrawAlphaAll() {
    static DepthList entries;
    entries.clear();
    InsertByDepth(entries, ObstacleList);
    InsertByDepth(entries, ShotList);
    InsertByDepth(entries, SceneryList);
    InsertByDepth(entries, ActorList);
    InsertByDepth(entries, EffectList);
    SortByDepth(entries);
    for (auto it = entries.rbegin(); it != entries.rend(); ++it)
        it->object->DrawAlpha();
}

void ReleaseObjects() {
    ActorList.clear();
    ObstacleList.clear();
    ShotList.clear();
    SceneryList.clear();
    EffectList.clear();
    g_TargetCount = 0;
    DestroyArenaObjects(ObjectArena::Stage);
}

void ReleaseTitleObjects() {
    EffectList.clear();
    DestroyArenaObjects(ObjectArena::Title);
}

void ReleaseProgramObjects() {
    DestroyArenaObjects(ObjectArena::Program);
}
