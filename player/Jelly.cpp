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

// The unit vector a heading faces: (sin a, 0, cos a).
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

bool KeyHeld(int vk) {
    return (GetAsyncKeyState(vk) & 0x8000) != 0;
}

// The player is element 0 of ActorList during a stage.
CPlayer* ThePlayer() {
    if (ActorList.empty()) return nullptr;
    return dynamic_cast<CPlayer*>(ActorList[0]);
}

// Eight requests of one kind in a ring, one every 45 degrees.
void PushRing(ShotRequest& shot, const D3DXVECTOR3& pos, int32_t kind, float speed, int32_t life) {
    for (int i = 0; i < 8; ++i) {
        shot.Angle = 45.0f * (float)i;
        shot.Pos = pos;
        shot.Kind = kind;
        shot.Speed = speed;
        shot.Life = life;
        ShotRequestQueue.push_back(shot);
    }
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
    m_State = 1;
    m_Hp = 100;
    m_Near = 1;
    m_bNear = 0;
    m_Speed = 0.03f;
    m_ShotSpeed = 0.3f;
    m_Radius = 2.0f;
    m_bHit = 0;

    m_FireState = 0;
    m_ReloadTime = 0;
    m_ShotDelay = 0.0f;
    m_Spread = 0.0f;
    m_bReturning = 0;
    m_ShakeTime = 0;
    m_RescuePhase = 0.0f;
    m_RescueCount = 0.0f;
    m_Sink = 0.0f;
    m_bRescuing = 0;
    m_LastFollowCount = -999;
    m_HideTime = 0;
    m_Count = 0;

    m_Jitter = rand() % 10;
    m_Angle = (float)(rand() % 360);
    m_BobPhase = (float)(rand() % 360);

    m_Home = m_Pos;
    m_mTrans = MatTranslation(D3DXVECTOR3(m_Pos.x, 4.0f, m_Pos.z));
    m_mWorld = m_mTrans;
    m_mRot = MatRotationY(m_Angle);
    m_mShake = MatIdentity();
    m_Target = D3DXVECTOR3(0.0f, 0.0f, 0.0f);
    m_Vel = D3DXVECTOR3(0.0f, 0.0f, 0.0f);

    const float uv[4][2] = {{0.0f, 0.0f}, {1.0f, 0.0f}, {1.0f, 1.0f}, {0.0f, 1.0f}};
    for (int i = 0; i < 4; ++i)
        m_Shadow[i] = Vertex3D{0.0f, 0.0f, 0.0f, 0xB4000000, uv[i][0], uv[i][1]};

    ResetTentacles(m_Tentacles, 1.0f, m_mTrans);

    m_Color = kStrayColor;
}

void CJelly::Update() {
    // Near within 30 units of the player, far again beyond 45; a dead player is never near.
    CPlayer* player = ThePlayer();
    if (player) {
        const float d2 = FlatDistSq(m_mTrans, player->m_mTrans);
        if (m_Near == 1 && d2 < 900.0f) m_Near = 2;
        if (m_Near == 2 && player->m_Hp > 0 && d2 >= 2025.0f) m_Near = 1;
        if (player->m_Hp <= 0) m_Near = 1;
    } else {
        m_Near = 1;
    }

    if (m_bRescuing == 0) Move();

    if (m_State == 1)
        m_bNear = m_Near == 2 ? 1 : 0;
    else
        m_bNear = 0;

    HitByShots();

    if (m_Hp <= 0 && m_bDead == 0) KnockOut();

    if (m_bRescuing == 1) RescueStep();

    // A stray's ribbon records every 8th frame, a follower's every 2nd.
    const D3DXMATRIX body = m_mRot * m_mWorld;
    if (m_State == 1) {
        for (Tentacle& t : m_Tentacles)
            UpdateTentacle(t, 8, body);
    }
    if (m_State == 2) {
        for (Tentacle& t : m_Tentacles)
            UpdateTentacle(t, 2, body);
    }

    if (m_bHit == 1) {
        m_ShakeTime = 15;
        m_bHit = 0;
    }

    // A struck follower shakes and shows red, then whitens again slowly.
    if (m_ShakeTime <= 0) {
        m_mShake = MatIdentity();
        if (m_State == 2) BrightenTowardWhite(m_Color, 0.01f);
    } else {
        const float a = (float)(rand() % 360);
        const D3DXVECTOR3 v = Forward(a) * 0.5f;
        D3DXMatrixTranslation(&m_mShake, v.x, 0.0f, v.z);
        m_ShakeTime -= 1;
        if (m_State == 2) {
            m_Color.g = 0.0f;
            m_Color.b = 0.0f;
        }
    }

    if (m_HideTime > 0) m_HideTime -= 1;

    m_mWorld = m_mShake * m_mWorld;

    m_Count += 1;
    if (m_Count > 3600) m_Count = 0;
}

