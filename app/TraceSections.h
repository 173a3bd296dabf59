// The sections of a trace line. Each unit that owns keys writes them in a function of its own .cpp; the
// trace writer (app/Trace.cpp) calls these in the fixed order of its table, after "pass" and "proc". New
// keys come in a new section, declared here and appended to that table.
#pragma once

#include "app/TraceJson.h"

void TraceSceneKeys(JsonLine& j);      // app/Scene.cpp
void TraceObjectListKeys(JsonLine& j); // world/ObjectBase.cpp
void TracePlayerKeys(JsonLine& j);     // player/Player.cpp
void TraceCameraKeys(JsonLine& j);     // app/Camera.cpp
void TraceCursorKeys(JsonLine& j);     // app/Cursor.cpp
void TraceFlowerKeys(JsonLine& j);     // world/Flower.cpp
void TraceFogKeys(JsonLine& j);        // app/Direct3D.cpp
void TraceCreatureKeys(JsonLine& j);   // creatures/CreatureTrace.cpp
void TraceTutorialKeys(JsonLine& j);   // ui/Interface.cpp
void TraceTitleKeys(JsonLine& j);      // app/Title.cpp
void TraceJellyKeys(JsonLine& j);      // player/Jelly.cpp
void TraceSchoolKeys(JsonLine& j);     // creatures/Anemone.cpp
void TraceMemoryKeys(JsonLine& j);     // app/Trace.cpp
void TracePauseKeys(JsonLine& j);      // app/Pause.cpp
void TraceScaleKeys(JsonLine& j);      // app/Direct3D.cpp
