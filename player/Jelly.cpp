#include "player/Jelly.h"

#include "app/Camera.h"
#include "app/Cursor.h"
#include "app/Direct3D.h"
#include "app/Shader.h"
#include "app/TraceSections.h"
#include "assets/Meshes.h"
#include "assets/Sound.h"
#include "assets/Textures.h"
#include "world/Collision.h"
#include "world/ObjectSteps.h"
#include "world/Props.h"
#include "world/World.h"
#include "world/WorldMath.h"
#include <picture_size.h>
#include <windows.h>

#include <algorithm>
#include <cmath>
#include <cstdlib>

int32_t g_FirePhase = 0;
int32_t g_RescueWait = 0;

namespace {

constexpr int32_t kFullHp = 100;
constexpr int32_t kFollowerHp = 50; // a rescued jelly, and a follower thrown back
constexpr float kRadius = 2.0f;
constexpr float kAccel = 0.03f;      // a stray's push per frame
constexpr float kShotSpeed = 0.3f;   // a stray's shots
constexpr float kDrag = 0.95f;       // the velocity kept, and the share of the push taken, each frame
constexpr float kStraySpeed = 0.05f; // the speed caps
constexpr float kFollowSpeed = 0.2f;
constexpr float kSwimY = 4.0f; // the height a jelly swims at and rises back to after its rescue
constexpr D3DCOLOR kShadowColor = 0xB4000000;
constexpr float kShadowHalf = 5.0f; // half the shadow's side at the bottom of the bob
constexpr float kShadowBack = 0.5f; // the shadow's back edge grows with half the bob
constexpr float kShadowY = 0.1f;    // the shadow's height in the quad
constexpr float kBobStep = 0.03f;   // bobbing phase per frame; the bob runs from 0 to 2
constexpr float kTentacleRoot = 1.0f;
constexpr int32_t kStrayTentaclePeriod = 8; // frames between two entries of a ribbon's history
constexpr int32_t kFollowTentaclePeriod = 2;
constexpr int32_t kShakeFrames = 15;
constexpr float kRecoverStep = 0.01f; // a follower whitens again by this a frame after a hit

// Near within 30 units of the player, far again beyond 45 (squared).
constexpr int32_t kFar = 1; // m_Near
constexpr int32_t kNear = 2;
constexpr float kNearSq = 900.0f;
constexpr float kFarSq = 2025.0f;

constexpr float kFlockSq = 25.0f;   // strays of other groups within 5 units swim along
constexpr float kHomeHalf = 25.0f;  // the home square is 50 units wide
constexpr float kHomeMargin = 3.0f; // how far inside the square's edge a stray must keep
constexpr int kHomeWiden = 20;    // a returning stray heads home until well inside the square widened by this
constexpr float kTurnStep = 3.0f; // degrees a frame toward a target

// The formation: the first follower on the body, the next eight at 45-degree bearings, the next 14 on a ring
// spaced for 22, then an outer ring shared by the rest. Each distance grows with the jelly's jitter.
constexpr int32_t kInnerSlots = 8;
constexpr int32_t kMiddleSlots = 22;
constexpr float kInnerBearing = 45.0f;
constexpr float kMiddleBearing = 16.363636f;
constexpr float kInnerDistance = 2.0f;
constexpr float kMiddleDistance = 4.0f;
constexpr float kOuterDistance = 6.0f;
constexpr float kOuterJitter = 0.5f;
constexpr float kInPlaceSq = 9.0f;        // within 3 units a follower is in its place
constexpr float kStandSpeed = 0.001f;     // the push of a follower in its place
constexpr float kApproachSpeed = 0.0008f; // the push per unit of distance of one closing in

constexpr float kHitSq = 9.0f; // a shot within 3 units hits
constexpr float kSpraySpeed = 0.5f;
constexpr int32_t kRescueSprayLife = 30;
constexpr int32_t kHitSprayLife = 10;
constexpr int32_t kRescueDamage = 100; // one player shot takes all of a stray's hit points
constexpr int32_t kFollowerHitDamage = 15;
constexpr float kThrownX = 0.0f; // where a knocked-out follower is thrown, as a stray
constexpr float kThrownZ = 500.0f;
constexpr int32_t kHideFrames = 200; // its tentacles stay hidden meanwhile
constexpr float kBubbleRadius = 3.0f;
constexpr float kBubbleSpeed = 3.0f;

// The rescue animation (m_RescuePhase): down for 90 frames, a pause shared by all jellies, up for 90.
constexpr float kDipping = 0.0f;
constexpr float kPausing = 1.0f;
constexpr float kRising = 2.0f;
constexpr float kRescued = 3.0f;
constexpr float kDipFrames = 90.0f;
constexpr int32_t kPauseFrames = 60;
constexpr float kSinkStep = 0.05f;
constexpr float kWhitenStep = 0.005f;

constexpr float kStrayShotDelay = 100.0f; // frames between a near stray's shots
constexpr int32_t kStrayShotLife = 200;
constexpr float kFollowReachSq = 225.0f; // followers within 15 units of the player fire
constexpr int32_t kStaggerFrames = 120;  // the followers' first shots spread over this many frames
constexpr float kFollowShotSpeed = 1.0f;
constexpr int32_t kFollowShotLife = 40;
constexpr int32_t kReloadFrames = 60;

// A follower's fire state (m_FireState).
constexpr int32_t kFireIdle = 0;    // the button is up
constexpr int32_t kFireStagger = 1; // waiting for its place in the stagger
constexpr int32_t kFireReady = 2;   // fires this frame
constexpr int32_t kFireReloading = 3;

// A float cut to an int toward zero, as a cast does, but never outside +-1e9 (NaN gives 0): a stage file may
// place a home beyond what an int holds, and the integer arithmetic done on the result keeps room.
int TruncToInt(float v) {
    if (!(v == v)) return 0;
    if (v > 1e9f) return 1000000000;
    if (v < -1e9f) return -1000000000;
    return (int)v;
}

const D3DXCOLOR kStrayColor(1.0f, 0.1f, 1.0f, 0.8f); // translucent magenta
const D3DXCOLOR kFollowColor(1.0f, 1.0f, 1.0f, 1.0f);

// The unit vector a heading faces, (sin a, 0, cos a), turned through a rotation matrix rather than taken from
// HeadingVector: the replays were recorded with the matrix, which gives x = +0 for the heading -0 that 360
// becomes when wrapped, where HeadingVector gives -0.
D3DXVECTOR3 Forward(float degrees) {
    const D3DXVECTOR3 ahead(0.0f, 0.0f, 1.0f);
    const D3DXMATRIX rot = MatRotationY(degrees);
    D3DXVECTOR3 f;
    D3DXVec3TransformCoord(&f, &ahead, &rot);
    return f;
}

// Horizontal squared distance between the translation parts of two matrices.
float FlatDistSq(const D3DXMATRIX& a, const D3DXMATRIX& b) {
    const float dx = a._41 - b._41;
    const float dz = a._43 - b._43;
    return dx * dx + dz * dz;
}

// The player, where ActorList[0] is one.
CPlayer* PlayerBody() {
    return dynamic_cast<CPlayer*>(ThePlayer());
}

void BrightenTowardWhite(D3DXCOLOR& c, float step) {
    if (c.g < 1.0f) c.g = std::min(1.0f, c.g + step);
    if (c.b < 1.0f) c.b = std::min(1.0f, c.b + step);
}

} // namespace

