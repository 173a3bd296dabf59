#include "app/Shader.h"

#include "app/DataTree.h"
#include "app/Direct3D.h"
#include "assets/Meshes.h"
#include <d3dx9mesh.h>

#include <cstdio>

ID3DXEffect* g_pEffect = nullptr;

void InitShader() {
    // The quads' vertex layout goes to the device again, as the effect is loaded.
    if (g_pDevice) {
        IDirect3DVertexDeclaration9* pDecl = nullptr;
        if (SUCCEEDED(g_pDevice->CreateVertexDeclaration(g_Vertex3DElements, &pDecl)) && pDecl) {
            g_pDevice->SetVertexDeclaration(pDecl);
            pDecl->Release(); // the device keeps its own reference
        }
    }
    if (g_pEffect) {
        g_pEffect->Release();
        g_pEffect = nullptr;
    }
    ID3DXBuffer* pErrors = nullptr;
    if (FAILED(D3DXCreateEffectFromFileA(g_pDevice, "data/shader.fx", NULL, NULL, D3DXSHADER_DEBUG, NULL,
                                         &g_pEffect, &pErrors)))
        g_pEffect = nullptr;
    if (pErrors) {
        const char* text = (const char*)pErrors->GetBufferPointer();
        if (text) {
            printf("%s", text);
            FILE* fp = OpenLogFile("conpaile_log.txt");
            if (fp) {
                fprintf(fp, "%s", text);
                fclose(fp);
            }
        }
        pErrors->Release();
    }
}

void SetShaderCamera(const D3DXMATRIX& view, const D3DXMATRIX& proj) {
    if (!g_pEffect) return;
    D3DXMATRIX viewProj;
    D3DXMatrixMultiply(&viewProj, &view, &proj);
    g_pEffect->SetMatrix("g_mView", &view);
    g_pEffect->SetMatrix("g_mProj", &proj);
    g_pEffect->SetMatrix("g_mWorldViewProjection", &viewProj);
}

void DrawMesh(MeshData& mesh, const D3DXMATRIX& world, int pass) {
    if (!g_pEffect) return;
    g_pEffect->SetTechnique("RenderScene");
    g_pEffect->Begin(NULL, 0);
    g_pEffect->BeginPass((UINT)pass);
    for (DWORD i = 0; i < mesh.NumMaterials && mesh.pMesh; ++i) {
        IDirect3DTexture9* texture = mesh.ppTextures ? mesh.ppTextures[i] : nullptr;
        g_pEffect->SetMatrix("g_mWorld", &world);
        g_pEffect->SetTexture("g_Texture", texture);
        g_pEffect->SetFloatArray("g_Diffuse", &mesh.pMaterials[i].Diffuse.r, 4);
        g_pEffect->SetBool("texture_flg", texture != nullptr);
        if (g_pDevice) g_pDevice->SetTexture(0, texture);
        g_pEffect->CommitChanges();
        mesh.pMesh->DrawSubset(i);
    }
    g_pEffect->EndPass();
    g_pEffect->End();
}

void DrawMeshColored(MeshData& mesh, const D3DXMATRIX& world, D3DXCOLOR color, int pass) {
    if (!g_pEffect) return;
    g_pEffect->SetFloatArray("g_FreeColor", color, 4);
    DrawMesh(mesh, world, pass);
}
