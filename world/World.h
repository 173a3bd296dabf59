// The whole-world passes of a stage: update, shots, the two depth-sorted draws, and the release.
#pragma once

#include "world/ObjectBase.h"

#include <cstddef>
#include <cstdint>

// Recounts the followers, calls Update on every object of ActorList, ObstacleList, ShotList, SceneryList and
// EffectList in that order, then takes the dead out of ActorList, ShotList and EffectList (never out of
// SceneryList or ObstacleList). Swept objects stay alive until their arena is released.
void UpdateAll();

// g_FollowCount = the actors with m_Type 1 and m_State 2; g_FollowSlot = 0.
void CountFollowers();

// Shoot on every actor, then every queued request becomes a shot; the queue ends empty.
void ShootAll();

// Turns every request of ShotRequestQueue into a shot with spawn, including requests pushed meanwhile (for
// instance by a new shot's Init), then empties the queue. ShootAll drains with SpawnShot.
void DrainShotRequests(void (*spawn)(const ShotRequest&));

// A new CBullet from a request: angle, position, kind, speed and life copied, Init called, appended to
// ShotList.
void SpawnShot(const ShotRequest& request);

// Draw on every object, far to near: key m_Radius + m_Pos.z - g_CamEye.z, largest first; among equal keys the
// one inserted last first, lists inserted as ActorList, ObstacleList, ShotList, SceneryList, EffectList.
void DrawAll();

// DrawAlpha on every object, far to near as DrawAll, lists inserted as ObstacleList, ShotList, SceneryList,
// ActorList, EffectList.
void DrawAlphaAll();

// Empties the five object lists, sets g_TargetCount to 0 and destroys every object of the stage arena.
// ShotRequestQueue is left as it is: its requests become shots in the next stage.
void ReleaseObjects();

// Empties EffectList and destroys every object of the title arena (when the title ends).
void ReleaseTitleObjects();

// Destroys the objects that live for the whole program (at exit, after ReleaseObjects and
// ReleaseTitleObjects).
void ReleaseProgramObjects();