// A stray at its load position: home is where it stands, magenta, tentacles gathered at the root.
void CJelly::Init() {
    m_Type = 1;
    m_bDead = 0;
    m_State = STATE_WILD;
    m_Hp = kFullHp;
    m_Near = kFar;
    m_bNear = 0;
    m_Speed = kAccel;
    m_ShotSpeed = kShotSpeed;
    m_Radius = kRadius;
    m_bHit = 0;

    m_FireState = kFireIdle;
    m_ReloadTime = 0;
    m_ShotDelay = 0.0f;
    m_Spread = 0.0f;
    m_bReturning = 0;
    m_ShakeTime = 0;
    m_RescuePhase = kDipping;
    m_RescueCount = 0.0f;
    m_Sink = 0.0f;
    m_bRescuing = 0;
    m_LastFollowCount = -999; // no count yet
    m_HideTime = 0;
    m_Count = 0;

    m_Jitter = rand() % 10;
    m_Angle = (float)(rand() % 360);
    m_BobPhase = (float)(rand() % 360);

    m_Home = m_Pos;
    m_mTrans = MatTranslation(D3DXVECTOR3(m_Pos.x, kSwimY, m_Pos.z));
    m_mWorld = m_mTrans;
    m_mRot = MatRotationY(m_Angle);
    m_mShake = MatIdentity();
    m_Target = D3DXVECTOR3(0.0f, 0.0f, 0.0f);
    m_Vel = D3DXVECTOR3(0.0f, 0.0f, 0.0f);

    const float uv[4][2] = {{0.0f, 0.0f}, {1.0f, 0.0f}, {1.0f, 1.0f}, {0.0f, 1.0f}};
    for (int i = 0; i < 4; ++i)
        m_Shadow[i] = Vertex3D{0.0f, 0.0f, 0.0f, kShadowColor, uv[i][0], uv[i][1]};

    ResetTentacles(m_Tentacles, kTentacleRoot, m_mTrans);

    m_Color = kStrayColor;
}