// Flocking, the formation, the home square, turning, swimming, bobbing and the shadow.
void CJelly::Move() {
    // Strays of other groups within 5 units.
    int n = 0;
    float headingSum = 0.0f;
    if (m_State == 1) {
        for (CObjectBase* other : ActorList) {
            if (!other || other->m_Type != 1 || other->m_State != 1 || other->m_Id == m_Id) continue;
            if (FlatDistSq(other->m_mTrans, m_mTrans) < 25.0f) {
                headingSum += other->m_Angle;
                n += 1;
            }
        }
    }

    if (m_State == 2) FormationStep();

    if (m_State == 1) {
        // The home square, 50 units wide; a stray that leaves it heads back until it is well inside the
        // square widened by 20 on every side. (A home placed beyond what an int holds keeps its bound.)
        const int xmin = TruncToInt(m_Home.x - 25.0f);
        const int xmax = TruncToInt(m_Home.x + 25.0f);
        const int zmin = TruncToInt(m_Home.z - 25.0f);
        const int zmax = TruncToInt(m_Home.z + 25.0f);
        const float x = m_Pos.x;
        const float z = m_Pos.z;
        if (m_bReturning == 0 && ((float)xmin > x - 3.0f || x + 3.0f > (float)xmax ||
                                  (float)zmin > z - 3.0f || z + 3.0f > (float)zmax))
            m_bReturning = 1;
        if (m_bReturning == 1 && x - 3.0f > (float)(xmin - 20) && (float)(xmax + 20) > x + 3.0f &&
            z - 3.0f > (float)(zmin - 20) && (float)(zmax + 20) > z + 3.0f)
            m_bReturning = 0;
        if (m_bReturning == 1)
            m_Target = D3DXVECTOR3((float)(xmin + xmax) * 0.5f, 4.0f, (float)(zmin + zmax) * 0.5f);
    }

    if (m_State == 2 || m_bReturning == 1) {
        // Three degrees a frame toward the target.
        const D3DXVECTOR3 f = Forward(m_Angle);
        D3DXVECTOR3 t = m_Target - m_Pos;
        D3DXVec3Normalize(&t, &t);
        D3DXVECTOR3 c;
        D3DXVec3Cross(&c, &t, &f);
        D3DXVec3Normalize(&c, &c);
        if (c.y < 0.0f) m_Angle += 3.0f;
        if (c.y > 0.0f) m_Angle -= 3.0f;
    } else if (n > 0) {
        m_Angle = headingSum / (float)n;
    }
    if (m_Angle > 180.0f) m_Angle = -(360.0f - m_Angle);
    if (m_Angle < -180.0f) m_Angle += 360.0f;

    const D3DXVECTOR3 f = Forward(m_Angle);
    m_Vel = m_Vel * 0.95f + f * m_Speed * 0.95f;
    m_MaxSpeed = m_State == 2 ? 0.2f : 0.05f;
    if (D3DXVec3Length(&m_Vel) > m_MaxSpeed) {
        D3DXVec3Normalize(&m_Vel, &m_Vel);
        m_Vel *= m_MaxSpeed;
    }
    m_Pos += m_Vel;
    PushOutOfRocks(m_Pos, m_Radius);
    PushOutOfFlowers(m_Pos, m_Radius);

    m_mTrans = MatTranslation(m_Pos);
    m_mRot = MatRotationY(m_Angle); // the tentacles' roots turn with the heading

    m_BobPhase += 0.03f;
    if (m_BobPhase > 360.0f) m_BobPhase = 0.0f;
    m_Bob = std::sin(m_BobPhase) + 1.0f;

    m_mWorld = m_mTrans;
    m_mWorld._42 += m_Bob;

    const float b = m_Bob;
    const float corners[4][2] = {{-(b + 5.0f), b + 5.0f},
                                 {b + 5.0f, b + 5.0f},
                                 {b + 5.0f, -(b * 0.5f + 5.0f)},
                                 {-(b + 5.0f), -(b * 0.5f + 5.0f)}};
    for (int i = 0; i < 4; ++i) {
        m_Shadow[i].x = corners[i][0];
        m_Shadow[i].y = 0.1f;
        m_Shadow[i].z = corners[i][1];
    }
}

