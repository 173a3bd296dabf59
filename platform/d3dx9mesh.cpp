// ID3DXMesh: buffers in memory, copied to GL at the first draw; layouts, cloning and subset drawing.
#include "d3dx9mesh.h"

#include "effect_bridge.h"
#include "mesh_pass.h"

#include <epoxy/gl.h>

#include <algorithm>
#include <cmath>
#include <cstring>
#include <vector>

namespace {

// Where each element of an FVF vertex sits; offsets are -1 when the element is absent.
struct FvfLayout {
    bool ok = false;
    UINT size = 0;
    int normal = -1, diffuse = -1, specular = -1, tex0 = -1;
    int texCount = 0;
};

const DWORD kSupportedFvfBits =
    D3DFVF_XYZ | D3DFVF_NORMAL | D3DFVF_DIFFUSE | D3DFVF_SPECULAR | D3DFVF_TEXCOUNT_MASK;

FvfLayout LayoutOf(DWORD fvf) {
    FvfLayout l;
    if ((fvf & D3DFVF_POSITION_MASK) != D3DFVF_XYZ || (fvf & ~kSupportedFvfBits) != 0) return l;
    int texCount = (int)((fvf & D3DFVF_TEXCOUNT_MASK) >> D3DFVF_TEXCOUNT_SHIFT);
    if (texCount > 8) return l;
    UINT off = 12;
    if (fvf & D3DFVF_NORMAL) l.normal = (int)off, off += 12;
    if (fvf & D3DFVF_DIFFUSE) l.diffuse = (int)off, off += 4;
    if (fvf & D3DFVF_SPECULAR) l.specular = (int)off, off += 4;
    if (texCount > 0) l.tex0 = (int)off;
    off += 8 * (UINT)texCount;
    l.texCount = texCount;
    l.size = off;
    l.ok = true;
    return l;
}

const DWORD kMaxVertices = 65535;

class Mesh final : public ID3DXMesh {
  public:
    Mesh(DWORD faces, DWORD vertices, DWORD options, DWORD fvf, IDirect3DDevice9* device,
         const FvfLayout& layout)
        : m_Options(options), m_Fvf(fvf), m_Layout(layout), m_Device(device),
          m_Vertices((size_t)vertices * layout.size, 0), m_Indices((size_t)faces * 3, 0),
          m_Attributes(faces, 0) {
        m_NumVertices = vertices;
    }

    ~Mesh() override { FreeGpu(); }

    DWORD GetNumFaces() override { return (DWORD)m_Attributes.size(); }
    DWORD GetNumVertices() override { return m_NumVertices; }
    DWORD GetFVF() override { return m_Fvf; }
    DWORD GetNumBytesPerVertex() override { return m_Layout.size; }
    DWORD GetOptions() override { return m_Options; }

    HRESULT LockVertexBuffer(DWORD flags, LPVOID* data) override {
        return Lock(flags, m_Vertices.data(), data);
    }
    HRESULT UnlockVertexBuffer() override { return D3D_OK; }
    HRESULT LockIndexBuffer(DWORD flags, LPVOID* data) override {
        return Lock(flags, m_Indices.data(), data);
    }
    HRESULT UnlockIndexBuffer() override { return D3D_OK; }
    HRESULT LockAttributeBuffer(DWORD flags, DWORD** data) override {
        if (!data) return D3DERR_INVALIDCALL;
        void* p = nullptr;
        HRESULT hr = Lock(flags, m_Attributes.data(), &p);
        *data = (DWORD*)p;
        return hr;
    }
    HRESULT UnlockAttributeBuffer() override { return D3D_OK; }

    HRESULT GetAttributeTable(D3DXATTRIBUTERANGE* table, DWORD* count) override {
        if (!count) return D3DERR_INVALIDCALL;
        DWORD n = 0;
        size_t faces = m_Attributes.size();
        for (size_t f = 0; f < faces;) {
            size_t g = f;
            DWORD lo = 0xFFFFFFFF, hi = 0;
            while (g < faces && m_Attributes[g] == m_Attributes[f]) {
                for (int k = 0; k < 3; ++k) {
                    lo = std::min<DWORD>(lo, m_Indices[g * 3 + k]);
                    hi = std::max<DWORD>(hi, m_Indices[g * 3 + k]);
                }
                ++g;
            }
            if (table) table[n] = {m_Attributes[f], (DWORD)f, (DWORD)(g - f), lo, hi - lo + 1};
            ++n;
            f = g;
        }
        *count = n;
        return D3D_OK;
    }

