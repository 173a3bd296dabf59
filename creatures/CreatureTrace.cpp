// The creatures' trace section: every creature of ActorList in list order, by kind.
#include "app/TraceSections.h"
#include "creatures/Anemone.h"
#include "creatures/Football.h"
#include "creatures/Percula.h"
#include "creatures/Squid.h"
#include "world/ObjectBase.h"

namespace {

// A football or squid: its kind, behaviour state, hit points and where it stands.
void TraceFighter(JsonLine& j, const CObjectBase* actor, const char* type, int ai) {
    j.OpenItem();
    j.Str("type", type);
    j.Int("ai", ai);
    j.Int("hp", actor->m_Hp);
    j.Float("x", actor->m_Pos.x);
    j.Float("z", actor->m_Pos.z);
    j.Close();
}

} // namespace

// Footballs and squids with their position; anemones with their mode and the size of their school; fish
// placed by the stage with their behaviour state. Other actors are left out.
void TraceCreatureKeys(JsonLine& j) {
    j.OpenList("creatures");
    for (const CObjectBase* actor : ActorList) {
        if (const CSquid* squid = dynamic_cast<const CSquid*>(actor)) {
            TraceFighter(j, actor, "squid", squid->m_AiState);
        } else if (const CFootball* football = dynamic_cast<const CFootball*>(actor)) {
            TraceFighter(j, actor, "football", football->m_AiState);
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
