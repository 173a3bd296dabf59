#include "xfile_check.h"

#include <cstdint>
#include <cstdlib>
#include <cstring>

namespace {

enum TokenKind { TokEnd, TokOpen, TokClose, TokWord, TokString, TokGuid };

// Splits text .x data into braces, words (names and numbers), strings and GUIDs; separators and comments
// are skipped.
struct Scanner {
    const char* p;
    const char* end;
    TokenKind kind = TokEnd;
    std::string word;
    std::string separators; // the commas and semicolons skipped before the current token, in order

    void Next() {
        separators.clear();
        for (;;) {
            while (p < end &&
                   (*p == ' ' || *p == '\t' || *p == '\r' || *p == '\n' || *p == ',' || *p == ';')) {
                if (*p == ',' || *p == ';') separators += *p;
                ++p;
            }
            if (p < end && (*p == '#' || (*p == '/' && p + 1 < end && p[1] == '/'))) {
                while (p < end && *p != '\n')
                    ++p;
                continue;
            }
            break;
        }
        word.clear();
        if (p >= end) {
            kind = TokEnd;
            return;
        }
        char c = *p;
        if (c == '{' || c == '}') {
            kind = c == '{' ? TokOpen : TokClose;
            ++p;
            return;
        }
        if (c == '"' || c == '<') {
            char close = c == '"' ? '"' : '>';
            kind = c == '"' ? TokString : TokGuid;
            ++p;
            while (p < end && *p != close)
                ++p;
            if (p < end) ++p;
            return;
        }
        // Anything up to the next delimiter is a word, also a NUL byte (strchr would take it for the end
        // of its delimiter list, and the scan would never move on).
        static const char kDelimiters[] = " \t\r\n,;{}\"<#";
        kind = TokWord;
        do
            word += *p++;
        while (p < end && !std::memchr(kDelimiters, *p, sizeof kDelimiters - 1));
    }
};

bool IsUnsigned(const std::string& w, uint64_t* value) {
    if (w.empty() || w.size() > 19) return false;
    uint64_t v = 0;
    for (char c : w) {
        if (c < '0' || c > '9') return false;
        v = v * 10 + (uint64_t)(c - '0');
    }
    *value = v;
    return true;
}

bool IsNumber(const std::string& w) {
    if (w.empty()) return false;
    char* stop = nullptr;
    std::strtod(w.c_str(), &stop);
    return stop == w.c_str() + w.size(); // the whole word (a NUL byte inside it is not its end)
}

class Checker {
  public:
    Checker(const char* data, size_t size) : m_Size(size) {
        m_Scan.p = data;
        m_Scan.end = data + size;
    }

    // False only when the data is certainly malformed.
    bool Run(std::string* reason) {
        m_Scan.Next();
        while (!Stopped() && m_Scan.kind != TokEnd) {
            if (m_Scan.kind == TokClose) {
                m_Scan.Next(); // a stray brace: the importer will complain about it
                continue;
            }
            Item();
        }
        // What cannot be followed cannot be vouched for: the importer is not given the chance to crash on it.
        if (m_Lost && !m_Bad) Fail("a mesh that cannot be read");
        if (m_Bad && reason) *reason = m_Reason;
        return !m_Bad;
    }

  private:
    Scanner m_Scan;
    size_t m_Size;
    bool m_Bad = false;
    bool m_Lost = false; // met something this guard does not follow
    std::string m_Reason;
    bool m_PrevWasName = false;

    bool Stopped() const { return m_Bad || m_Lost; }
    void Fail(const char* why) {
        m_Bad = true;
        m_Reason = why;
    }

    // One token at the current position of a block; consumes it (and what belongs to it).
    void Item() {
        Scanner& s = m_Scan;
        if (s.kind == TokOpen) {
            s.Next();
            Block();
            m_PrevWasName = false;
            return;
        }
        if (s.kind != TokWord) {
            m_PrevWasName = false;
            s.Next();
            return;
        }
        std::string w = s.word;
        bool typePosition = !m_PrevWasName;
        uint64_t dummy;
        m_PrevWasName = !IsNumber(w) && !IsUnsigned(w, &dummy);
        if (w == "template") {
            s.Next(); // the template's name
            s.Next();
            if (s.kind == TokOpen) Skip();
            m_PrevWasName = false;
            return;
        }
        if (typePosition && (w == "Mesh" || w == "MeshNormals" || w == "SkinWeights" ||
                             (w == "MeshMaterialList" && m_InMesh))) {
            s.Next();
            if (s.kind == TokWord) s.Next(); // the object's name
            if (s.kind != TokOpen) {
                m_Lost = true;
                return;
            }
            s.Next();
            if (s.kind == TokGuid) s.Next();
            m_PrevWasName = false;
            if (w == "Mesh")
                MeshBody();
            else if (w == "MeshNormals")
                NormalsBody();
            else if (w == "MeshMaterialList")
                MaterialListBody();
            else
                SkinBody();
            return;
        }
        s.Next();
    }

    // The rest of a block up to and including its closing brace.
    void Block() {
        while (!Stopped()) {
            if (m_Scan.kind == TokEnd) {
                m_Lost = true;
                return;
            }
            if (m_Scan.kind == TokClose) {
                m_Scan.Next();
                return;
            }
            Item();
        }
    }

    // Skips a block (the current token is its opening brace) without looking inside.
    void Skip() {
        int depth = 0;
        do {
            if (m_Scan.kind == TokOpen) ++depth;
            if (m_Scan.kind == TokClose) --depth;
            if (m_Scan.kind == TokEnd) {
                m_Lost = true;
                return;
            }
            m_Scan.Next();
        } while (depth > 0);
    }