    HRESULT CloneMeshFVF(DWORD options, DWORD fvf, IDirect3DDevice9* device, ID3DXMesh** out) override {
        if (!out) return D3DERR_INVALIDCALL;
        *out = nullptr;
        ID3DXMesh* created = nullptr;
        HRESULT hr = D3DXCreateMeshFVF(GetNumFaces(), m_NumVertices, options, fvf, device, &created);
        if (FAILED(hr)) return hr;
        Mesh* clone = static_cast<Mesh*>(created);
        clone->m_Indices = m_Indices;
        clone->m_Attributes = m_Attributes;
        const FvfLayout& to = clone->m_Layout;
        for (DWORD v = 0; v < m_NumVertices; ++v) {
            const unsigned char* src = &m_Vertices[(size_t)v * m_Layout.size];
            unsigned char* dst = &clone->m_Vertices[(size_t)v * to.size];
            std::memcpy(dst, src, 12);
            if (to.normal >= 0 && m_Layout.normal >= 0)
                std::memcpy(dst + to.normal, src + m_Layout.normal, 12);
            if (to.diffuse >= 0) {
                DWORD white = 0xFFFFFFFF;
                std::memcpy(dst + to.diffuse,
                            m_Layout.diffuse >= 0 ? src + m_Layout.diffuse : (const void*)&white, 4);
            }
            if (to.specular >= 0 && m_Layout.specular >= 0)
                std::memcpy(dst + to.specular, src + m_Layout.specular, 4);
            int sets = std::min(to.texCount, m_Layout.texCount);
            if (sets > 0) std::memcpy(dst + to.tex0, src + m_Layout.tex0, 8 * (size_t)sets);
        }
        *out = clone;
        return D3D_OK;
    }

    HRESULT DrawSubset(DWORD attribId) override {
        MeshPassHook* pass = GetMeshPass();
        if (!pass || !m_Device || !BridgeHasGL(m_Device)) return D3D_OK;
        if (!m_BoundsValid) ComputeBounds();
        if (!pass->PrepareMeshDraw(m_NumVertices ? &m_Bounds : nullptr)) return D3D_OK;
        if (m_GpuDirty && !Upload()) return E_FAIL;
        for (const Range& r : m_Ranges) {
            if (r.attrib != attribId) continue;
            glBindVertexArray(m_Vao);
            if (m_Layout.normal < 0) glVertexAttrib4f(1, 0, 0, 0, 0);
            if (m_Layout.tex0 < 0) glVertexAttrib4f(2, 0, 0, 0, 1);
            if (m_Layout.diffuse < 0) glVertexAttrib4f(3, 1, 1, 1, 1);
            glDrawElements(GL_TRIANGLES, (GLsizei)(r.faceCount * 3), GL_UNSIGNED_SHORT,
                           (const void*)(uintptr_t)(static_cast<size_t>(r.firstFace * 3) * sizeof(WORD)));
            BridgeCountTriangles(m_Device, r.faceCount);
            glBindVertexArray(0);
            break;
        }
        return D3D_OK;
    }

  private:
    struct Range {
        DWORD attrib, firstFace, faceCount;
    };

    DWORD m_Options;
    DWORD m_Fvf;
    FvfLayout m_Layout;
    IDirect3DDevice9* m_Device;
    DWORD m_NumVertices = 0;
    std::vector<unsigned char> m_Vertices;
    std::vector<WORD> m_Indices;
    std::vector<DWORD> m_Attributes;

    // GL copies: the faces sorted by attribute, one range per attribute.
    GLuint m_Vao = 0, m_Vbo = 0, m_Ibo = 0;
    bool m_GpuDirty = true;
    std::vector<Range> m_Ranges;
    // The sphere round every vertex (all subsets), for the pass to skip meshes out of view.
    MeshBounds m_Bounds{};
    bool m_BoundsValid = false;

    HRESULT Lock(DWORD flags, void* buffer, void** data) {
        if (!data) return D3DERR_INVALIDCALL;
        *data = buffer;
        if (!(flags & D3DLOCK_READONLY)) m_GpuDirty = true, m_BoundsValid = false;
        return D3D_OK;
    }

    // Centre of the box round the vertices, radius to the farthest vertex.
    void ComputeBounds() {
        float lo[3] = {0, 0, 0}, hi[3] = {0, 0, 0};
        for (DWORD v = 0; v < m_NumVertices; ++v) {
            float p[3];
            std::memcpy(p, &m_Vertices[(size_t)v * m_Layout.size], sizeof p);
            for (int k = 0; k < 3; ++k) {
                lo[k] = v == 0 || p[k] < lo[k] ? p[k] : lo[k];
                hi[k] = v == 0 || p[k] > hi[k] ? p[k] : hi[k];
            }
        }
        float r2 = 0.0f;
        for (int k = 0; k < 3; ++k)
            m_Bounds.center[k] = 0.5f * (lo[k] + hi[k]);
        for (DWORD v = 0; v < m_NumVertices; ++v) {
            float p[3], d2 = 0.0f;
            std::memcpy(p, &m_Vertices[(size_t)v * m_Layout.size], sizeof p);
            for (int k = 0; k < 3; ++k)
                d2 += (p[k] - m_Bounds.center[k]) * (p[k] - m_Bounds.center[k]);
            r2 = std::max(r2, d2);
        }
        // A hair more than the farthest vertex, so that rounding never drops a mesh that touches the view.
        m_Bounds.radius = std::sqrt(r2) * 1.0001f + 1e-4f;
        m_BoundsValid = true;
    }