void CJelly::Update() {
    // A dead player is never near.
    CPlayer* player = PlayerBody();
    if (player) {
        const float d2 = FlatDistSq(m_mTrans, player->m_mTrans);
        if (m_Near == kFar && d2 < kNearSq) m_Near = kNear;
        if (m_Near == kNear && player->m_Hp > 0 && d2 >= kFarSq) m_Near = kFar;
        if (player->m_Hp <= 0) m_Near = kFar;
    } else {
        m_Near = kFar;
    }

    if (m_bRescuing == 0) Move();

    if (m_State == STATE_WILD)
        m_bNear = m_Near == kNear ? 1 : 0;
    else
        m_bNear = 0;

    HitByShots();

    if (m_Hp <= 0 && m_bDead == 0) KnockOut();

    if (m_bRescuing == 1) RescueStep();

    // A stray's ribbon records every 8th frame, a follower's every 2nd.
    const D3DXMATRIX body = m_mRot * m_mWorld;
    if (m_State == STATE_WILD) {
        for (Tentacle& t : m_Tentacles)
            UpdateTentacle(t, kStrayTentaclePeriod, body);
    }
    if (m_State == STATE_PLAYER_SIDE) {
        for (Tentacle& t : m_Tentacles)
            UpdateTentacle(t, kFollowTentaclePeriod, body);
    }

    if (m_bHit == 1) {
        m_ShakeTime = kShakeFrames;
        m_bHit = 0;
    }

    // A struck follower shakes and shows red, then whitens again slowly.
    if (StepShake(m_mShake, m_ShakeTime)) {
        if (m_State == STATE_PLAYER_SIDE) {
            m_Color.g = 0.0f;
            m_Color.b = 0.0f;
        }
    } else if (m_State == STATE_PLAYER_SIDE) {
        BrightenTowardWhite(m_Color, kRecoverStep);
    }

    if (m_HideTime > 0) m_HideTime -= 1;

    m_mWorld = m_mShake * m_mWorld;

    m_Count += 1;
    if (m_Count > 3600) m_Count = 0;
}

// Flocking, the formation, the home square, turning, swimming, bobbing and the shadow.
void CJelly::Move() {
    int n = 0;
    float headingSum = 0.0f;
    if (m_State == STATE_WILD) n = FlockHeadings(headingSum);
    if (m_State == STATE_PLAYER_SIDE) FormationStep();
    if (m_State == STATE_WILD) HomeSquareStep();
    Turn(n, headingSum);
    Swim();
    BobAndShadow();
}

// The strays of other groups within 5 units: how many, and the sum of their headings.
int CJelly::FlockHeadings(float& headingSum) const {
    int n = 0;
    for (CObjectBase* other : ActorList) {
        if (!other || other->m_Type != 1 || other->m_State != STATE_WILD || other->m_Id == m_Id) continue;
        if (FlatDistSq(other->m_mTrans, m_mTrans) < kFlockSq) {
            headingSum += other->m_Angle;
            n += 1;
        }
    }
    return n;
}