    // Reads the current token as a count and moves on; a count the file cannot hold is malformed.
    bool Count(uint64_t* n) {
        if (m_Scan.kind != TokWord || !IsUnsigned(m_Scan.word, n)) {
            m_Lost = true;
            return false;
        }
        if (*n > m_Size) {
            Fail("a count is larger than the file can hold");
            return false;
        }
        m_Scan.Next();
        return true;
    }

    bool Numbers(uint64_t n) {
        for (uint64_t i = 0; i < n; ++i) {
            if (m_Scan.kind != TokWord || !IsNumber(m_Scan.word)) {
                m_Lost = true;
                return false;
            }
            m_Scan.Next();
        }
        return true;
    }

    // Faces: a count, then per face an index count and the indices, each below limit.
    bool Faces(uint64_t limit, const char* why, uint64_t* count = nullptr) {
        uint64_t faces;
        if (!Count(&faces)) return false;
        if (count) *count = faces;
        for (uint64_t f = 0; f < faces; ++f) {
            uint64_t k;
            if (!Count(&k)) return false;
            for (uint64_t i = 0; i < k; ++i) {
                uint64_t index;
                if (!Count(&index)) return false;
                if (index >= limit) {
                    Fail(why);
                    return false;
                }
            }
        }
        return true;
    }

    void MeshBody() {
        uint64_t vertices, faces;
        if (!Count(&vertices) || !Numbers(vertices * 3)) return;
        if (!Faces(vertices, "a face uses a vertex the mesh does not have", &faces)) return;
        const uint64_t savedVertices = m_Vertices, savedFaces = m_Faces;
        const bool savedInMesh = m_InMesh, savedHasList = m_HasMaterialList;
        m_Vertices = vertices;
        m_Faces = faces;
        m_InMesh = true;
        m_HasMaterialList = false;
        Block();
        m_Vertices = savedVertices;
        m_Faces = savedFaces;
        m_InMesh = savedInMesh;
        m_HasMaterialList = savedHasList;
    }

    // A mesh's material list: the material count, the count of face indices and the indices, then the
    // materials (Material blocks, or {name} references to materials defined elsewhere) up to the closing
    // brace. The importer takes the materials it finds whatever the count says, gives every face an entry
    // (one index stands for all faces) and adds a second list's entries to the first's; it then reads past
    // its faces when there are more entries than faces, and past its materials when faces name materials
    // but it found none. Between the materials it takes a comma (other than the separator read with the
    // last index), or any word but Material, for an unknown object that swallows the next block.
    void MaterialListBody() {
        if (m_HasMaterialList) {
            Fail("a mesh has two material lists");
            return;
        }
        m_HasMaterialList = true;
        uint64_t declared, indices;
        if (!Count(&declared) || !Count(&indices)) return;
        if (indices == 1 && m_Faces == 0) {
            Fail("a material list gives materials to faces the mesh does not have");
            return;
        }
        for (uint64_t i = 0; i < indices; ++i) {
            uint64_t index;
            if (!Count(&index)) return;
        }
        Scanner& s = m_Scan;
        size_t consumed = indices > 0 ? 1 : 0;
        uint64_t found = 0;
        while (!Stopped()) {
            const std::string loose = s.separators.size() > consumed ? s.separators.substr(consumed) : "";
            consumed = 0;
            if (s.kind == TokEnd) {
                m_Lost = true;
                return;
            }
            if (loose.find(',') != std::string::npos) {
                Fail("a material list holds something that is not a material");
                return;
            }
            if (s.kind == TokClose) {
                s.Next();
                break;
            }
            if (s.kind == TokOpen) { // a reference: { name }
                s.Next();
                if (s.kind == TokWord) s.Next();
                if (s.kind != TokClose) {
                    m_Lost = true;
                    return;
                }
                s.Next();
                ++found;
                continue;
            }
            if (s.kind != TokWord || s.word != "Material") {
                Fail("a material list holds something that is not a material");
                return;
            }
            s.Next();
            if (s.kind == TokWord) s.Next(); // the material's name
            if (s.kind != TokOpen) {
                m_Lost = true;
                return;
            }
            Skip();
            ++found;
        }
        if (!Stopped() && indices > 0 && found == 0)
            Fail("faces name materials but the material list has none");
    }

    void NormalsBody() {
        uint64_t normals;
        if (!Count(&normals) || !Numbers(normals * 3)) return;
        if (!Faces(normals, "a face uses a normal the mesh does not have")) return;
        Block();
    }

    void SkinBody() {
        if (m_Scan.kind != TokString) {
            m_Lost = true;
            return;
        }
        m_Scan.Next();
        uint64_t weights;
        if (!Count(&weights)) return;
        for (uint64_t i = 0; i < weights; ++i) {
            uint64_t v;
            if (!Count(&v)) return;
            if (v >= m_Vertices) {
                Fail("a skin weight names a vertex the mesh does not have");
                return;
            }
        }
        Block();
    }

    uint64_t m_Vertices = 0;        // vertex count of the mesh being read
    uint64_t m_Faces = 0;           // its face count
    bool m_InMesh = false;          // inside a mesh's block
    bool m_HasMaterialList = false; // the mesh being read has had its material list
};

} // namespace

bool CheckXFileText(const char* data, size_t size, std::string* reason) {
    if (!data || size < 16 || std::memcmp(data, "xof ", 4) != 0) return true;
    // The importer reads binary and compressed files without any of these checks: they are refused.
    if (std::memcmp(data + 8, "txt ", 4) != 0) {
        if (reason) *reason = "only text .x files are read (not binary or compressed ones)";
        return false;
    }
    Checker checker(data + 16, size - 16);
    return checker.Run(reason);
}
