// Vector helpers, transforms and the surface builder shared by every mesh.
#include "tools/assetgen/meshes.h"

namespace assetgen {

float Hash(int x, int y, int z, int seed) {
    uint32_t h = (uint32_t)x * 374761393u + (uint32_t)y * 668265263u + (uint32_t)z * 2147483647u +
                 (uint32_t)seed * 144665u;
    h = (h ^ (h >> 13)) * 1274126177u;
    h ^= h >> 16;
    return (float)(h & 0xFFFFFF) / (float)0x1000000;
}

float Noise3(Vec3 p, int seed) {
    int x0 = (int)std::floor(p.x), y0 = (int)std::floor(p.y), z0 = (int)std::floor(p.z);
    float fx = p.x - (float)x0, fy = p.y - (float)y0, fz = p.z - (float)z0;
    fx = fx * fx * (3 - 2 * fx);
    fy = fy * fy * (3 - 2 * fy);
    fz = fz * fz * (3 - 2 * fz);
    float c[2][2][2];
    for (int i = 0; i < 2; ++i)
        for (int j = 0; j < 2; ++j)
            for (int k = 0; k < 2; ++k)
                c[i][j][k] = Hash(x0 + i, y0 + j, z0 + k, seed);
    float x00 = c[0][0][0] + (c[1][0][0] - c[0][0][0]) * fx;
    float x10 = c[0][1][0] + (c[1][1][0] - c[0][1][0]) * fx;
    float x01 = c[0][0][1] + (c[1][0][1] - c[0][0][1]) * fx;
    float x11 = c[0][1][1] + (c[1][1][1] - c[0][1][1]) * fx;
    float y0v = x00 + (x10 - x00) * fy;
    float y1v = x01 + (x11 - x01) * fy;
    return (y0v + (y1v - y0v) * fz) * 2 - 1;
}

uint32_t Builder::Mat(float r, float g, float b, float a, float power, float spec, float emissive) {
    Material m;
    m.r = r, m.g = g, m.b = b, m.a = a;
    m.power = power;
    m.sr = m.sg = m.sb = spec;
    m.er = r * emissive, m.eg = g * emissive, m.eb = b * emissive;
    return Mat(m);
}

uint32_t Builder::Mat(const Material& m) {
    m_Mesh.mats.push_back(m);
    return (uint32_t)m_Mesh.mats.size() - 1;
}

void Builder::Grid(const std::vector<std::vector<Vec3>>& rows, bool wrapU, uint32_t mat, const SurfOpts& o) {
    const size_t J = rows.size();
    if (J < 2) return;
    const size_t I = rows[0].size();
    if (I < 2) return;
    const float uDiv = wrapU ? (float)I : (float)(I - 1);
    const float vDiv = (float)(J - 1);

    // Vertices (one per pole row).
    std::vector<std::vector<uint32_t>> vid(J, std::vector<uint32_t>(I));
    std::vector<float> vu, vv;
    const uint32_t base = (uint32_t)m_Mesh.pos.size();
    for (size_t j = 0; j < J; ++j) {
        bool pole = true;
        for (size_t i = 1; i < I && pole; ++i)
            if (Length(rows[j][i] - rows[j][0]) > 1e-6f) pole = false;
        for (size_t i = 0; i < I; ++i) {
            if (pole && i > 0) {
                vid[j][i] = vid[j][0];
                continue;
            }
            vid[j][i] = (uint32_t)m_Mesh.pos.size();
            m_Mesh.pos.push_back(m_Xf.Point(rows[j][i]));
            vu.push_back(pole ? 0.5f : (float)i / uDiv);
            vv.push_back((float)j / vDiv);
        }
    }
    const uint32_t count = (uint32_t)m_Mesh.pos.size() - base;
    std::vector<Vec3> acc(count, Vec3(0, 0, 0));

    const bool flip = o.flip != (m_Xf.Det() < 0);
    std::vector<uint32_t> tris;
    std::vector<uint32_t> mats;
    const size_t cols = wrapU ? I : I - 1;
    for (size_t j = 0; j + 1 < J; ++j) {
        for (size_t i = 0; i < cols; ++i) {
            size_t i1 = (i + 1) % I;
            uint32_t a = vid[j][i], b = vid[j + 1][i], c = vid[j + 1][i1], d = vid[j][i1];
            uint32_t faceMat = mat;
            if (o.matFn) {
                Vec3 centre = (rows[j][i] + rows[j + 1][i] + rows[j + 1][i1] + rows[j][i1]) * 0.25f;
                faceMat = o.matFn(((float)i + 0.5f) / uDiv, ((float)j + 0.5f) / vDiv, centre);
            }
            uint32_t t[2][3] = {{a, b, c}, {a, c, d}};
            for (auto& tri : t) {
                if (flip) std::swap(tri[1], tri[2]);
                if (tri[0] == tri[1] || tri[1] == tri[2] || tri[0] == tri[2]) continue;
                const Vec3 &pa = m_Mesh.pos[tri[0]], &pb = m_Mesh.pos[tri[1]], &pc = m_Mesh.pos[tri[2]];
                // Corners that (nearly) coincide, as where a grid's columns close to a point, make slivers
                // whose winding the written six decimals could flip: drop them.
                if (Length(pb - pa) < 1e-5f || Length(pc - pb) < 1e-5f || Length(pa - pc) < 1e-5f) continue;
                Vec3 n = Cross(pb - pa, pc - pa);
                if (Length(n) < 1e-9f) continue;
                for (uint32_t k : tri)
                    acc[k - base] = acc[k - base] + n;
                tris.insert(tris.end(), tri, tri + 3);
                mats.push_back(faceMat);
            }
        }
    }
    for (uint32_t k = 0; k < count; ++k) {
        Vec3 n = Normalize(acc[k]);
        m_Mesh.nrm.push_back(n);
        Vec3 p = m_Mesh.pos[base + k];
        m_Mesh.uv.push_back(o.uvFn ? o.uvFn(p, n, vu[k], vv[k]) : Vec2{vu[k], vv[k]});
    }
    m_Mesh.idx.insert(m_Mesh.idx.end(), tris.begin(), tris.end());
    m_Mesh.faceMat.insert(m_Mesh.faceMat.end(), mats.begin(), mats.end());

    if (o.twoSided) {
        const uint32_t back = (uint32_t)m_Mesh.pos.size();
        for (uint32_t k = 0; k < count; ++k) {
            m_Mesh.pos.push_back(m_Mesh.pos[base + k]);
            m_Mesh.nrm.push_back(-m_Mesh.nrm[base + k]);
            m_Mesh.uv.push_back(m_Mesh.uv[base + k]);
        }
        for (size_t f = 0; f < mats.size(); ++f) {
            m_Mesh.idx.push_back(tris[f * 3] - base + back);
            m_Mesh.idx.push_back(tris[f * 3 + 2] - base + back);
            m_Mesh.idx.push_back(tris[f * 3 + 1] - base + back);
            m_Mesh.faceMat.push_back(mats[f]);
        }
    }
}

void Builder::Surface(int nu, int nv, bool wrapU, const std::function<Vec3(float, float)>& f, uint32_t mat,
                      const SurfOpts& o) {
    std::vector<std::vector<Vec3>> rows(nv + 1);
    int cols = wrapU ? nu : nu + 1;
    for (int j = 0; j <= nv; ++j)
        for (int i = 0; i < cols; ++i)
            rows[j].push_back(f((float)i / (float)nu, (float)j / (float)nv));
    Grid(rows, wrapU, mat, o);
}

void Builder::Lathe(const std::vector<Vec2>& profile, int segments, uint32_t mat, const SurfOpts& o) {
    std::vector<std::vector<Vec3>> rows;
    for (const Vec2& p : profile) {
        std::vector<Vec3> row;
        for (int i = 0; i < segments; ++i) {
            float a = 2 * kPi * (float)i / (float)segments;
            row.push_back(Vec3(p.u * std::cos(a), p.v, p.u * std::sin(a)));
        }
        rows.push_back(row);
    }
    Grid(rows, true, mat, o);
}

void Builder::Tube(const std::vector<Vec3>& path, const std::vector<float>& radius, int sides, uint32_t mat,
                   const SurfOpts& o) {
    const size_t n = path.size();
    if (n < 2) return;
    std::vector<Vec3> tangent(n);
    for (size_t k = 0; k < n; ++k) {
        Vec3 a = path[k == 0 ? 0 : k - 1], b = path[k + 1 == n ? n - 1 : k + 1];
        tangent[k] = Normalize(b - a);
    }
    Vec3 ref = std::fabs(tangent[0].y) < 0.9f ? Vec3(0, 1, 0) : Vec3(1, 0, 0);
    Vec3 normal = Normalize(Cross(Cross(tangent[0], ref), tangent[0]));
    std::vector<std::vector<Vec3>> rows;
    for (size_t k = 0; k < n; ++k) {
        Vec3 t = tangent[k];
        normal = Normalize(normal - t * Dot(normal, t));
        Vec3 bin = Cross(t, normal);
        std::vector<Vec3> row;
        for (int i = 0; i < sides; ++i) {
            float a = 2 * kPi * (float)i / (float)sides;
            row.push_back(path[k] + (normal * std::cos(a) - bin * std::sin(a)) * radius[k]);
        }
        rows.push_back(row);
    }
    Grid(rows, true, mat, o);
}

void Builder::Blob(Vec3 c, Vec3 r, int nu, int nv, uint32_t mat, const std::function<float(Vec3)>& bump,
                   const SurfOpts& o) {
    std::vector<std::vector<Vec3>> rows;
    for (int j = 0; j <= nv; ++j) {
        float phi = kPi * (float)j / (float)nv;
        std::vector<Vec3> row;
        for (int i = 0; i < nu; ++i) {
            float a = 2 * kPi * (float)i / (float)nu;
            Vec3 d(std::sin(phi) * std::cos(a), -std::cos(phi), std::sin(phi) * std::sin(a));
            if (j == 0) d = Vec3(0, -1, 0);
            if (j == nv) d = Vec3(0, 1, 0);
            float s = bump ? 1 + bump(d) : 1;
            row.push_back(c + Vec3(d.x * r.x, d.y * r.y, d.z * r.z) * s);
        }
        rows.push_back(row);
    }
    Grid(rows, true, mat, o);
}

void Builder::FlatTri(Vec3 a, Vec3 b, Vec3 c, uint32_t mat) {
    Vec3 pa = m_Xf.Point(a), pb = m_Xf.Point(b), pc = m_Xf.Point(c);
    if (m_Xf.Det() < 0) std::swap(pb, pc);
    Vec3 n = Cross(pb - pa, pc - pa);
    if (Length(n) < 1e-10f) return;
    n = Normalize(n);
    uint32_t base = (uint32_t)m_Mesh.pos.size();
    for (Vec3 p : {pa, pb, pc}) {
        m_Mesh.pos.push_back(p);
        m_Mesh.nrm.push_back(n);
        m_Mesh.uv.push_back(Vec2{0.5f + 0.5f * p.x, 0.5f - 0.5f * p.z});
    }
    m_Mesh.idx.insert(m_Mesh.idx.end(), {base, base + 1, base + 2});
    m_Mesh.faceMat.push_back(mat);
}

Mesh Builder::Take() {
    Mesh out = std::move(m_Mesh);
    m_Mesh = Mesh();
    CompactMesh(out);
    return out;
}

std::vector<Vec3> Bezier(Vec3 p0, Vec3 p1, Vec3 p2, Vec3 p3, int n) {
    std::vector<Vec3> out;
    for (int k = 0; k <= n; ++k) {
        float t = (float)k / (float)n, s = 1 - t;
        out.push_back(p0 * (s * s * s) + p1 * (3 * s * s * t) + p2 * (3 * s * t * t) + p3 * (t * t * t));
    }
    return out;
}

Material GlowMat(float r, float g, float b, float a) {
    Material m;
    m.r = r, m.g = g, m.b = b, m.a = a;
    m.power = 4;
    m.sr = m.sg = m.sb = 0;
    m.er = r * 0.5f, m.eg = g * 0.5f, m.eb = b * 0.5f;
    m.texture = "image/effect/light.png";
    return m;
}

Vec2 TopGlowUv(Vec3, Vec3 nrm, float, float) {
    return Vec2{0.5f + 0.47f * nrm.x, 0.5f - 0.47f * nrm.z};
}

} // namespace assetgen
