// Mesh records: every .x file of the game, loaded per scene into a fixed global record.
#pragma once

#include <d3dx9mesh.h>

struct IDirect3DTexture9;

// One mesh file: the mesh (vertex format position/normal/uv, 0x112) and one material and texture per
// subset. Empty (all null, no materials) when not loaded; drawing an empty record draws nothing.
struct MeshData {
    ID3DXMesh* pMesh = nullptr;
    DWORD NumMaterials = 0;
    D3DMATERIAL9* pMaterials = nullptr;       // ambient colour = diffuse colour
    IDirect3DTexture9** ppTextures = nullptr; // null where the material has no texture or it failed to load
};

// Loads a .x file into the record (releasing what it held). A missing or broken file leaves it empty.
void LoadMesh(MeshData& mesh, const char* path);
// Releases the record's mesh, materials and textures; does nothing for an empty record.
void ReleaseMesh(MeshData& mesh);

// Title set: football, lowerjaw, lamp, star, anemone, squid, effect, bubble (the title releases the same
// eight itself).
void LoadTitleMeshes();
// Stage set: all thirty records in the stage's loading order; released as a whole.
void LoadStageMeshes();
void ReleaseStageMeshes();

extern MeshData g_MeshPlayer;        // "xfile/player.x"
extern MeshData g_MeshEnemy;         // "xfile/enemy.x"
extern MeshData g_MeshLamp;          // "xfile/lamp.x"
extern MeshData g_MeshBullet;        // "xfile/bullet.x"
extern MeshData g_MeshEnemyBullet;   // "xfile/enemyBullet.x"
extern MeshData g_MeshEffect;        // "xfile/effect.x"
extern MeshData g_MeshFootball;      // "xfile/football.x"
extern MeshData g_MeshLowerJaw;      // "xfile/lowerjaw.x"
extern MeshData g_MeshStar;          // "xfile/star.x"
extern MeshData g_MeshAnemone;       // "xfile/anemone.x"
extern MeshData g_MeshSquid;         // "xfile/squid.x"
extern MeshData g_MeshPercula;       // "xfile/percula.x"
extern MeshData g_MeshHealEffect;    // "xfile/heal_effect.x"
extern MeshData g_MeshBubble;        // "xfile/bubble.x"
extern MeshData g_MeshRock;          // "xfile/rock.x"
extern MeshData g_MeshStarfishA;     // "xfile/starfishA.x"
extern MeshData g_MeshStarfishB;     // "xfile/starfishB.x"
extern MeshData g_MeshPearl;         // "xfile/pearl.x"
extern MeshData g_MeshCoralRed;      // "xfile/coral_red.x"
extern MeshData g_MeshDull;          // "xfile/dull.x"
extern MeshData g_MeshCollision1;    // "xfile/collision1.x" (terrain of stage 1, never drawn)
extern MeshData g_MeshCollision2;    // "xfile/collision2.x"
extern MeshData g_MeshCollision3;    // "xfile/collision3.x"
extern MeshData g_MeshRootSoul;      // "xfile/rootsoul.x"
extern MeshData g_MeshPetal;         // "xfile/petal.x"
extern MeshData g_MeshFlowerOutside; // "xfile/flower_outside.x"
extern MeshData g_MeshFlowerInside;  // "xfile/flower_inside.x"
extern MeshData g_MeshFlowerCenter;  // "xfile/flower_center.x"
extern MeshData g_MeshMiniFlower;    // "xfile/miniflower.x"
extern MeshData g_MeshIvy;           // "xfile/ivy.x"