// The home square, 50 units wide; a stray that leaves it heads back until it is well inside the square
// widened by 20 on every side. (A home placed beyond what an int holds keeps its bound.)
void CJelly::HomeSquareStep() {
    const int xmin = TruncToInt(m_Home.x - kHomeHalf);
    const int xmax = TruncToInt(m_Home.x + kHomeHalf);
    const int zmin = TruncToInt(m_Home.z - kHomeHalf);
    const int zmax = TruncToInt(m_Home.z + kHomeHalf);
    const float x = m_Pos.x;
    const float z = m_Pos.z;
    if (m_bReturning == 0 && ((float)xmin > x - kHomeMargin || x + kHomeMargin > (float)xmax ||
                              (float)zmin > z - kHomeMargin || z + kHomeMargin > (float)zmax))
        m_bReturning = 1;
    if (m_bReturning == 1 && x - kHomeMargin > (float)(xmin - kHomeWiden) &&
        (float)(xmax + kHomeWiden) > x + kHomeMargin && z - kHomeMargin > (float)(zmin - kHomeWiden) &&
        (float)(zmax + kHomeWiden) > z + kHomeMargin)
        m_bReturning = 0;
    if (m_bReturning == 1)
        m_Target = D3DXVECTOR3((float)(xmin + xmax) * 0.5f, kSwimY, (float)(zmin + zmax) * 0.5f);
}

// Followers and returning strays turn three degrees a frame toward their target; other strays take the mean
// heading of their flock. The heading stays within -180..180.
void CJelly::Turn(int n, float headingSum) {
    if (m_State == STATE_PLAYER_SIDE || m_bReturning == 1) {
        const D3DXVECTOR3 f = Forward(m_Angle);
        D3DXVECTOR3 t = m_Target - m_Pos;
        D3DXVec3Normalize(&t, &t);
        D3DXVECTOR3 c;
        D3DXVec3Cross(&c, &t, &f);
        D3DXVec3Normalize(&c, &c);
        if (c.y < 0.0f) m_Angle += kTurnStep;
        if (c.y > 0.0f) m_Angle -= kTurnStep;
    } else if (n > 0) {
        m_Angle = headingSum / (float)n;
    }
    if (m_Angle > 180.0f) m_Angle = -(360.0f - m_Angle);
    if (m_Angle < -180.0f) m_Angle += 360.0f;
}

// Ahead at the jelly's push, capped, kept out of rocks and flowers.
void CJelly::Swim() {
    const D3DXVECTOR3 f = Forward(m_Angle);
    m_Vel = m_Vel * kDrag + f * m_Speed * kDrag;
    m_MaxSpeed = m_State == STATE_PLAYER_SIDE ? kFollowSpeed : kStraySpeed;
    if (D3DXVec3Length(&m_Vel) > m_MaxSpeed) {
        D3DXVec3Normalize(&m_Vel, &m_Vel);
        m_Vel *= m_MaxSpeed;
    }
    m_Pos += m_Vel;
    PushOutOfRocks(m_Pos, m_Radius);
    PushOutOfFlowers(m_Pos, m_Radius);

    m_mTrans = MatTranslation(m_Pos);
    m_mRot = MatRotationY(m_Angle); // the tentacles' roots turn with the heading
}

// The body bobs up to 2 above its position; the shadow's front and sides grow with the bob, its back half
// as much.
void CJelly::BobAndShadow() {
    m_BobPhase += kBobStep;
    if (m_BobPhase > 360.0f) m_BobPhase = 0.0f;
    m_Bob = std::sin(m_BobPhase) + 1.0f;

    m_mWorld = m_mTrans;
    m_mWorld._42 += m_Bob;

    const float b = m_Bob;
    const float corners[4][2] = {{-(b + kShadowHalf), b + kShadowHalf},
                                 {b + kShadowHalf, b + kShadowHalf},
                                 {b + kShadowHalf, -(b * kShadowBack + kShadowHalf)},
                                 {-(b + kShadowHalf), -(b * kShadowBack + kShadowHalf)}};
    for (int i = 0; i < 4; ++i) {
        m_Shadow[i].x = corners[i][0];
        m_Shadow[i].y = kShadowY;
        m_Shadow[i].z = corners[i][1];
    }
}