// Followers take places around the player's body in ActorList order: the first on the body itself, eight at
// 45-degree bearings, a ring of 22, then an outer ring shared by the rest.
void CJelly::FormationStep() {
    const int32_t k = g_FollowSlot;
    CPlayer* player = ThePlayer();
    const D3DXVECTOR3 p = player ? player->m_BodyPos : m_Pos;
    if (k == 0) {
        m_Target = p;
    } else {
        float a = 0.0f, d = 0.0f;
        if (k <= 8) {
            a = (float)k * 45.0f;
            d = (float)m_Jitter + 2.0f;
        } else if (k <= 22) {
            a = (float)k * 16.363636f;
            d = (float)m_Jitter + 4.0f;
        } else {
            // A slot past 22 with a count of exactly 8 does not come from a recount; should the counters
            // ever say so, the place must not become a division by zero (and the jelly lost with it).
            int32_t outer = g_FollowCount - 8;
            if (outer == 0) outer = 1;
            a = (float)k * 360.0f / (float)outer;
            d = (float)m_Jitter * 0.5f + 6.0f;
        }
        m_Target = p + Forward(a) * d;
    }
    g_FollowSlot += 1;

    // Out of place, a follower waits a random 1 to 109 frames before it sets off.
    const float dz = m_Pos.z - m_Target.z;
    const float dx = m_Pos.x - m_Target.x;
    if (dz * dz + dx * dx < 9.0f) {
        m_bMoving = 0;
    } else if (m_Count % (m_Jitter * 12 + 1) == 0) {
        m_bMoving = 1;
        m_Jitter = rand() % 10;
    }

    if (m_bMoving == 0) {
        m_Speed = 0.001f;
    } else {
        const D3DXVECTOR3 gap = m_Target - m_Pos;
        m_Speed = D3DXVec3Length(&gap) * 0.0008f;
    }
}

// A stray takes the first player shot within 3 units (rescue); a follower the first enemy shot (15 hit
// points). At most one shot a frame; a rescuing jelly takes none.
void CJelly::HitByShots() {
    if (m_bRescuing != 0) return;
    const int32_t kind = m_State == 1 ? 0 : (m_State == 2 ? 1 : -1);
    if (kind < 0) return;
    for (std::size_t i = 0; i < ShotList.size(); ++i) {
        CObjectBase* shot = ShotList[i];
        if (!shot || shot->m_bDead == 1 || shot->m_Kind != kind) continue;
        const D3DXVECTOR3 s(shot->m_mTrans._41, shot->m_mTrans._42, shot->m_mTrans._43);
        const float dx = m_Pos.x - s.x;
        const float dz = m_Pos.z - s.z;
        if (dx * dx + dz * dz >= 9.0f) continue;
        if (m_State == 1) {
            PushRing(m_Shot, s, 10, 0.5f, 30);
            m_Hp -= 100;
        } else {
            PushRing(m_Shot, s, 10, 0.5f, 10);
            m_Hp -= 15;
            m_ShakeTime = 15;
        }
        shot->m_bDead = 1;
        return;
    }
}

// Out of hit points: a stray starts its rescue; a follower is thrown back to a stray far away.
void CJelly::KnockOut() {
    if (m_State == 1) {
        if (m_bRescuing != 0) return;
        m_bRescuing = 1;
        BubbleRing();
        PlaySE(SE_BUBBLE);
        return;
    }
    BubbleRing();
    PlaySE(SE_BUBBLE);
    m_State = 1;
    m_Hp = 50;
    m_Color = kStrayColor;
    m_Pos.x = 0.0f;
    m_Pos.z = 500.0f;
    m_HideTime = 200;
}

// Eight bubbles on a circle of radius 3, each at a random height around the body.
void CJelly::BubbleRing() {
    for (int i = 0; i < 8; ++i) {
        const float a = 45.0f * (float)i * kDegToRad;
        CBubble* bubble = NewObject<CBubble>();
        bubble->m_Pos = D3DXVECTOR3(m_Pos.x + 3.0f * std::sin(a), m_Pos.y + (float)(rand() % 10 - 5),
                                    m_Pos.z + 3.0f * std::cos(a));
        bubble->m_Speed = 3.0f;
        bubble->Init();
        EffectList.push_back(bubble);
    }
}

