// The JSON object of one trace line: keys in the order they are added, objects and lists nested. Every
// trace section writes its keys with it.
#pragma once

#include <d3dx9math.h>

#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

class JsonLine {
  public:
    JsonLine() : m_Text("{"), m_First{true} {}
    void Int(const char* key, long long v) {
        Key(key);
        m_Text += std::to_string(v);
    }
    void Str(const char* key, const char* v) {
        Key(key);
        m_Text += '"';
        for (const char* p = v; *p; ++p) {
            if (*p == '"' || *p == '\\') m_Text += '\\';
            m_Text += *p;
        }
        m_Text += '"';
    }
    void Null(const char* key) {
        Key(key);
        m_Text += "null";
    }
    void Float(const char* key, float v) {
        Key(key);
        AppendFloat(v);
    }
    void Vec3(const char* key, const D3DXVECTOR3& v) {
        Key(key);
        m_Text += '[';
        AppendFloat(v.x);
        m_Text += ',';
        AppendFloat(v.y);
        m_Text += ',';
        AppendFloat(v.z);
        m_Text += ']';
    }
    void Vec2(const char* key, float x, float y) {
        Key(key);
        m_Text += '[';
        AppendFloat(x);
        m_Text += ',';
        AppendFloat(y);
        m_Text += ']';
    }
    void Ints(const char* key, const long long* v, int count) {
        Key(key);
        m_Text += '[';
        for (int i = 0; i < count; ++i) {
            if (i > 0) m_Text += ',';
            m_Text += std::to_string(v[i]);
        }
        m_Text += ']';
    }
    void Open(const char* key) {
        Key(key);
        m_Text += '{';
        m_First.push_back(true);
    }
    void Close() {
        m_Text += '}';
        m_First.pop_back();
    }
    // A list under a key; its elements are objects begun with OpenItem and ended with Close.
    void OpenList(const char* key) {
        Key(key);
        m_Text += '[';
        m_First.push_back(true);
    }
    void OpenItem() {
        if (!m_First.back()) m_Text += ',';
        m_First.back() = false;
        m_Text += '{';
        m_First.push_back(true);
    }
    void CloseList() {
        m_Text += ']';
        m_First.pop_back();
    }
    std::string Done() const { return m_Text + "}"; }

  private:
    void Key(const char* key) {
        if (!m_First.back()) m_Text += ',';
        m_First.back() = false;
        m_Text += '"';
        m_Text += key;
        m_Text += "\":";
    }
    // The shortest text that reads back as the same float; non-finite values (not JSON) become null.
    void AppendFloat(float v) {
        if (!std::isfinite(v)) {
            m_Text += "null";
            return;
        }
        char buf[32];
        for (int digits = 6; digits <= 9; ++digits) {
            std::snprintf(buf, sizeof buf, "%.*g", digits, (double)v);
            if (std::strtof(buf, nullptr) == v) break;
        }
        m_Text += buf;
    }

    std::string m_Text;
    std::vector<bool> m_First;
};