    bool Upload() {
        size_t faces = m_Attributes.size();
        std::vector<DWORD> order(faces);
        for (size_t f = 0; f < faces; ++f)
            order[f] = (DWORD)f;
        std::stable_sort(order.begin(), order.end(),
                         [this](DWORD a, DWORD b) { return m_Attributes[a] < m_Attributes[b]; });
        std::vector<WORD> sorted(faces * 3);
        m_Ranges.clear();
        for (size_t i = 0; i < faces; ++i) {
            DWORD f = order[i];
            std::memcpy(&sorted[i * 3], &m_Indices[(size_t)f * 3], 3 * sizeof(WORD));
            if (m_Ranges.empty() || m_Ranges.back().attrib != m_Attributes[f])
                m_Ranges.push_back({m_Attributes[f], (DWORD)i, 0});
            m_Ranges.back().faceCount++;
        }
        if (!m_Vao) {
            glGenVertexArrays(1, &m_Vao);
            glGenBuffers(1, &m_Vbo);
            glGenBuffers(1, &m_Ibo);
        }
        if (!m_Vao || !m_Vbo || !m_Ibo) return false;
        glBindVertexArray(m_Vao);
        glBindBuffer(GL_ARRAY_BUFFER, m_Vbo);
        glBufferData(GL_ARRAY_BUFFER, (GLsizeiptr)m_Vertices.size(), m_Vertices.data(), GL_STATIC_DRAW);
        glBindBuffer(GL_ELEMENT_ARRAY_BUFFER, m_Ibo);
        glBufferData(GL_ELEMENT_ARRAY_BUFFER, (GLsizeiptr)(sorted.size() * sizeof(WORD)), sorted.data(),
                     GL_STATIC_DRAW);
        GLsizei stride = (GLsizei)m_Layout.size;
        auto at = [](int offset) { return (const void*)(uintptr_t)offset; };
        glEnableVertexAttribArray(0);
        glVertexAttribPointer(0, 3, GL_FLOAT, GL_FALSE, stride, at(0));
        if (m_Layout.normal >= 0) {
            glEnableVertexAttribArray(1);
            glVertexAttribPointer(1, 3, GL_FLOAT, GL_FALSE, stride, at(m_Layout.normal));
        }
        if (m_Layout.tex0 >= 0) {
            glEnableVertexAttribArray(2);
            glVertexAttribPointer(2, 2, GL_FLOAT, GL_FALSE, stride, at(m_Layout.tex0));
        }
        if (m_Layout.diffuse >= 0) {
            glEnableVertexAttribArray(3);
            glVertexAttribPointer(3, GL_BGRA, GL_UNSIGNED_BYTE, GL_TRUE, stride, at(m_Layout.diffuse));
        }
        glBindVertexArray(0);
        glBindBuffer(GL_ARRAY_BUFFER, 0);
        m_GpuDirty = false;
        return true;
    }

    void FreeGpu() {
        if (!m_Vao && !m_Vbo && !m_Ibo) return;
        if (m_Device && BridgeHasGL(m_Device)) {
            BridgeBeginExternalDraw(m_Device); // its context must be current to free GL objects
            glDeleteVertexArrays(1, &m_Vao);
            glDeleteBuffers(1, &m_Vbo);
            glDeleteBuffers(1, &m_Ibo);
        }
        m_Vao = m_Vbo = m_Ibo = 0;
    }
};

MeshPassHook* g_MeshPass = nullptr;

} // namespace

void SetMeshPass(MeshPassHook* pass) {
    g_MeshPass = pass;
}
MeshPassHook* GetMeshPass() {
    return g_MeshPass;
}

UINT D3DXGetFVFVertexSize(DWORD fvf) {
    return LayoutOf(fvf).size;
}

HRESULT D3DXCreateMeshFVF(DWORD numFaces, DWORD numVertices, DWORD options, DWORD fvf,
                          IDirect3DDevice9* device, ID3DXMesh** out) {
    if (!out) return D3DERR_INVALIDCALL;
    *out = nullptr;
    FvfLayout layout = LayoutOf(fvf);
    if (!layout.ok || (options & D3DXMESH_32BIT) || numVertices > kMaxVertices || numFaces > 0x7FFFFFFF / 3)
        return D3DERR_INVALIDCALL;
    *out = new Mesh(numFaces, numVertices, options, fvf, device, layout);
    return D3D_OK;
}
