#include "world/ObjectBase.h"

#include "app/TraceSections.h"

std::vector<CObjectBase*> ActorList;
std::vector<CObjectBase*> ObstacleList;
std::vector<CObjectBase*> ShotList;
std::vector<CObjectBase*> SceneryList;
std::vector<CObjectBase*> EffectList;
std::vector<ShotRequest> ShotRequestQueue;

int32_t g_TargetCount = 0;
int32_t g_FollowCount = 0;
int32_t g_FollowSlot = 0;

CObjectBase* ThePlayer() {
    return ActorList.empty() ? nullptr : ActorList[0];
}

void PushShotRing(ShotRequest& shot, const D3DXVECTOR3& pos, int32_t kind, float speed, int32_t life) {
    for (int i = 0; i < 8; ++i) {
        shot.Angle = 45.0f * (float)i;
        shot.Pos = pos;
        shot.Kind = kind;
        shot.Speed = speed;
        shot.Life = life;
        ShotRequestQueue.push_back(shot);
    }
}

CObjectBase::CObjectBase() {
    m_pMesh = nullptr;
    g_FollowCount = 0;
}

CObjectBase::~CObjectBase() = default;

namespace {

constexpr int kArenaCount = 3;
std::vector<std::unique_ptr<CObjectBase>> s_Arenas[kArenaCount];
ObjectArena s_CurrentArena = ObjectArena::Program;

std::vector<std::unique_ptr<CObjectBase>>& Arena(ObjectArena arena) {
    return s_Arenas[static_cast<int>(arena)];
}

} // namespace

void SetObjectArena(ObjectArena arena) {
    s_CurrentArena = arena;
}

ObjectArena GetObjectArena() {
    return s_CurrentArena;
}

CObjectBase* AdoptObject(std::unique_ptr<CObjectBase> object) {
    CObjectBase* raw = object.get();
    if (raw) Arena(s_CurrentArena).push_back(std::move(object));
    return raw;
}

std::size_t ArenaObjectCount(ObjectArena arena) {
    return Arena(arena).size();
}

void DestroyArenaObjects(ObjectArena arena) {
    // Take the objects out first, so that the arena is already empty while destructors run; the newest go
    // first.
    std::vector<std::unique_ptr<CObjectBase>> dying;
    dying.swap(Arena(arena));
    while (!dying.empty())
        dying.pop_back();
}

// The sizes of the object lists and of the shot request queue.
void TraceObjectListKeys(JsonLine& j) {
    j.Int("actors", (long long)ActorList.size());
    j.Int("obstacles", (long long)ObstacleList.size());
    j.Int("shots", (long long)ShotList.size());
    j.Int("scenery", (long long)SceneryList.size());
    j.Int("effects", (long long)EffectList.size());
    j.Int("requests", (long long)ShotRequestQueue.size());
}