// Followers take places around the player's body in ActorList order: the first on the body itself, eight at
// 45-degree bearings, a ring of 22, then an outer ring shared by the rest.
void CJelly::FormationStep() {
    const int32_t k = g_FollowSlot;
    CPlayer* player = PlayerBody();
    const D3DXVECTOR3 p = player ? player->m_BodyPos : m_Pos;
    if (k == 0) {
        m_Target = p;
    } else {
        float a = 0.0f, d = 0.0f;
        if (k <= kInnerSlots) {
            a = (float)k * kInnerBearing;
            d = (float)m_Jitter + kInnerDistance;
        } else if (k <= kMiddleSlots) {
            a = (float)k * kMiddleBearing;
            d = (float)m_Jitter + kMiddleDistance;
        } else {
            // A slot past 22 with a count of exactly 8 does not come from a recount; should the counters
            // ever say so, the place must not become a division by zero (and the jelly lost with it).
            int32_t outer = g_FollowCount - kInnerSlots;
            if (outer == 0) outer = 1;
            a = (float)k * 360.0f / (float)outer;
            d = (float)m_Jitter * kOuterJitter + kOuterDistance;
        }
        m_Target = p + Forward(a) * d;
    }
    g_FollowSlot += 1;

    // Out of place, a follower waits a random 1 to 109 frames before it sets off.
    const float dz = m_Pos.z - m_Target.z;
    const float dx = m_Pos.x - m_Target.x;
    if (dz * dz + dx * dx < kInPlaceSq) {
        m_bMoving = 0;
    } else if (m_Count % (m_Jitter * 12 + 1) == 0) {
        m_bMoving = 1;
        m_Jitter = rand() % 10;
    }

    if (m_bMoving == 0) {
        m_Speed = kStandSpeed;
    } else {
        const D3DXVECTOR3 gap = m_Target - m_Pos;
        m_Speed = D3DXVec3Length(&gap) * kApproachSpeed;
    }
}

// A stray takes the first player shot within 3 units (rescue); a follower the first enemy shot (15 hit
// points). At most one shot a frame; a rescuing jelly takes none.
void CJelly::HitByShots() {
    if (m_bRescuing != 0) return;
    int32_t kind;
    if (m_State == STATE_WILD)
        kind = SHOT_PLAYER;
    else if (m_State == STATE_PLAYER_SIDE)
        kind = SHOT_ENEMY;
    else
        return;
    for (std::size_t i = 0; i < ShotList.size(); ++i) {
        CObjectBase* shot = ShotList[i];
        if (!shot || shot->m_bDead == 1 || shot->m_Kind != kind) continue;
        const D3DXVECTOR3 s(shot->m_mTrans._41, shot->m_mTrans._42, shot->m_mTrans._43);
        const float dx = m_Pos.x - s.x;
        const float dz = m_Pos.z - s.z;
        if (dx * dx + dz * dz >= kHitSq) continue;
        if (m_State == STATE_WILD) {
            PushShotRing(m_Shot, s, SHOT_SPRAY, kSpraySpeed, kRescueSprayLife);
            m_Hp -= kRescueDamage;
        } else {
            PushShotRing(m_Shot, s, SHOT_SPRAY, kSpraySpeed, kHitSprayLife);
            m_Hp -= kFollowerHitDamage;
            m_ShakeTime = kShakeFrames;
        }
        shot->m_bDead = 1;
        return;
    }
}

// Out of hit points: a stray starts its rescue; a follower is thrown back to a stray far away.
void CJelly::KnockOut() {
    if (m_State == STATE_WILD) {
        if (m_bRescuing != 0) return;
        m_bRescuing = 1;
        BubbleRing();
        PlaySE(SE_BUBBLE);
        return;
    }
    BubbleRing();
    PlaySE(SE_BUBBLE);
    m_State = STATE_WILD;
    m_Hp = kFollowerHp;
    m_Color = kStrayColor;
    m_Pos.x = kThrownX;
    m_Pos.z = kThrownZ;
    m_HideTime = kHideFrames;
}