// The dip and rise: down toward the seabed for 90 frames, a pause shared by all jellies, up again for 90,
// then the jelly follows the player. The magenta fades to white meanwhile.
void CJelly::RescueStep() {
    if (m_RescuePhase == 0.0f) {
        m_RescueCount += 1.0f;
        if (m_RescueCount > 90.0f) {
            m_RescuePhase = 1.0f;
            m_RescueCount = 90.0f;
        }
        if (m_mTrans._42 + m_Sink > 0.0f) m_Sink -= 0.05f;
    }
    if (m_RescuePhase == 1.0f) {
        g_RescueWait += 1;
        if (g_RescueWait > 60) {
            g_RescueWait = 0;
            m_RescuePhase = 2.0f;
        }
    }
    if (m_RescuePhase == 2.0f) {
        m_RescueCount -= 1.0f;
        if (m_RescueCount < 0.0f) {
            m_RescuePhase = 3.0f;
            m_RescueCount = 0.0f;
        }
        if (m_mTrans._42 + m_Sink < 4.0f) m_Sink += 0.05f;
    }
    if (m_RescuePhase == 3.0f) {
        m_State = 2;
        m_Type = 1;
        m_Hp = 50;
        CountFollowers();
        m_RescuePhase = 0.0f;
        m_bRescuing = 0;
        m_Color = kFollowColor;
    }
    BrightenTowardWhite(m_Color, 0.005f);

    m_mWorld = m_mTrans;
    m_mWorld._42 += m_Bob + m_Sink;

    const float v = m_Bob + 5.0f + m_Sink;
    const float corners[4][2] = {{-v, v}, {v, v}, {v, -v}, {-v, -v}};
    for (int i = 0; i < 4; ++i) {
        m_Shadow[i].x = corners[i][0];
        m_Shadow[i].y = 0.1f;
        m_Shadow[i].z = corners[i][1];
    }
}

void CJelly::Draw() {
    DrawMeshColored(g_MeshPlayer, m_mWorld, m_Color, 1);
}

void CJelly::DrawAlpha() {
    if (!g_pDevice) return;
    D3DXMATRIX shadow = m_mTrans;
    shadow._42 = 0.1f;
    g_pDevice->SetTexture(0, g_pTexLight);
    g_pDevice->SetTransform(D3DTS_WORLD, &shadow);
    g_pDevice->SetFVF(D3DFVF_VERTEX3D);
    g_pDevice->DrawPrimitiveUP(D3DPT_TRIANGLEFAN, 2, m_Shadow, sizeof(Vertex3D));
    if (m_HideTime > 0) return;
    for (Tentacle& t : m_Tentacles)
        DrawTentacle(t);
}

int CJelly::Shoot() {
    if (m_State == 1) {
        if (m_bRescuing == 0) StrayShoot();
    } else if (m_State == 2) {
        FollowerShoot();
    }
    return 0;
}

// A near stray fires at the player, give or take 5 degrees, every 100 frames.
void CJelly::StrayShoot() {
    CPlayer* player = ThePlayer();
    if (m_bNear == 1 && m_ShotDelay == 0.0f && player) {
        const D3DXVECTOR3 j(m_mTrans._41, m_mTrans._42, m_mTrans._43);
        const D3DXVECTOR3 p(player->m_mTrans._41, player->m_mTrans._42, player->m_mTrans._43);
        m_Spread = (float)(rand() % 10 - 5);
        const float aim = std::atan2(j.z - p.z, p.x - j.x) * kRadToDeg + 90.0f + m_Spread;
        m_Shot.Angle = aim;
        m_Shot.Pos = j;
        m_Shot.Kind = 1;
        m_Shot.Speed = m_ShotSpeed;
        m_Shot.Life = 200;
        ShotRequestQueue.push_back(m_Shot);
        m_ShotDelay = 100.0f;
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
        m_FireState = 0;
        return;
    }
    CPlayer* player = ThePlayer();
    if (!player) return;
    const float dx = m_Pos.x - player->m_BodyPos.x;
    const float dz = m_Pos.z - player->m_BodyPos.z;
    if (dx * dx + dz * dz >= 225.0f) return; // out of range: the fire state waits

    CountFollowers();
    const int32_t n = g_FollowCount;
    if (n != m_LastFollowCount) {
        m_LastFollowCount = n;
        m_FireState = 0;
    }
    if (m_FireState == 0) {
        m_FireState = 1;
        m_ShotDelay = (float)(120 / (n + 1) * g_FirePhase);
        g_FirePhase = (g_FirePhase + 1) % (n + 1);
    }
    if (m_FireState == 1) {
        m_ShotDelay -= 1.0f;
        if (m_ShotDelay <= 0.0f) m_FireState = 2;
    }
    if (m_FireState == 2) {
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
        m_Shot.Kind = 0;
        m_Shot.Speed = 1.0f;
        m_Shot.Life = 40;
        ShotRequestQueue.push_back(m_Shot);
        PlaySE(SE_SHOT);
        m_ReloadTime = 60;
        m_FireState = 3;
    }
    if (m_FireState == 3) {
        m_ReloadTime -= 1;
        if (m_ReloadTime <= 0) {
            m_ReloadTime = 0;
            m_FireState = 2;
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
        if (jelly->m_State == 1) ++strays;
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
