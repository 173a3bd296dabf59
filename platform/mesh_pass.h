// The link between a begun effect pass and the meshes drawn through it (inside the platform layer only).
#pragma once

// The effect pass that mesh draws go through. Set by ID3DXEffect::BeginPass, cleared by EndPass.
struct MeshPassHook {
    // Makes the pass's GL program and state current; false when the pass cannot draw.
    virtual bool PrepareMeshDraw() = 0;

  protected:
    ~MeshPassHook() = default;
};

void SetMeshPass(MeshPassHook* pass);
MeshPassHook* GetMeshPass();
