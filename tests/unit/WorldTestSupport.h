// Shared pieces of the world tests: a probe object that logs what the passes do to it, and a fixture that
// leaves the lists, the queue and the arenas empty before and after each test.
#pragma once

#include "app/Camera.h"
#include "world/ObjectBase.h"
#include "world/World.h"

#include <functional>
#include <string>
#include <vector>

#include <gtest/gtest.h>

// Every call of a pass on a probe, as "name.op".
inline std::vector<std::string> g_ProbeLog;
inline int g_ProbesDestroyed = 0;

class Probe : public CObjectBase {
  public:
    explicit Probe(std::string name) : m_Name(std::move(name)) {}
    ~Probe() override { ++g_ProbesDestroyed; }

    void Init() override { Call("init", m_OnInit); }
    void Update() override { Call("update", m_OnUpdate); }
    void Draw() override { Call("draw", m_OnDraw); }
    void DrawAlpha() override { Call("alpha", m_OnDraw); }
    int Shoot() override {
        Call("shoot", m_OnShoot);
        return 0;
    }

    std::string m_Name;
    std::function<void(Probe&)> m_OnInit, m_OnUpdate, m_OnDraw, m_OnShoot;

  private:
    void Call(const char* op, const std::function<void(Probe&)>& hook) {
        g_ProbeLog.push_back(m_Name + "." + op);
        if (hook) hook(*this);
    }
};

// A probe owned by the current arena and appended to a list.
inline Probe* AddProbe(std::vector<CObjectBase*>& list, const std::string& name, float z = 0.0f,
                       float radius = 0.0f) {
    Probe* p = NewObject<Probe>(name);
    p->m_Pos = D3DXVECTOR3(0.0f, 0.0f, z);
    p->m_Radius = radius;
    list.push_back(p);
    return p;
}

// The log entries of one operation, in order, without the ".op" suffix.
inline std::vector<std::string> Calls(const std::string& op) {
    std::vector<std::string> names;
    const std::string suffix = "." + op;
    for (const std::string& entry : g_ProbeLog) {
        if (entry.size() > suffix.size() &&
            entry.compare(entry.size() - suffix.size(), suffix.size(), suffix) == 0)
            names.push_back(entry.substr(0, entry.size() - suffix.size()));
    }
    return names;
}

class WorldFixture : public ::testing::Test {
  protected:
    void SetUp() override { Reset(); }
    void TearDown() override {
        Reset();
        SetObjectArena(ObjectArena::Program);
    }
    static void Reset() {
        ReleaseObjects();
        ReleaseTitleObjects();
        ReleaseProgramObjects();
        ShotRequestQueue.clear();
        g_FollowCount = 0;
        g_FollowSlot = 0;
        g_CamEye = D3DXVECTOR3(0.0f, 0.0f, 0.0f);
        SetObjectArena(ObjectArena::Stage);
        g_ProbeLog.clear();
        g_ProbesDestroyed = 0;
    }
};
