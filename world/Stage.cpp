#include "world/Stage.h"

#include "creatures/Anemone.h"
#include "creatures/Football.h"
#include "creatures/Percula.h"
#include "creatures/Squid.h"
#include "player/Jelly.h"
#include "world/Flower.h"
#include "world/ObjectBase.h"
#include "world/Props.h"
#include "world/StageFile.h"

#include <cerrno>
#include <cstdio>
#include <cstring>

namespace {

void Place(CObjectBase* object, const D3DXVECTOR3& pos, std::vector<CObjectBase*>& list) {
    object->m_Pos = pos;
    list.push_back(object);
}

// An actor that carries the number of the stage's targets listed before it.
void PlaceActor(CObjectBase* object, const D3DXVECTOR3& pos) {
    object->m_Pos = pos;
    object->m_Id = g_TargetCount;
    ActorList.push_back(object);
}

// A creature that is a target in one stage only.
void PlaceTarget(CObjectBase* object, const D3DXVECTOR3& pos, int32_t targetStage) {
    PlaceActor(object, pos);
    if (g_StageNo == targetStage) g_TargetCount += 1;
}

// Three jellies on a ring of radius 10 around pos, at 0, 120 and 240 degrees.
void PlaceJellyRing(const D3DXVECTOR3& pos) {
    const float angles[3] = {0.0f, 120.0f, 240.0f};
    for (float angle : angles) {
        D3DXMATRIX rot;
        D3DXMatrixRotationY(&rot, angle * 0.017453292f);
        const D3DXVECTOR3 ahead(0.0f, 0.0f, 10.0f);
        D3DXVECTOR3 offset;
        D3DXVec3TransformNormal(&offset, &ahead, &rot);
        PlaceActor(NewObject<CJelly>(), pos + offset);
    }
}

void CreateByCode(int32_t code, const D3DXVECTOR3& pos) {
    switch (code) {
    case 0:
        PlaceActor(NewObject<CJelly>(), pos);
        break;
    case 1:
        PlaceJellyRing(pos);
        break;
    case 2:
        PlaceTarget(NewObject<CFootball>(), pos, 1);
        break;
    case 3:
        PlaceTarget(NewObject<CAnemone>(), pos, 2);
        break;
    case 4:
        PlaceTarget(NewObject<CSquid>(), pos, 3);
        break;
    case 5:
        PlaceActor(NewObject<CPercula>(), pos);
        break;
    case 10:
        Place(NewObject<CPearl>(), pos, SceneryList);
        break;
    case 11:
        Place(NewObject<CStarfish>(0), pos, SceneryList);
        break;
    case 12:
        Place(NewObject<CStarfish>(1), pos, SceneryList);
        break;
    case 13:
        Place(NewObject<CWakame>(), pos, SceneryList);
        break;
    case 14:
        Place(NewObject<CCoral>(), pos, SceneryList);
        break;
    case 30:
        Place(NewObject<CRock>(0), pos, ObstacleList);
        break;
    case 31:
        Place(NewObject<CRock>(1), pos, ObstacleList);
        break;
    case 32:
        Place(NewObject<CRock>(2), pos, ObstacleList);
        break;
    case 33:
        Place(NewObject<CFlower>(), pos, ObstacleList);
        break;
    default:
        break; // nothing stands here
    }
}

void InitList(std::vector<CObjectBase*>& list) {
    for (std::size_t i = 0; i < list.size(); ++i) {
        CObjectBase* object = list[i];
        if (object) object->Init();
    }
}

} // namespace

const char* StageFilePath(int32_t stageNo) {
    switch (stageNo) {
    case 2:
        return "data/stage2.csv";
    case 3:
        return "data/stage3.csv";
    case 4:
        return "data/stage4.csv";
    default:
        return "data/stage1.csv";
    }
}

void LoadStage() {
    const char* path = StageFilePath(g_StageNo);
    const StageFileContents contents = ReadStageFile(path);
    // The stage then starts with nothing in it (and is cleared at once); say why.
    if (!contents.opened)
        std::fprintf(stderr, "brinewisp: %s: cannot read the stage file (%s); the stage starts empty\n", path,
                     std::strerror(contents.openError ? contents.openError : ENOENT));
    else if (contents.lines == 0)
        std::fprintf(stderr, "brinewisp: %s: the stage file is empty; the stage starts empty\n", path);
    for (const auto& bad : contents.malformed)
        std::fprintf(stderr, "%s:%d: malformed record skipped\n", path, bad.first);
    for (const StageRecord& record : contents.records)
        CreateByCode(record.code, D3DXVECTOR3(record.x, record.y, record.z));
}

void InitAll() {
    InitList(ActorList);
    InitList(ObstacleList);
    InitList(ShotList);
    InitList(SceneryList);
    InitList(EffectList);
}
