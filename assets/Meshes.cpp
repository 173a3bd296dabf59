#include "assets/Meshes.h"

#include "app/DataTree.h"
#include "app/Direct3D.h"
#include <d3dx9.h>

#include <cstdio>

MeshData g_MeshPlayer, g_MeshEnemy, g_MeshLamp, g_MeshBullet, g_MeshEnemyBullet, g_MeshEffect, g_MeshFootball,
    g_MeshLowerJaw, g_MeshStar, g_MeshAnemone, g_MeshSquid, g_MeshPercula, g_MeshHealEffect, g_MeshBubble,
    g_MeshRock, g_MeshStarfishA, g_MeshStarfishB, g_MeshPearl, g_MeshCoralRed, g_MeshDull, g_MeshCollision1,
    g_MeshCollision2, g_MeshCollision3, g_MeshRootSoul, g_MeshPetal, g_MeshFlowerOutside, g_MeshFlowerInside,
    g_MeshFlowerCenter, g_MeshMiniFlower, g_MeshIvy;

namespace {

struct MeshFile {
    MeshData* record;
    const char* path;
};

const MeshFile kTitleSet[] = {
    {&g_MeshFootball, "xfile/football.x"}, {&g_MeshLowerJaw, "xfile/lowerjaw.x"},
    {&g_MeshLamp, "xfile/lamp.x"},         {&g_MeshStar, "xfile/star.x"},
    {&g_MeshAnemone, "xfile/anemone.x"},   {&g_MeshSquid, "xfile/squid.x"},
    {&g_MeshEffect, "xfile/effect.x"},     {&g_MeshBubble, "xfile/bubble.x"},
};

const MeshFile kStageSet[] = {
    {&g_MeshPlayer, "xfile/player.x"},
    {&g_MeshEnemy, "xfile/enemy.x"},
    {&g_MeshLamp, "xfile/lamp.x"},
    {&g_MeshBullet, "xfile/bullet.x"},
    {&g_MeshEnemyBullet, "xfile/enemyBullet.x"},
    {&g_MeshEffect, "xfile/effect.x"},
    {&g_MeshFootball, "xfile/football.x"},
    {&g_MeshAnemone, "xfile/anemone.x"},
    {&g_MeshRock, "xfile/rock.x"},
    {&g_MeshLowerJaw, "xfile/lowerjaw.x"},
    {&g_MeshStarfishA, "xfile/starfishA.x"},
    {&g_MeshStarfishB, "xfile/starfishB.x"},
    {&g_MeshPearl, "xfile/pearl.x"},
    {&g_MeshCoralRed, "xfile/coral_red.x"},
    {&g_MeshStar, "xfile/star.x"},
    {&g_MeshDull, "xfile/dull.x"},
    {&g_MeshCollision1, "xfile/collision1.x"},
    {&g_MeshCollision2, "xfile/collision2.x"},
    {&g_MeshCollision3, "xfile/collision3.x"},
    {&g_MeshHealEffect, "xfile/heal_effect.x"},
    {&g_MeshBubble, "xfile/bubble.x"},
    {&g_MeshRootSoul, "xfile/rootsoul.x"},
    {&g_MeshPetal, "xfile/petal.x"},
    {&g_MeshFlowerOutside, "xfile/flower_outside.x"},
    {&g_MeshFlowerInside, "xfile/flower_inside.x"},
    {&g_MeshFlowerCenter, "xfile/flower_center.x"},
    {&g_MeshMiniFlower, "xfile/miniflower.x"},
    {&g_MeshIvy, "xfile/ivy.x"},
    {&g_MeshPercula, "xfile/percula.x"},
    {&g_MeshSquid, "xfile/squid.x"},
};

} // namespace

void LoadMesh(MeshData& mesh, const char* path) {
    ReleaseMesh(mesh);
    ID3DXBuffer* pMaterialBuffer = nullptr;
    ID3DXMesh* pLoaded = nullptr;
    DWORD numMaterials = 0;
    // A failed load has already said why on stderr; the record stays empty.
    if (FAILED(D3DXLoadMeshFromXA(path, D3DXMESH_MANAGED, g_pDevice, NULL, &pMaterialBuffer, NULL,
                                  &numMaterials, &pLoaded)))
        return;
    ID3DXMesh* pClone = nullptr;
    if (FAILED(pLoaded->CloneMeshFVF(D3DXMESH_MANAGED | D3DXMESH_NPATCHES,
                                     D3DFVF_XYZ | D3DFVF_NORMAL | D3DFVF_TEX1, g_pDevice, &pClone))) {
        fprintf(stderr, "LoadMesh: %s: the mesh could not be converted\n", path);
        pLoaded->Release();
        pMaterialBuffer->Release();
        return;
    }
    pLoaded->Release();

    const D3DXMATERIAL* materials = (const D3DXMATERIAL*)pMaterialBuffer->GetBufferPointer();
    mesh.pMaterials = new D3DMATERIAL9[numMaterials];
    mesh.ppTextures = new IDirect3DTexture9*[numMaterials];
    for (DWORD i = 0; i < numMaterials; ++i) {
        mesh.pMaterials[i] = materials[i].MatD3D;
        mesh.pMaterials[i].Ambient = mesh.pMaterials[i].Diffuse;
        // A material without a texture, or whose texture fails to load, stays untextured.
        mesh.ppTextures[i] = nullptr;
        const char* name = materials[i].pTextureFilename;
        if (name && FAILED(D3DXCreateTextureFromFileA(g_pDevice, name, &mesh.ppTextures[i])))
            mesh.ppTextures[i] = nullptr;
    }
    mesh.NumMaterials = numMaterials;
    mesh.pMesh = pClone;
    pMaterialBuffer->Release();
}

void ReleaseMesh(MeshData& mesh) {
    if (!mesh.pMesh) return;
    delete[] mesh.pMaterials;
    mesh.pMaterials = nullptr;
    for (DWORD i = 0; i < mesh.NumMaterials; ++i) {
        if (mesh.ppTextures[i]) {
            mesh.ppTextures[i]->Release();
            mesh.ppTextures[i] = nullptr;
        }
    }
    delete[] mesh.ppTextures;
    mesh.ppTextures = nullptr;
    mesh.NumMaterials = 0;
    mesh.pMesh->Release();
    mesh.pMesh = nullptr;
}

void LoadTitleMeshes() {
    NoteAssetFolder("xfile");
    for (const MeshFile& f : kTitleSet)
        LoadMesh(*f.record, f.path);
}

void LoadStageMeshes() {
    NoteAssetFolder("xfile");
    for (const MeshFile& f : kStageSet)
        LoadMesh(*f.record, f.path);
}

void ReleaseStageMeshes() {
    for (const MeshFile& f : kStageSet)
        ReleaseMesh(*f.record);
}