// Eight bubbles on a circle of radius 3, each at a random height around the body.
void CJelly::BubbleRing() {
    for (int i = 0; i < 8; ++i) {
        const float a = 45.0f * (float)i * kDegToRad;
        CBubble* bubble = NewObject<CBubble>();
        bubble->m_Pos = D3DXVECTOR3(m_Pos.x + kBubbleRadius * std::sin(a), m_Pos.y + (float)(rand() % 10 - 5),
                                    m_Pos.z + kBubbleRadius * std::cos(a));
        bubble->m_Speed = kBubbleSpeed;
        bubble->Init();
        EffectList.push_back(bubble);
    }
}

// The dip and rise: down toward the seabed for 90 frames, a pause shared by all jellies, up again for 90,
// then the jelly follows the player. The magenta fades to white meanwhile.
void CJelly::RescueStep() {
    if (m_RescuePhase == kDipping) {
        m_RescueCount += 1.0f;
        if (m_RescueCount > kDipFrames) {
            m_RescuePhase = kPausing;
            m_RescueCount = kDipFrames;
        }
        if (m_mTrans._42 + m_Sink > 0.0f) m_Sink -= kSinkStep;
    }
    if (m_RescuePhase == kPausing) {
        g_RescueWait += 1;
        if (g_RescueWait > kPauseFrames) {
            g_RescueWait = 0;
            m_RescuePhase = kRising;
        }
    }
    if (m_RescuePhase == kRising) {
        m_RescueCount -= 1.0f;
        if (m_RescueCount < 0.0f) {
            m_RescuePhase = kRescued;
            m_RescueCount = 0.0f;
        }
        if (m_mTrans._42 + m_Sink < kSwimY) m_Sink += kSinkStep;
    }
    if (m_RescuePhase == kRescued) {
        m_State = STATE_PLAYER_SIDE;
        m_Type = 1;
        m_Hp = kFollowerHp;
        CountFollowers();
        m_RescuePhase = kDipping;
        m_bRescuing = 0;
        m_Color = kFollowColor;
    }
    BrightenTowardWhite(m_Color, kWhitenStep);

    m_mWorld = m_mTrans;
    m_mWorld._42 += m_Bob + m_Sink;

    const float half = m_Bob + kShadowHalf + m_Sink;
    SetShadowQuad(this, 2.0f * half, 2.0f * half);
}

void CJelly::Draw() {
    DrawMeshColored(g_MeshPlayer, m_mWorld, m_Color, 1);
}

void CJelly::DrawAlpha() {
    if (!g_pDevice) return;
    DrawShadow(*this);
    if (m_HideTime > 0) return;
    for (Tentacle& t : m_Tentacles)
        DrawTentacle(t);
}

int CJelly::Shoot() {
    if (m_State == STATE_WILD) {
        if (m_bRescuing == 0) StrayShoot();
    } else if (m_State == STATE_PLAYER_SIDE) {
        FollowerShoot();
    }
    return 0;
}

// A near stray fires at the player, give or take 5 degrees, every 100 frames.
void CJelly::StrayShoot() {
    CPlayer* player = PlayerBody();
    if (m_bNear == 1 && m_ShotDelay == 0.0f && player) {
        const D3DXVECTOR3 j(m_mTrans._41, m_mTrans._42, m_mTrans._43);
        const D3DXVECTOR3 p(player->m_mTrans._41, player->m_mTrans._42, player->m_mTrans._43);
        m_Spread = (float)(rand() % 10 - 5);
        const float aim = std::atan2(j.z - p.z, p.x - j.x) * kRadToDeg + 90.0f + m_Spread;
        m_Shot.Angle = aim;
        m_Shot.Pos = j;
        m_Shot.Kind = SHOT_ENEMY;
        m_Shot.Speed = m_ShotSpeed;
        m_Shot.Life = kStrayShotLife;
        ShotRequestQueue.push_back(m_Shot);
        m_ShotDelay = kStrayShotDelay;
    }
    if (m_ShotDelay > 0.0f) m_ShotDelay = std::max(0.0f, m_ShotDelay - 1.0f);
}

