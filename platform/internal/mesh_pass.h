// The link between a begun effect pass and the meshes drawn through it (inside the platform layer only).
#pragma once

// A mesh's bounding sphere in its own (object) space.
struct MeshBounds {
    float center[3];
    float radius;
};

// The effect pass that mesh draws go through. Set by ID3DXEffect::BeginPass, cleared by EndPass.
struct MeshPassHook {
    // Makes the pass's GL program, state and committed parameters current for a draw of a mesh with the
    // given bounds (null: unknown). False when the pass cannot draw, or when the mesh lies wholly outside
    // the view volume the technique declares (see "bounds" in docs/effect-format.md): draw nothing then.
    virtual bool PrepareMeshDraw(const MeshBounds* bounds) = 0;

  protected:
    ~MeshPassHook() = default;
};

void SetMeshPass(MeshPassHook* pass);
MeshPassHook* GetMeshPass();
