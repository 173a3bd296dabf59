// The object model of the underwater world: the base of every object, the shot request record, the quad
// vertex, the global object lists and counters, and the arenas that own the objects.
#pragma once

#include <d3dx9math.h>
#include "world/Vertex3D.h"

#include <cstddef>
#include <cstdint>
#include <memory>
#include <type_traits>
#include <utility>
#include <vector>

struct MeshData;

// What an object asks the shot pass to create: one shot, copied by value.
struct ShotRequest {
    float Angle;     // heading in degrees about the vertical axis
    D3DXVECTOR3 Pos; // start position
    int32_t Kind;    // shot kind
    float Speed;     // distance per frame
    int32_t Life;    // lifetime in frames
};
static_assert(sizeof(ShotRequest) == 28, "a shot request is a 28-byte record");

// The kinds of shot (ShotRequest::Kind, a shot's m_Kind). Only the first two hit anything; a kind not listed
// here flies and ages but is never drawn.
enum ShotKind {
    SHOT_PLAYER = 0, // the player's side: rescues strays, wears down creatures and blossoms
    SHOT_ENEMY = 1,  // stray jellies (and a dead player): hurts the player's side
    SHOT_SPRAY = 10, // the spray of a hit
    SHOT_SPARK = 11, // a rock stopping a shot
    SHOT_BURST = 13, // the player's death, drawn three times larger
};

// Appends eight copies of shot to ShotRequestQueue, one every 45 degrees from 0, each from pos with the given
// kind, speed and life; shot keeps the last of them.
void PushShotRing(ShotRequest& shot, const D3DXVECTOR3& pos, int32_t kind, float speed, int32_t life);

// The values of m_State: the side an object is on. Creatures bite, and enemy shots hurt, the player's side.
enum ObjectState {
    STATE_WILD = 1,        // not on the player's side: stray jellies, footballs, squids
    STATE_PLAYER_SIDE = 2, // the player and the jellies that follow it
};

// Everything that lives in the world derives from this. Every field starts at zero; the constructors of the
// concrete classes and their Init set what they need.
class CObjectBase {
  public:
    CObjectBase();
    virtual ~CObjectBase();
    CObjectBase(const CObjectBase&) = delete;
    CObjectBase& operator=(const CObjectBase&) = delete;

    virtual void Init() = 0;
    virtual void Update() = 0;
    virtual void Draw() = 0;
    virtual void DrawAlpha() = 0;
    virtual int Shoot() = 0;

    D3DXVECTOR3 m_Vel{};   // velocity per frame
    int32_t m_Id = 0;      // the stage's target count when the loader created the object
    int32_t m_Kind = 0;    // sub-kind; a shot's kind
    int32_t m_Life = 0;    // lifetime in frames
    D3DXVECTOR3 m_Pos{};   // position; y is the height above the seabed
    D3DXMATRIX m_mWorld{}; // the matrix Draw hands to the mesh drawing
    D3DXMATRIX m_mTrans{}; // translation to the position
    D3DXMATRIX m_mRot{};   // rotation about the vertical axis
    D3DXMATRIX m_mScale{}; // scaling
    ShotRequest m_Shot{};  // the object's own shot request, filled and then pushed as a copy
    float m_Angle = 0.0f;  // heading in degrees
    int32_t m_Hp = 0;      // hit points
    int32_t m_bMove = 0;   // 1 = steered this frame
    int32_t m_Type = 0;    // type code other objects read
    MeshData* m_pMesh = nullptr;
    BYTE m_bDead = 0;         // 1 = leaves its list at the end of this frame's update pass
    BYTE m_bDone = 0;         // a flower whose blossoms are both finished
    float m_Speed = 0.0f;     // speed or acceleration per frame
    float m_ShotSpeed = 0.0f; // speed written into the object's own shots
    Vertex3D m_Shadow[4]{};   // the quad drawn flat under the object
    float m_Bob = 0.0f;       // bobbing offset added to the drawn height
    float m_BobPhase = 0.0f;  // phase of the bobbing
    int32_t m_Count = 0;      // frame counter
    int32_t m_State = 0;      // STATE_PLAYER_SIDE or STATE_WILD
    float m_MaxSpeed = 0.0f;  // cap on the length of m_Vel
    float m_Radius = 0.0f;    // collision radius, also part of the depth key of the draw passes
    BYTE m_bHit = 0;          // struck this frame
};

// The object lists: non-owning pointers in insertion order. The player is always ActorList[0] during a stage.
extern std::vector<CObjectBase*> ActorList;
extern std::vector<CObjectBase*> ObstacleList;
extern std::vector<CObjectBase*> ShotList;
extern std::vector<CObjectBase*> SceneryList;
extern std::vector<CObjectBase*> EffectList;
// Shot requests waiting for the shot pass.
extern std::vector<ShotRequest> ShotRequestQueue;

extern int32_t g_TargetCount; // targets still to defeat; the stage is cleared below 1
extern int32_t g_FollowCount; // jellies following the player
extern int32_t g_FollowSlot;  // next formation place handed out this frame

// The player: ActorList[0] during a stage; null while the list is empty (the title).
CObjectBase* ThePlayer();

// Who owns an object. Objects are never destroyed while their scene runs, even after they have left their
// list: a creature may still hold a pointer to a swept target. An arena destroys all of its objects at once
// when its scene lets them go.
enum class ObjectArena {
    Program, // lives until the program ends (the title's creature displays)
    Title,   // destroyed by ReleaseTitleObjects when the title ends
    Stage,   // destroyed by ReleaseObjects when the stage ends
};

// The arena that NewObject fills from now on. TitleInit picks Title, GameInit picks Stage; Program at start.
void SetObjectArena(ObjectArena arena);
ObjectArena GetObjectArena();
// Hands an object created with new to the current arena and returns it.
CObjectBase* AdoptObject(std::unique_ptr<CObjectBase> object);
// Number of objects an arena owns.
std::size_t ArenaObjectCount(ObjectArena arena);
// Destroys every object of an arena. The caller makes sure that no list still holds one of them.
void DestroyArenaObjects(ObjectArena arena);

// The one way to create a world object: new T(args...), owned by the current arena. The caller places it,
// calls Init where it should, and appends it to its list.
template <class T, class... Args> T* NewObject(Args&&... args) {
    static_assert(std::is_base_of<CObjectBase, T>::value, "only world objects live in the arenas");
    std::unique_ptr<T> object(new T(std::forward<Args>(args)...));
    T* raw = object.get();
    AdoptObject(std::move(object));
    return raw;
}