// While the fire button is held, followers within 15 units of the player fire toward the cursor: their first
// shots spread over 120 frames, then each fires every 60 frames.
void CJelly::FollowerShoot() {
    if (!KeyHeld(VK_LBUTTON)) {
        g_FirePhase = 0;
        m_ShotDelay = 0.0f;
        m_bNear = 0;
        m_FireState = kFireIdle;
        return;
    }
    CPlayer* player = PlayerBody();
    if (!player) return;
    const float dx = m_Pos.x - player->m_BodyPos.x;
    const float dz = m_Pos.z - player->m_BodyPos.z;
    if (dx * dx + dz * dz >= kFollowReachSq) return; // out of range: the fire state waits

    CountFollowers();
    const int32_t n = g_FollowCount;
    if (n != m_LastFollowCount) {
        m_LastFollowCount = n;
        m_FireState = kFireIdle;
    }
    if (m_FireState == kFireIdle) {
        m_FireState = kFireStagger;
        const int32_t delay = kStaggerFrames / (n + 1) * g_FirePhase; // whole frames
        m_ShotDelay = static_cast<float>(delay);
        g_FirePhase = (g_FirePhase + 1) % (n + 1);
    }
    if (m_FireState == kFireStagger) {
        m_ShotDelay -= 1.0f;
        if (m_ShotDelay <= 0.0f) m_FireState = kFireReady;
    }
    if (m_FireState == kFireReady) {
        // Aimed as the player aims: from the middle of the 640 x 480 screen toward the cursor.
        const float cursorX = GetCursorScreenX();
        const float cursorY = GetCursorScreenY();
        const float aim =
            std::atan2(kPictureHeight * 0.5f - cursorY, kPictureWidth * 0.5f - cursorX) * kRadToDeg - 90.0f +
            g_CamYaw;
        const D3DXVECTOR3 muzzleLocal(0.0f, 0.0f, 5.0f);
        const D3DXMATRIX m = MatRotationY(aim) * m_mTrans;
        D3DXVECTOR3 muzzle;
        D3DXVec3TransformCoord(&muzzle, &muzzleLocal, &m);
        m_Shot.Angle = aim;
        m_Shot.Pos = muzzle;
        m_Shot.Kind = SHOT_PLAYER;
        m_Shot.Speed = kFollowShotSpeed;
        m_Shot.Life = kFollowShotLife;
        ShotRequestQueue.push_back(m_Shot);
        PlaySE(SE_SHOT);
        m_ReloadTime = kReloadFrames;
        m_FireState = kFireReloading;
    }
    if (m_FireState == kFireReloading) {
        m_ReloadTime -= 1;
        if (m_ReloadTime <= 0) {
            m_ReloadTime = 0;
            m_FireState = kFireReady;
        }
    }
}

// Jellies still astray (rescuing ones among them) and those whose rescue animation runs; then every jelly,
// in ActorList order: 1 stray or 2 following, whether its rescue animation runs, and where it swims.
void TraceJellyKeys(JsonLine& j) {
    long long strays = 0, rescuing = 0;
    for (const CObjectBase* actor : ActorList) {
        const CJelly* jelly = dynamic_cast<const CJelly*>(actor);
        if (!jelly) continue;
        if (jelly->m_State == STATE_WILD) ++strays;
        if (jelly->m_bRescuing == 1) ++rescuing;
    }
    j.Int("strays", strays);
    j.Int("rescuing", rescuing);
    j.OpenList("jellies");
    for (const CObjectBase* actor : ActorList) {
        const CJelly* jelly = dynamic_cast<const CJelly*>(actor);
        if (!jelly) continue;
        j.OpenItem();
        j.Int("state", jelly->m_State);
        j.Int("rescuing", jelly->m_bRescuing);
        j.Float("x", jelly->m_Pos.x);
        j.Float("z", jelly->m_Pos.z);
        j.Close();
    }
    j.CloseList();
}
