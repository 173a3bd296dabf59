#include "platform/xfile_check.h"

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

    void Next() {
        for (;;) {
            while (p < end && (*p == ' ' || *p == '\t' || *p == '\r' || *p == '\n' || *p == ',' || *p == ';'))
                ++p;
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
        kind = TokWord;
        while (p < end && !std::strchr(" \t\r\n,;{}\"<#", *p))
            word += *p++;
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
    return stop && *stop == '\0';
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
        if (m_Bad && reason) *reason = m_Reason;
        return !m_Bad;
    }

  private:
    Scanner m_Scan;
    size_t m_Size;
    bool m_Bad = false;
    bool m_Lost = false; // met something this guard does not follow: the rest is left to the importer
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
        if (typePosition && (w == "Mesh" || w == "MeshNormals" || w == "SkinWeights")) {
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
    bool Faces(uint64_t limit, const char* why) {
        uint64_t faces;
        if (!Count(&faces)) return false;
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
        uint64_t vertices;
        if (!Count(&vertices) || !Numbers(vertices * 3)) return;
        if (!Faces(vertices, "a face uses a vertex the mesh does not have")) return;
        uint64_t saved = m_Vertices;
        m_Vertices = vertices;
        Block();
        m_Vertices = saved;
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

    uint64_t m_Vertices = 0; // vertex count of the mesh being read
};

} // namespace

bool CheckXFileText(const char* data, size_t size, std::string* reason) {
    if (!data || size < 16 || std::memcmp(data, "xof ", 4) != 0 || std::memcmp(data + 8, "txt ", 4) != 0)
        return true;
    Checker checker(data + 16, size - 16);
    return checker.Run(reason);
}
