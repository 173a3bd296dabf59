// The --trace writer. Keys keep their meaning once written; units add theirs in AppendTraceKeys below.
#include "app/Trace.h"

#include "app/Camera.h"
#include "app/Cursor.h"
#include "app/Direct3D.h"
#include "app/Options.h"
#include "app/Scene.h"
#include "app/Title.h"
#include "creatures/Anemone.h"
#include "creatures/Football.h"
#include "creatures/Percula.h"
#include "creatures/Squid.h"
#include <windows.h>
#include "player/Jelly.h"
#include "player/Player.h"
#include "ui/Interface.h"
#include "world/Flower.h"
#include "world/ObjectBase.h"

#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <vector>

namespace {

std::FILE* s_Trace = nullptr;

// A small JSON object writer: keys in the order they are added, objects nested with Open and Close.
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

// The creatures of ActorList, in list order: type, behaviour state, hit points and where they stand.
void AppendCreatures(JsonLine& j) {
    j.OpenList("creatures");
    for (const CObjectBase* actor : ActorList) {
        const char* type = nullptr;
        int ai = 0;
        if (const CSquid* squid = dynamic_cast<const CSquid*>(actor)) {
            type = "squid";
            ai = squid->m_AiState;
        } else if (const CFootball* football = dynamic_cast<const CFootball*>(actor)) {
            type = "football";
            ai = football->m_AiState;
        }
        if (type) {
            j.OpenItem();
            j.Str("type", type);
            j.Int("ai", ai);
            j.Int("hp", actor->m_Hp);
            j.Float("x", actor->m_Pos.x);
            j.Float("z", actor->m_Pos.z);
            j.Close();
        } else if (const auto* anemone = dynamic_cast<const CAnemone*>(actor)) {
            j.OpenItem();
            j.Str("type", "anemone");
            j.Int("mode", anemone->m_Mode);
            j.Int("hp", anemone->m_Hp);
            j.Int("fish", (long long)anemone->m_Fish.size());
            j.Close();
        } else if (const auto* fish = dynamic_cast<const CPercula*>(actor)) {
            j.OpenItem();
            j.Str("type", "percula");
            j.Int("ai", fish->m_AiState);
            j.Int("hp", fish->m_Hp);
            j.Close();
        }
    }
    j.CloseList();
}

// Every key of a trace line, in order. Units that land add their keys here, at the end.
void AppendTraceKeys(JsonLine& j, long long pass, const char* proc) {
    j.Int("pass", pass);
    j.Str("proc", proc);
    j.Int("scene", g_SceneId);
    j.Int("stage", g_StageNo);
    j.Int("state", g_StageState);
    j.Int("fade", g_FadeMode);
    j.Int("alpha", g_FadeAlpha);
    j.Int("tutorial", g_bTutorial);
    j.Int("targets", g_TargetCount);
    j.Int("followers", g_FollowCount);
    j.Int("menu", g_MenuChoice);
    j.Int("time", (long long)timeGetTime());
    j.Int("actors", (long long)ActorList.size());
    j.Int("obstacles", (long long)ObstacleList.size());
    j.Int("shots", (long long)ShotList.size());
    j.Int("scenery", (long long)SceneryList.size());
    j.Int("effects", (long long)EffectList.size());
    j.Int("requests", (long long)ShotRequestQueue.size());
    const CObjectBase* player = ActorList.empty() ? nullptr : ActorList[0];
    if (player) {
        j.Open("player");
        j.Int("hp", player->m_Hp);
        j.Float("x", player->m_Pos.x);
        j.Float("y", player->m_Pos.y);
        j.Float("z", player->m_Pos.z);
        j.Float("angle", player->m_Angle);
        j.Float("vx", player->m_Vel.x);
        j.Float("vz", player->m_Vel.z);
        j.Float("maxspeed", player->m_MaxSpeed);
        const CPlayer* cplayer = dynamic_cast<const CPlayer*>(player);
        j.Int("shotwait", cplayer ? cplayer->m_ShotWait : 0);
        j.Close();
    } else {
        j.Null("player");
    }
    j.Vec3("cam", g_CamEye);
    j.Vec2("cursor", g_CursorX, g_CursorY);
    // The first flower of the stage, if it has one.
    for (const CObjectBase* o : ObstacleList) {
        const CFlower* flower = dynamic_cast<const CFlower*>(o);
        if (!flower) continue;
        const long long hp[2] = {flower->m_Blossom[0].Hp, flower->m_Blossom[1].Hp};
        j.Open("flower");
        j.Ints("hp", hp, 2);
        j.Int("done", flower->m_bDone);
        j.Close();
        break;
    }
    // The fog colour the device holds (it turns red while the player dies).
    DWORD fog = 0;
    if (g_pDevice && g_pDevice->GetRenderState(D3DRS_FOGCOLOR, &fog) == D3D_OK)
        j.Int("fog", fog);
    else
        j.Null("fog");
    AppendCreatures(j);
    j.Int("page", g_TutorialPage);
    // The title's menu state, on the title only (null in a stage): phase 0 waiting, 1 gliding, 2 selector;
    // the selected item; whether the camera slides; the glide or slide speed; the look-at point's x and z.
    if (g_SceneId == 0) {
        j.Open("title");
        j.Int("phase", g_TitlePhase);
        j.Int("sel", g_StageSel);
        j.Int("moving", g_bSelMoving);
        j.Float("speed", g_TitleSpeed);
        j.Vec2("at", g_CamAt.x, g_CamAt.z);
        j.Close();
    } else {
        j.Null("title");
    }
    // Jellies still astray (rescuing ones among them) and those whose rescue animation runs.
    long long strays = 0, rescuing = 0;
    for (const CObjectBase* actor : ActorList) {
        const CJelly* jelly = dynamic_cast<const CJelly*>(actor);
        if (!jelly) continue;
        if (jelly->m_State == 1) ++strays;
        if (jelly->m_bRescuing == 1) ++rescuing;
    }
    j.Int("strays", strays);
    j.Int("rescuing", rescuing);
    // Every jelly, in ActorList order: 1 stray or 2 following, whether its rescue animation runs, and
    // where it swims.
    j.OpenList("jellies");
    for (const CObjectBase* actor : ActorList) {
        const CJelly* jelly = dynamic_cast<const CJelly*>(actor);
        if (!jelly) continue;
        j.OpenItem();
        j.Int("state", jelly->m_State);
        j.Int("rescuing", jelly->m_bRescuing);
        j.Float("x", jelly->m_Pos.x);
        j.Float("z", jelly->m_Pos.z);
        j.Close();
    }
    j.CloseList();
    // The fish of every anemone, anemone by anemone in ActorList order and each school in its own order:
    // behaviour state, hit points and where they swim.
    j.OpenList("school");
    for (const CObjectBase* actor : ActorList) {
        const CAnemone* anemone = dynamic_cast<const CAnemone*>(actor);
        if (!anemone) continue;
        for (const CPercula* fish : anemone->m_Fish) {
            if (!fish) continue;
            j.OpenItem();
            j.Int("ai", fish->m_AiState);
            j.Int("hp", fish->m_Hp);
            j.Float("x", fish->m_Pos.x);
            j.Float("z", fish->m_Pos.z);
            j.Close();
        }
    }
    j.CloseList();
    if (RunOptions().traceRss) j.Int("rss_kb", ResidentMemoryKb());
}

} // namespace

std::string TraceLine(long long pass, const char* proc) {
    JsonLine j;
    AppendTraceKeys(j, pass, proc);
    return j.Done();
}

long long ResidentMemoryKb() {
    std::FILE* f = std::fopen("/proc/self/status", "r");
    if (!f) return -1;
    char line[256];
    long long kb = -1;
    while (std::fgets(line, sizeof line, f))
        if (std::sscanf(line, "VmRSS: %lld kB", &kb) == 1) break;
    std::fclose(f);
    return kb;
}

bool TraceOpen(const char* path) {
    TraceClose();
    s_Trace = std::fopen(path, "w");
    return s_Trace != nullptr;
}

bool TraceActive() {
    return s_Trace != nullptr;
}

void TraceWritePass(long long pass, const char* proc) {
    if (!s_Trace) return;
    const std::string line = TraceLine(pass, proc);
    std::fputs(line.c_str(), s_Trace);
    std::fputc('\n', s_Trace);
}

void TraceClose() {
    if (s_Trace) std::fclose(s_Trace);
    s_Trace = nullptr;
}
