// Stage files: what stands where in a stage, read into the object lists.
#pragma once

#include <cstdint>

// The stage to load, set by the title menu. The scene unit defines it.
extern int32_t g_StageNo;

// The stage file of a stage number: "data/stage2.csv" to "data/stage4.csv", any other number
// "data/stage1.csv". Paths are relative to the working directory.
const char* StageFilePath(int32_t stageNo);

// Reads the file of g_StageNo into ActorList, SceneryList and ObstacleList and counts the stage's targets in
// g_TargetCount. The objects belong to the current arena. Calls no Init. A missing file loads nothing; a line
// that is not a record is skipped with a note on stderr; an unknown type code is skipped.
void LoadStage();

// Init on every object of ActorList, ObstacleList, ShotList, SceneryList and EffectList, in that order;
// objects that an Init appends are initialised too.
void InitAll();
