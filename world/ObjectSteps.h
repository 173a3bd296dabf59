// Steps that several kinds of object take alike: the shadow under a swimmer, the shake after a hit, the
// player's shots hitting a target and the end of a creature's charge.
#pragma once

#include "world/ObjectBase.h"
#include "world/WorldMath.h"

#include <cstddef>

// Draws the object's shadow quad (m_Shadow) with the light texture, lying on the seabed at height 0.1 under
// the object's translation, whatever its height. Draws nothing without a device.
void DrawShadow(const CObjectBase& object);

// One frame of the shake after a hit. While frames is at least 1 (and the object may shake) the shake is a
// translation by 0.5 in a random direction on the seabed's plane and frames counts down; otherwise it is the
// identity. True while shaking.
bool StepShake(D3DXMATRIX& shake, int32_t& frames, bool mayShake = true);

// The player's shots that hit a target this frame: every live shot of kind SHOT_PLAYER whose translation lies
// within reach of pos (horizontally, squared, strictly less), in ShotList order. Each is marked dead and
// leaves a ring of sprays from the target's m_Shot where it stood; then hit() runs for it.
template <class Hit>
void TakePlayerShots(CObjectBase& target, const D3DXVECTOR3& pos, float reachSq, Hit hit) {
    for (std::size_t i = 0; i < ShotList.size(); ++i) {
        CObjectBase* shot = ShotList[i];
        if (!shot || shot->m_bDead == 1 || shot->m_Kind != SHOT_PLAYER) continue;
        const D3DXVECTOR3 at(shot->m_mTrans._41, shot->m_mTrans._42, shot->m_mTrans._43);
        if (!(FlatDistanceSq(at, pos) < reachSq)) continue;
        PushShotRing(target.m_Shot, at, SHOT_SPRAY, 0.5f, 10);
        shot->m_bDead = 1;
        hit();
    }
}

// The sub-phases of a charge (m_ChargePhase of the creatures that lunge).
enum ChargePhase {
    CHARGE_START = 0,    // about to back off
    CHARGE_BACK_OFF = 1, // backing away
    CHARGE_LUNGE = 2,    // holding still with the bite ready, then the lunge
    CHARGE_OVER = 3,     // the lunge has slowed down: the charge ends within the frame
};

// A lunge slower than this per frame is over.
constexpr float kLungeEndSpeed = 0.05f;

// The end of a charge: a charge in CHARGE_OVER starts again from CHARGE_START with the state timer at 0 and
// the bite stopped. True when it ended; the creature then goes back to chasing.
bool EndCharge(int32_t& phase, int32_t& timer, int32_t& biting);
